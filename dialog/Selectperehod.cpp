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
#include <QValidator>

#include <iterator>

#include "dialog/AnswerChecks.h"
#include "dialog/ClassicFont.h"
#include "dialog/UnitsList.h"
#include "dialog/UnitsTableModel.h"
#include "dialog/Wmessage.h"
#include "text/CodePages.h"

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

// A key that edits by command rather than types: with Ctrl, or a control character other than
// backspace, which the box never inserts.
bool isShortcut(const QKeyEvent* key) {
    if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return true;
    const QString typed = key->text();
    if (typed.size() != 1) return false;
    const char16_t c = typed[0].unicode();
    return (c < 0x20 && c != 0x08) || c == 0x7F;
}

// What reaches the coefficient box other than by typing (pasting, dropping) passes the same
// filter as typed characters.
class CoefficientFilter final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override {
        const std::string before = toAnsi(input.left(position));
        const std::string filtered = dialog::FilterCoefficientText(toAnsi(input));
        position = static_cast<int>(dialog::FilterCoefficientText(before).size());
        input = fromAnsi(filtered);
        return Acceptable;
    }
};

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

TSelectPerehodForm::TSelectPerehodForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    BuildLayout();
}

TSelectPerehodForm::~TSelectPerehodForm() {
    // The grid lets go of its model before the question closes the units table.
    if (dbgMain != nullptr) dbgMain->setModel(nullptr);
}

void TSelectPerehodForm::BuildLayout() {
    setWindowTitle(fromAnsi(FQuestion.Caption()));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(dialog::ClassicFont(kFontPixels));

    memoMessage = new QTextEdit(this);
    memoMessage->setObjectName(QStringLiteral("memoMessage"));
    memoMessage->setGeometry(kMessageGeometry);
    memoMessage->setReadOnly(true);
    memoMessage->setTabChangesFocus(true);
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
    memoSPName->setTabChangesFocus(true);
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
    eK_Priv->setValidator(new CoefficientFilter(eK_Priv));
    dbgMain = new QTableView(GroupBox2);
    dbgMain->setObjectName(QStringLiteral("dbgMain"));
    dbgMain->setGeometry(kGridGeometry);
    dbgMain->setEnabled(false);
    dbgMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgMain->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgMain->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgMain->setShowGrid(true);
    // Tab leaves the grid for the next control; it must not move the chosen row.
    dbgMain->setTabKeyNavigation(false);
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
    connect(dbgMain, &QTableView::doubleClicked, this, [this] { Apply(FQuestion.Accept()); });

    Label2 = makeLabel(this, "Label2", "Поиск по имени:"_w, kLabel2Geometry);
    Label2->setEnabled(false);
    eSearchString = makeEdit(this, "eSearchString", kSearchGeometry, false);
    connect(eSearchString, &QLineEdit::textChanged, this, [this] { eSearchStringChange(); });
    connect(eKOD_ORN, &QLineEdit::textChanged, this,
            [this](const QString& shown) { FQuestion.SetCodeText(toAnsi(shown)); });
    connect(eK_Priv, &QLineEdit::textChanged, this,
            [this](const QString& shown) { FQuestion.SetCoefficientText(toAnsi(shown)); });

    OkButton = makeButton(this, "OkButton", "Принять"_w, kOkPlace);
    NextButton = makeButton(this, "NextButton", "Пропустить"_w, kNextPlace);
    BitBtn1 = makeButton(this, "BitBtn1", "Пропустить сборник"_w, kSkipSbornikPlace);
    CancelButton = makeButton(this, "CancelButton", "Отмена"_w, kCancelPlace);
    HelpButton = makeButton(this, "HelpButton", "Справка"_w, kHelpPlace);
    connect(OkButton, &QPushButton::clicked, this, [this] { Apply(FQuestion.Accept()); });
    connect(NextButton, &QPushButton::clicked, this, [this] { Apply(FQuestion.Skip()); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { Apply(FQuestion.SkipSbornik()); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { Apply(FQuestion.Cancel()); });
    // "Справка" has no action.

    // Tab goes where the answer is made, then to the buttons; the read-only texts come last.
    // Disabled controls of the other mode are passed over.
    QWidget* const tabOrder[] = {eSearchString, dbgMain,   eK_Priv,      eKOD_ORN,
                                 OkButton,      NextButton, BitBtn1,     CancelButton,
                                 HelpButton,    memoMessage, memoSPName};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }

    // Key preview: the form sees every key before its controls.
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
    installEventFilter(this);
}

void TSelectPerehodForm::SetQuestion(const std::string& baseCode, const std::string& message,
                                     const std::string& code, const std::string& unit,
                                     const std::string& name, const std::string& secondUnitsDir,
                                     const std::string& firstUnitsDir) {
    FQuestion.SetQuestion(baseCode, message, code, unit, name, secondUnitsDir, firstUnitsDir);
}

void TSelectPerehodForm::SetMode(int mode) { FQuestion.SetMode(mode); }

int TSelectPerehodForm::ShowModal() {
    // The controls are filled once the dialog runs and is shown, as on its first activation.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
    return exec();
}

bool TSelectPerehodForm::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !FQuestion.Filled()) {
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
    using Activation = dialog::CorrespondenceQuestion::Activation;
    switch (FQuestion.Activate()) {
        case Activation::Repeated:
            return;
        case Activation::Failed:
            // The user is asked whether to cancel the conversion, as after the close box.
            WMessage().CloseActiveWindow();
            return;
        case Activation::Filled:
            break;
    }
    SetupGrid();
    pnKOD_SP->setText(fromAnsi(FQuestion.SourceCode()));
    eKOD_ORN->setText(fromAnsi(FQuestion.CodeText()));
    pnEdIzmSPName->setText(fromAnsi(FQuestion.SourceUnit()));
    eK_Priv->setText(fromAnsi(FQuestion.CoefficientText()));
    memoSPName->setPlainText(fromAnsi(FQuestion.SourceName()));
    memoMessage->setPlainText(fromAnsi(FQuestion.Message()));
    eSearchString->setText(fromAnsi(FQuestion.SearchText()));

    const bool askCode = FQuestion.CodeEnabled();
    const bool askUnit = FQuestion.UnitEnabled();
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
        ShowCurrentRecord();
        eSearchString->setFocus();
    }
}

void TSelectPerehodForm::SetupGrid() {
    FModel = std::make_unique<UnitsTableModel>(*FQuestion.Units(),
                                               fromAnsi(FQuestion.ColumnTitle()));
    dbgMain->setModel(FModel.get());
    dbgMain->setColumnWidth(0, kGridColumnWidth);
    connect(dbgMain->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { FQuestion.SetCurrentRow(current.row()); });
    ShowCurrentRecord();
}

void TSelectPerehodForm::ShowCurrentRecord() {
    if (!FModel) return;
    const int row = FQuestion.CurrentRow();
    if (row < 0) return;
    const QModelIndex index = FModel->index(row, 0);
    dbgMain->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    dbgMain->scrollTo(index);
}

void TSelectPerehodForm::eSearchStringChange() {
    FQuestion.SetSearchText(toAnsi(eSearchString->text()));
    ShowCurrentRecord();
}

bool TSelectPerehodForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
        Apply(FQuestion.Skip());
        return true;
    }
    if (isEnter(key)) {
        if (watched == eSearchString || watched == eKOD_ORN || watched == eK_Priv ||
            watched == dbgMain || watched == dbgMain->viewport()) {
            Apply(FQuestion.Accept());
            return true;
        }
        // A focused button answers Enter as it would a space.
        if (auto* button = qobject_cast<QPushButton*>(watched)) {
            button->click();
            return true;
        }
    }
    if (watched == eK_Priv && !key->text().isEmpty() && !isShortcut(key)) {
        // Only characters that can make up a number pass; "," is typed as ".". Keys without a
        // character (arrows, Delete) are not typing and pass unchanged; nor are shortcuts
        // (Ctrl+A, Ctrl+V), and what they paste goes through the box's filter.
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

void TSelectPerehodForm::TryClose(int modalResult) { Apply(FQuestion.RequestClose(modalResult)); }

void TSelectPerehodForm::Apply(const dialog::CloseDecision& decision) {
    if (decision.close) {
        done(decision.modalResult);
        return;
    }
    if (decision.focus == dialog::Control::Code) eKOD_ORN->setFocus();
    if (decision.focus == dialog::Control::Coefficient) eK_Priv->setFocus();
}

void TSelectPerehodForm::GetAnswer(std::string& code, std::string& unitCode,
                                   std::string& coefficient) const {
    FQuestion.GetAnswer(code, unitCode, coefficient);
}

std::unique_ptr<engine::CorrespondenceDialog> SelectPerehodFactory::CreateDialog() {
    return std::make_unique<TSelectPerehodForm>();
}

void SelectPerehodFactory::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
