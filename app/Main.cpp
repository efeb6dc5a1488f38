#include "app/Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <exception>

#include "app/ApplicationTitle.h"
#include "app/ProgramEntry.h"
#include "dialog/ClassicFont.h"
#include "text/CodePages.h"

namespace {

QString fromAnsi(const std::string& cp1251) {
    return QString::fromStdString(text::cp1251ToUtf8(cp1251));
}

// Layout of the window, in pixels as they stand (not scaled to the screen's resolution).
constexpr QRect kLabelGeometry(16, 8, 364, 25);
constexpr QRect kPanelGeometry(8, 35, 396, 18);
constexpr int kPanelBorder = 1;
constexpr QRect kCancelGeometry(135, 64, 145, 28);
constexpr QColor kTeal(0, 128, 128);
constexpr int kFormFontPixels = 11;
constexpr int kLabelFontPixels = 21;
constexpr int kPanelFontPixels = 13;
constexpr int kButtonFontPixels = 13;
constexpr int kBarMaximum = 100;

}  // namespace

// The converter sets the bar to the index of the table about to be read; beyond the range the
// bar stays full, as the original control did (QProgressBar would ignore the value).
class TMainForm::BarAdapter final : public engine::ProgressBar {
public:
    explicit BarAdapter(QProgressBar* bar) : bar_(bar) {}
    void SetPosition(int position) override {
        bar_->setValue(std::clamp(position, bar_->minimum(), bar_->maximum()));
    }

private:
    QProgressBar* bar_;
};

TMainForm::TMainForm(std::unique_ptr<app::Converter> converter, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      FSession(std::move(converter)) {
    BuildLayout();
    FBar = std::make_unique<BarAdapter>(ProgressBar1);
    const std::string title = app::ProgramTitle();
    setWindowTitle(fromAnsi(title));
    app::SetApplicationHint(title);
    app::SetApplicationTitle(title);
    // Our dBASE engine passes text byte for byte, so no language driver needs setting.
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildLayout() {
    setFixedSize(kClientWidth, kClientHeight);
    setFont(dialog::ClassicFont(kFormFontPixels));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kTeal);
    setPalette(palette);
    setAutoFillBackground(true);

    ProgressPanel1 = new QFrame(this);
    ProgressPanel1->setObjectName(QStringLiteral("ProgressPanel1"));
    ProgressPanel1->setGeometry(kPanelGeometry);
    ProgressPanel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ProgressPanel1->setLineWidth(kPanelBorder);
    ProgressPanel1->setFont(dialog::ClassicFont(kPanelFontPixels));
    QPalette panelPalette = ProgressPanel1->palette();
    panelPalette.setColor(QPalette::WindowText, Qt::black);
    ProgressPanel1->setPalette(panelPalette);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(kLabelGeometry);
    Label1->setText(fromAnsi("Идет конвертация файла. Ждите..."_w));
    Label1->setFont(dialog::ClassicFont(kLabelFontPixels, true));
    QPalette labelPalette = Label1->palette();
    labelPalette.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(labelPalette);

    ProgressBar1 = new QProgressBar(ProgressPanel1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(kPanelBorder, kPanelBorder,
                              kPanelGeometry.width() - 2 * kPanelBorder,
                              kPanelGeometry.height() - 2 * kPanelBorder);
    ProgressBar1->setRange(0, kBarMaximum);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    btbCancel = new QPushButton(this);
    btbCancel->setObjectName(QStringLiteral("btbCancel"));
    btbCancel->setGeometry(kCancelGeometry);
    btbCancel->setText(fromAnsi("Отменить"_w));
    btbCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    btbCancel->setFont(dialog::ClassicFont(kButtonFontPixels));
    connect(btbCancel, &QPushButton::clicked, this, &TMainForm::btbCancelClick);
    // The window's cancel button: Esc anywhere in the window presses it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, btbCancel, &QPushButton::click);
}

void TMainForm::SetCommandLine(const std::string& commandLine) {
    FSession.SetCommandLine(commandLine);
}

std::string TMainForm::Caption() const {
    return text::utf8ToCp1251(windowTitle().toStdString());
}

void TMainForm::Repaint() { repaint(); }

void TMainForm::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    // The conversion starts as soon as the event loop runs with the window shown, whether the
    // desktop activates new windows or not (and however late): waiting for the activation
    // made the first question wait for a fallback without a window manager.
    QTimer::singleShot(0, this, [this] { StartConversionOnce(); });
}

bool TMainForm::event(QEvent* event) {
    // The conversion runs after the activation has been handled, so that the window is drawn
    // and active before the first table is read.
    if (event->type() == QEvent::WindowActivate && !FActivationQueued) {
        FActivationQueued = true;
        QTimer::singleShot(0, this, &TMainForm::FormActivate);
    }
    return QWidget::event(event);
}

void TMainForm::StartConversionOnce() {
    if (FActivationQueued) return;
    FActivationQueued = true;
    FormActivate();
}

void TMainForm::FormActivate() {
    using Activation = app::ConversionSession::Activation;
    try {
        switch (FSession.Activate(FBar.get(), this)) {
            case Activation::NothingToDo:
                return;
            case Activation::WrongParameters:
                hide();
                EndProgram();
                return;
            case Activation::Converted:
                // A window hidden by an accepted close request has nothing left to ask.
                if (isVisible()) {
                    close();
                } else {
                    EndProgram();
                }
                return;
        }
    } catch (const std::exception& error) {
        app::ReportException(error.what());
    } catch (...) {
        app::ReportException(std::string());
    }
    // The window stays open after an escaped exception, unless the user has already agreed to
    // close it: then nothing would ever show it again.
    if (FEndAfterConversion) EndProgram();
}

void TMainForm::btbCancelClick() { FSession.AskCancel(Caption()); }

void TMainForm::closeEvent(QCloseEvent* event) {
    using CloseAnswer = app::ConversionSession::CloseAnswer;
    switch (FSession.CloseQuery(Caption())) {
        case CloseAnswer::Close:
            event->accept();
            EndProgram();
            return;
        case CloseAnswer::CloseAfterConversion:
            // Convert is still on the stack and uses this window: hide it now, end the program
            // when Convert returns.
            event->ignore();
            FEndAfterConversion = true;
            hide();
            return;
        case CloseAnswer::Stay:
            event->ignore();
            return;
    }
}

void TMainForm::EndProgram() { emit programEnds(); }
