#include "dialog/Selectperehod.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTextEdit>
#include <QTextOption>
#include <QTimer>

#include <exception>

#include "dialog/AnswerChecks.h"
#include "dialog/ClassicFont.h"
#include "dialog/UnitsTableModel.h"
#include "dialog/Wmessage.h"
#include "platform/Desktop.h"
#include "text/CodePages.h"
#include "text/Wastring.h"
#include "units/Wedizm.h"

namespace dialog {
namespace {

ErrorReport errorReport = nullptr;

}  // namespace

void SetErrorReport(ErrorReport report) { errorReport = report; }

}  // namespace dialog

namespace {

QString fromAnsi(const std::string& cp1251) {
    return QString::fromStdString(text::cp1251ToUtf8(cp1251));
}

std::string toAnsi(const QString& shown) { return text::utf8ToCp1251(shown.toStdString()); }

// Layout in pixels as they stand (the form is not scaled).
constexpr int kFontPixels = 13;
constexpr int kBigFontPixels = 17;
constexpr QRect kMessageGeometry(0, 0, 590, 65);
constexpr QRect kGroup1Geometry(0, 65, 590, 144);
constexpr QRect kLabel1Geometry(8, 22, 108, 20);
constexpr QRect kKodSPGeometry(118, 18, 170, 26);
constexpr QRect kLabel4Geometry(304, 22, 64, 20);
constexpr QRect kEdIzmSPGeometry(370, 18, 212, 26);
constexpr QRect kLabel3Geometry(8, 50, 108, 18);
constexpr QRect kSPNameGeometry(8, 68, 574, 70);
constexpr QRect kGroup2Geometry(0, 209, 590, 206);
constexpr QRect kLabel5Geometry(8, 24, 108, 20);
constexpr QRect kKodORNGeometry(118, 20, 170, 26);
constexpr QRect kLabel6Geometry(304, 24, 134, 20);
constexpr QRect kKPrivGeometry(440, 20, 142, 26);
constexpr QRect kGridGeometry(8, 52, 574, 148);
constexpr int kGridColumnWidth = 564;
constexpr QRect kLabel2Geometry(8, 423, 108, 20);
constexpr QRect kSearchGeometry(118, 419, 464, 24);
constexpr int kButtonTop = 451;
constexpr int kButtonHeight = 30;
struct ButtonPlace {
    int left;
    int width;
};
constexpr ButtonPlace kOkPlace{5, 100};
constexpr ButtonPlace kNextPlace{110, 110};
constexpr ButtonPlace kSkipSbornikPlace{225, 150};
constexpr ButtonPlace kCancelPlace{380, 100};
constexpr ButtonPlace kHelpPlace{485, 100};

constexpr QColor kYellow(255, 255, 0);
constexpr QColor kCream(255, 251, 240);
constexpr QColor kSkyBlue(166, 202, 240);

QLabel* makeLabel(QWidget* parent, const char* name, const std::string& textCp1251,
                  const QRect& geometry) {
    auto* label = new QLabel(fromAnsi(textCp1251), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

QLabel* makePanel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(geometry);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panel->setFont(dialog::ClassicFont(kBigFontPixels, true));
    panel->setIndent(4);
    return panel;
}

QLineEdit* makeEdit(QWidget* parent, const char* name, const QRect& geometry, bool big) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(geometry);
    if (big) edit->setFont(dialog::ClassicFont(kBigFontPixels, true));
    edit->setEnabled(false);
    return edit;
}

QPushButton* makeButton(QWidget* parent, const char* name, const std::string& textCp1251,
                        ButtonPlace place) {
    auto* button = new QPushButton(fromAnsi(textCp1251), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place.left, kButtonTop, place.width, kButtonHeight);
    // No button is the default: Enter and Esc belong to the dialog's key handling.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

void setBackground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, color);
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
}

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

const SIndexDesc TSelectPerehodForm::kUnitsIndexes[] = {
    {"ED_IZ_IND", "ED_IZ", "ED_IZ"},
    {"NULL", "NULL", "NULL"},
};

TSelectPerehodForm::TSelectPerehodForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      FDescription("Выбор соответствия"_w),
      FColumnTitle("Название Единицы измерения"_w) {
    BuildLayout();
}

TSelectPerehodForm::~TSelectPerehodForm() { FormDestroy(); }

void TSelectPerehodForm::BuildLayout() {
    setWindowTitle(fromAnsi("Выбор соответствия"_w));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(dialog::ClassicFont(kFontPixels));

    memoMessage = new QTextEdit(this);
    memoMessage->setObjectName(QStringLiteral("memoMessage"));
    memoMessage->setGeometry(kMessageGeometry);
    memoMessage->setReadOnly(true);
    memoMessage->setFont(dialog::ClassicFont(kBigFontPixels, true));
    memoMessage->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    setBackground(memoMessage, kYellow);

    GroupBox1 = new QGroupBox(fromAnsi("Норматив Санкт-Питербурга"_w), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(kGroup1Geometry);
    Label1 = makeLabel(GroupBox1, "Label1", "Код норматива:"_w, kLabel1Geometry);
    pnKOD_SP = makePanel(GroupBox1, "pnKOD_SP", kKodSPGeometry);
    Label4 = makeLabel(GroupBox1, "Label4", "Ед. изм.:"_w, kLabel4Geometry);
    pnEdIzmSPName = makePanel(GroupBox1, "pnEdIzmSPName", kEdIzmSPGeometry);
    Label3 = makeLabel(GroupBox1, "Label3", "Наименование:"_w, kLabel3Geometry);
    memoSPName = new QPlainTextEdit(GroupBox1);
    memoSPName->setObjectName(QStringLiteral("memoSPName"));
    memoSPName->setGeometry(kSPNameGeometry);
    memoSPName->setReadOnly(true);
    memoSPName->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setBackground(memoSPName, kCream);

    GroupBox2 = new QGroupBox(fromAnsi("Заменить на"_w), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(kGroup2Geometry);
    Label5 = makeLabel(GroupBox2, "Label5", "Код норматива:"_w, kLabel5Geometry);
    Label5->setEnabled(false);
    eKOD_ORN = makeEdit(GroupBox2, "eKOD_ORN", kKodORNGeometry, true);
    Label6 = makeLabel(GroupBox2, "Label6", "Коэфф. приведения:"_w, kLabel6Geometry);
    Label6->setEnabled(false);
    eK_Priv = makeEdit(GroupBox2, "eK_Priv", kKPrivGeometry, true);
    dbgMain = new QTableView(GroupBox2);
    dbgMain->setObjectName(QStringLiteral("dbgMain"));
    dbgMain->setGeometry(kGridGeometry);
    dbgMain->setEnabled(false);
    dbgMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgMain->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgMain->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgMain->setShowGrid(true);
    dbgMain->verticalHeader()->setVisible(false);
    dbgMain->verticalHeader()->setDefaultSectionSize(18);
    dbgMain->horizontalHeader()->setStretchLastSection(false);
    dbgMain->horizontalHeader()->setHighlightSections(false);
    QPalette headerPalette = dbgMain->horizontalHeader()->palette();
    headerPalette.setColor(QPalette::Button, kSkyBlue);
    headerPalette.setColor(QPalette::Window, kSkyBlue);
    dbgMain->horizontalHeader()->setPalette(headerPalette);
    // The highlighted row is the answer: keep it visible while the focus is elsewhere.
    QPalette gridPalette = dbgMain->palette();
    gridPalette.setColor(QPalette::Inactive, QPalette::Highlight,
                         gridPalette.color(QPalette::Active, QPalette::Highlight));
    gridPalette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         gridPalette.color(QPalette::Active, QPalette::HighlightedText));
    dbgMain->setPalette(gridPalette);
    connect(dbgMain, &QTableView::doubleClicked, this, [this] { dbgMainDblClick(); });

    Label2 = makeLabel(this, "Label2", "Поиск по имени:"_w, kLabel2Geometry);
    Label2->setEnabled(false);
    eSearchString = makeEdit(this, "eSearchString", kSearchGeometry, false);
    connect(eSearchString, &QLineEdit::textChanged, this,
            [this] { Guarded([this] { eSearchStringChange(); }); });

    OkButton = makeButton(this, "OkButton", "Принять"_w, kOkPlace);
    NextButton = makeButton(this, "NextButton", "Пропустить"_w, kNextPlace);
    BitBtn1 = makeButton(this, "BitBtn1", "Пропустить сборник"_w, kSkipSbornikPlace);
    CancelButton = makeButton(this, "CancelButton", "Отмена"_w, kCancelPlace);
    HelpButton = makeButton(this, "HelpButton", "Справка"_w, kHelpPlace);
    connect(OkButton, &QPushButton::clicked, this, [this] { TryClose(engine::kModalOk); });
    connect(NextButton, &QPushButton::clicked, this, [this] { TryClose(engine::kModalIgnore); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(CancelButton, &QPushButton::clicked, this,
            [this] { TryClose(engine::kModalCancel); });
    // "Справка" has no action.

    // Key preview: the form sees every key before its controls.
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
    installEventFilter(this);
}

void TSelectPerehodForm::SetQuestion(const std::string& baseCode, const std::string& message,
                                     const std::string& code, const std::string& unit,
                                     const std::string& name, const std::string& secondUnitsDir,
                                     const std::string& firstUnitsDir) {
    FBaseCode = baseCode;
    FMessage = message;
    FKodSP = text::trimmed(code);
    FEdIzmSP = text::trimmed(unit);
    FNameSP = name;
    FSecondUnitsDir = secondUnitsDir;
    FFirstUnitsDir = firstUnitsDir;
}

void TSelectPerehodForm::SetMode(int mode) { FAskMode = mode; }

int TSelectPerehodForm::ShowModal() {
    // The controls are filled once the dialog runs and is shown, as on its first activation.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
    return exec();
}

bool TSelectPerehodForm::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && FFirstActivate) {
        QTimer::singleShot(0, this, [this] { FormActivate(); });
    }
    if (event->type() == QEvent::Show) {
        if (const QScreen* screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->geometry().center());
            move(frame.topLeft());
        }
    }
    return QDialog::event(event);
}

void TSelectPerehodForm::FormActivate() {
    if (!FFirstActivate) return;
    FFirstActivate = false;
    platform::setCursor(platform::CursorShape::Busy);
    bool opened = false;
    Guarded([&] { opened = OpenFile(WEdIzm(FBaseCode, FFirstUnitsDir, FSecondUnitsDir).GetFileName()); });
    if (!opened) {
        // The user is asked whether to cancel the conversion, as after the close box.
        WMessage().CloseActiveWindow();
        platform::setCursor(platform::CursorShape::Arrow);
        return;
    }
    SetupGrid();
    pnKOD_SP->setText(fromAnsi(FKodSP));
    eKOD_ORN->setText(fromAnsi(FKodSP));
    pnEdIzmSPName->setText(fromAnsi(FEdIzmSP));
    eK_Priv->setText(QStringLiteral("1.0"));
    memoSPName->setPlainText(fromAnsi(FNameSP));
    memoMessage->setPlainText(fromAnsi(FMessage));
    eSearchString->clear();

    const bool askCode = FAskMode == engine::kAskCode;
    const bool askUnit = FAskMode == engine::kAskUnit;
    Label5->setEnabled(askCode);
    eKOD_ORN->setEnabled(askCode);
    Label6->setEnabled(askUnit);
    eK_Priv->setEnabled(askUnit);
    dbgMain->setEnabled(askUnit);
    Label2->setEnabled(askUnit);
    eSearchString->setEnabled(askUnit);

    if (askCode) {
        // The grid takes the button face, so that it looks inactive.
        const QColor face = palette().color(QPalette::Button);
        QPalette gridPalette = dbgMain->palette();
        gridPalette.setColor(QPalette::Base, face);
        dbgMain->setPalette(gridPalette);
        QPalette headerPalette = dbgMain->horizontalHeader()->palette();
        headerPalette.setColor(QPalette::Button, face);
        headerPalette.setColor(QPalette::Window, face);
        dbgMain->horizontalHeader()->setPalette(headerPalette);
        eKOD_ORN->setFocus();
    }
    if (askUnit) {
        Guarded([this] {
            eSearchString->setText(fromAnsi(FEdIzmSP));
            eSearchStringChange();
        });
        eSearchString->setFocus();
    }
    platform::setCursor(platform::CursorShape::Arrow);
}

bool TSelectPerehodForm::OpenFile(const std::string& path) {
    WDbfFile dbf;
    if (!dbf.OpenIndexedTable(EdIzmTable, path, true, true, kUnitsIndexes,
                              UnitsTableModel::kNameTag)) {
        return false;
    }
    EdIzmTable->first();
    if (EdIzmTable->recordCount() > 0) return true;
    ShowDialogMessage("OpenFile: Файл с единицами измерения пустой!"_w);
    return true;
}

bool TSelectPerehodForm::SetupGrid() {
    FModel = std::make_unique<UnitsTableModel>(*EdIzmTable, fromAnsi(FColumnTitle));
    dbgMain->setModel(FModel.get());
    dbgMain->setColumnWidth(0, kGridColumnWidth);
    connect(dbgMain->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                Guarded([&] { UserMovedTo(current.row()); });
            });
    ShowCurrentRecord();
    return true;
}

void TSelectPerehodForm::ShowCurrentRecord() {
    if (!FModel) return;
    const int row = FModel->currentRow();
    if (row < 0) return;
    const QModelIndex index = FModel->index(row, 0);
    dbgMain->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    dbgMain->scrollTo(index);
}

void TSelectPerehodForm::UserMovedTo(int row) {
    if (FModel) FModel->moveToRow(row);
}

void TSelectPerehodForm::eSearchStringChange() {
    if (!FModel) return;
    FModel->seekNearest(toAnsi(eSearchString->text()));
    ShowCurrentRecord();
}

void TSelectPerehodForm::dbgMainDblClick() { TryClose(engine::kModalOk); }

void TSelectPerehodForm::BitBtn1Click() {
    FSkipSbornik = true;
    TryClose(engine::kModalIgnore);
}

bool TSelectPerehodForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
        TryClose(engine::kModalIgnore);
        return true;
    }
    if (isEnter(key)) {
        if (watched == eSearchString || watched == eKOD_ORN || watched == eK_Priv ||
            watched == dbgMain || watched == dbgMain->viewport()) {
            dbgMainDblClick();
            return true;
        }
        // A focused button answers Enter as it would a space.
        if (auto* button = qobject_cast<QPushButton*>(watched)) {
            button->click();
            return true;
        }
    }
    if (watched == eK_Priv && !key->text().isEmpty()) {
        // Only characters that can make up a number pass; "," is typed as ".". Keys without a
        // character (arrows, Delete) are not typing and pass unchanged.
        const QString typed = key->text();
        if (typed.size() != 1 || typed[0].unicode() > 0x7F) return true;
        const char c = static_cast<char>(typed[0].unicode());
        const auto passed = dialog::FilterCoefficientChar(c);
        if (!passed) return true;
        if (*passed != c) {
            eK_Priv->insert(QString(QChar::fromLatin1(*passed)));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TSelectPerehodForm::closeEvent(QCloseEvent* event) {
    // The close box, Alt+F4 and CloseActiveWindow: the same as "Отмена".
    event->ignore();
    TryClose(engine::kModalCancel);
}

void TSelectPerehodForm::reject() { TryClose(engine::kModalCancel); }

void TSelectPerehodForm::TryClose(int modalResult) {
    // A second request while the close query's message box is open waits for that answer.
    if (FClosing) return;
    FClosing = true;
    bool allowed = false;
    Guarded([&] { allowed = FormCloseQuery(modalResult); });
    FClosing = false;
    if (allowed) done(modalResult);
}

bool TSelectPerehodForm::FormCloseQuery(int modalResult) {
    if (modalResult == engine::kModalCancel) {
        return platform::askYesNoCancel(Caption(), "Отменить конвертацию?"_w, true) ==
               platform::Answer::Yes;
    }
    if (modalResult == engine::kModalIgnore) return true;

    dialog::AnswerInput input;
    input.mode = FAskMode;
    input.unitsTableOpen = UnitsTableOpen();
    input.codeEnabled = eKOD_ORN->isEnabled();
    input.code = toAnsi(eKOD_ORN->text());
    input.coefficientEnabled = eK_Priv->isEnabled();
    input.coefficient = toAnsi(eK_Priv->text());
    input.baseCode = FBaseCode;
    const dialog::AnswerProblem problem = dialog::CheckAnswer(input);
    if (problem == dialog::AnswerProblem::None) return true;
    ShowDialogMessage(dialog::AnswerProblemMessage(problem));
    switch (problem) {
        case dialog::AnswerProblem::CodeMissing:
        case dialog::AnswerProblem::CodeInvalid:
            eKOD_ORN->setFocus();
            break;
        case dialog::AnswerProblem::CoefficientMissing:
        case dialog::AnswerProblem::CoefficientInvalid:
            eK_Priv->setFocus();
            break;
        default:
            break;
    }
    return false;
}

void TSelectPerehodForm::GetAnswer(std::string& code, std::string& unitCode,
                                   std::string& coefficient) const {
    code = text::trimmed(toAnsi(eKOD_ORN->text()));
    // No unit can be read from a table that is not open or stands on no record.
    unitCode.clear();
    if (EdIzmTable && EdIzmTable->active() && !EdIzmTable->eof()) {
        unitCode = EdIzmTable->fieldText(UnitsTableModel::kCodeField);
    }
    coefficient = text::trimmed(toAnsi(eK_Priv->text()));
}

void TSelectPerehodForm::FormDestroy() {
    if (dbgMain != nullptr) dbgMain->setModel(nullptr);
    FModel.reset();
    if (!EdIzmTable) return;
    try {
        WDbfFile().CloseTable(EdIzmTable);
    } catch (const std::exception&) {
        // Closing a table we only read cannot lose data; a destructor must not throw.
        EdIzmTable.reset();
    }
}

std::string TSelectPerehodForm::Caption() const { return toAnsi(windowTitle()); }

void TSelectPerehodForm::ShowDialogMessage(const std::string& text) const {
    platform::showError(Caption(), text, true);
}

template <typename Action>
void TSelectPerehodForm::Guarded(Action&& action) {
    // An error of the dBASE engine inside a handler must not unwind through Qt's event loop:
    // report it and let the user go on, as the standard exception report does.
    try {
        action();
    } catch (const std::exception& error) {
        platform::setCursor(platform::CursorShape::Arrow);
        if (dialog::errorReport != nullptr) {
            dialog::errorReport(error.what());
        } else {
            platform::showError(Caption(), error.what(), true);
        }
    }
}

std::unique_ptr<engine::CorrespondenceDialog> SelectPerehodFactory::CreateDialog() {
    return std::make_unique<TSelectPerehodForm>();
}

void SelectPerehodFactory::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
