#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <fstream>
#include <memory>
#include <string>

#include "dbf/EngineError.h"
#include "dbf/Table.h"
#include "dialog/Selectperehod.h"
#include "dialog/UnitsTableModel.h"
#include "tests/dialog/QtTestSupport.h"
#include "tests/dialog/SelectPerehodFixture.h"
#include "tests/dialog/UnitsTableFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using engine::kAskCode;
using engine::kAskUnit;
using engine::kModalCancel;
using engine::kModalIgnore;
using engine::kModalOk;
using platform::Answer;
using testing_support::RecordingDesktop;
using testing_support::TempFolder;
using testing_support::waitFor;
using testing_support::Question;
using testing_support::q;
using testing_support::retype;
using testing_support::typeText;


TEST(SelectPerehod, FormLayout) {
    Question question(kAskUnit);
    TSelectPerehodForm& f = *question.form;
    EXPECT_EQ(f.windowTitle(), q("Выбор соответствия"));
    EXPECT_EQ(f.size(), QSize(590, 487));
    EXPECT_TRUE(f.isModal());
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(f.font().pixelSize(), 13);
    EXPECT_EQ(f.memoMessage->height(), 65);
    EXPECT_EQ(f.memoMessage->width(), 590);
    EXPECT_TRUE(f.memoMessage->isReadOnly());
    EXPECT_TRUE(f.memoMessage->font().bold());
    EXPECT_EQ(f.memoMessage->font().pixelSize(), 17);
    EXPECT_EQ(f.memoMessage->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_EQ(f.GroupBox1->height(), 144);
    EXPECT_EQ(f.GroupBox1->title(), q("Норматив Санкт-Питербурга"));
    EXPECT_EQ(f.GroupBox2->title(), q("Заменить на"));
    EXPECT_EQ(f.Label1->text(), q("Код норматива:"));
    EXPECT_EQ(f.Label4->text(), q("Ед. изм.:"));
    EXPECT_EQ(f.Label3->text(), q("Наименование:"));
    EXPECT_EQ(f.Label5->text(), q("Код норматива:"));
    EXPECT_EQ(f.Label6->text(), q("Коэфф. приведения:"));
    EXPECT_EQ(f.Label2->text(), q("Поиск по имени:"));
    EXPECT_EQ(f.pnKOD_SP->frameShadow(), QFrame::Sunken);
    EXPECT_TRUE(f.pnKOD_SP->font().bold());
    EXPECT_TRUE(f.memoSPName->isReadOnly());
    EXPECT_EQ(f.memoSPName->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(f.eKOD_ORN->font().pixelSize(), 17);
    EXPECT_EQ(f.eK_Priv->font().pixelSize(), 17);
    EXPECT_EQ(f.dbgMain->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(f.dbgMain->showGrid());
    // The buttons, left to right, none of them the default.
    const QPushButton* buttons[] = {f.OkButton, f.NextButton, f.BitBtn1, f.CancelButton,
                                    f.HelpButton};
    const char* texts[] = {"Принять", "Пропустить", "Пропустить сборник", "Отмена", "Справка"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(buttons[i]->text(), q(texts[i]));
        EXPECT_FALSE(buttons[i]->isDefault());
        EXPECT_FALSE(buttons[i]->autoDefault());
        if (i > 0) {
            EXPECT_GE(buttons[i]->x(), buttons[i - 1]->x() + buttons[i - 1]->width());
        }
        EXPECT_EQ(buttons[i]->y(), f.OkButton->y());
    }
    // The search row lies between the second group and the buttons.
    EXPECT_GE(f.eSearchString->y(), f.GroupBox2->y() + f.GroupBox2->height());
    EXPECT_LE(f.eSearchString->y() + f.eSearchString->height(), f.OkButton->y());
    // Everything of the second group starts disabled, before the first activation.
    EXPECT_FALSE(f.eKOD_ORN->isEnabled());
    EXPECT_FALSE(f.eK_Priv->isEnabled());
    EXPECT_FALSE(f.dbgMain->isEnabled());
    EXPECT_FALSE(f.eSearchString->isEnabled());
    EXPECT_FALSE(f.IsSkipSbornik());
}

TEST(SelectPerehod, UnitModeStartsOnTheSourceUnit) {
    Question question(kAskUnit);
    question.start();
    TSelectPerehodForm& f = *question.form;
    EXPECT_EQ(f.pnKOD_SP->text(), q("С101-1-5-"));
    EXPECT_EQ(f.eKOD_ORN->text(), q("С101-1-5-"));
    EXPECT_EQ(f.pnEdIzmSPName->text(), q("м2"));
    EXPECT_EQ(f.eK_Priv->text(), q("1.0"));
    EXPECT_EQ(f.memoSPName->toPlainText(), q("Кладка стен из кирпича"));
    EXPECT_EQ(f.memoMessage->toPlainText(), q("Не найдено соответствие единицы измерения"));
    EXPECT_EQ(f.eSearchString->text(), q("м2"));
    EXPECT_FALSE(f.Label5->isEnabled());
    EXPECT_FALSE(f.eKOD_ORN->isEnabled());
    EXPECT_TRUE(f.Label6->isEnabled());
    EXPECT_TRUE(f.eK_Priv->isEnabled());
    EXPECT_TRUE(f.dbgMain->isEnabled());
    EXPECT_TRUE(f.Label2->isEnabled());
    EXPECT_TRUE(f.eSearchString->isEnabled());
    EXPECT_EQ(f.focusWidget(), f.eSearchString);
    EXPECT_EQ(f.dbgMain->model()->headerData(0, Qt::Horizontal).toString(),
              q("Название Единицы измерения"));
    EXPECT_EQ(f.dbgMain->columnWidth(0), 564);
    EXPECT_EQ(question.currentUnitName(), "м2");
    const auto answer = question.answer();
    EXPECT_EQ(answer.unit, "5");
    EXPECT_EQ(answer.coefficient, "1.0");
    EXPECT_EQ(text::cp1251ToUtf8(answer.code), "С101-1-5-");
    EXPECT_TRUE(question.desktop.messages.empty());
    // The cursor was busy while the table opened, and is back to normal.
    ASSERT_FALSE(question.desktop.cursors.empty());
    EXPECT_EQ(question.desktop.cursors.front(), platform::CursorShape::Busy);
    EXPECT_EQ(question.desktop.cursors.back(), platform::CursorShape::Arrow);
}

TEST(SelectPerehod, CodeModeStartsOnTheSourceCodeWithTheGridInactive) {
    Question question(kAskCode);
    question.start();
    TSelectPerehodForm& f = *question.form;
    EXPECT_TRUE(f.Label5->isEnabled());
    EXPECT_TRUE(f.eKOD_ORN->isEnabled());
    EXPECT_FALSE(f.Label6->isEnabled());
    EXPECT_FALSE(f.eK_Priv->isEnabled());
    EXPECT_FALSE(f.dbgMain->isEnabled());
    EXPECT_FALSE(f.Label2->isEnabled());
    EXPECT_FALSE(f.eSearchString->isEnabled());
    EXPECT_EQ(f.eKOD_ORN->text(), q("С101-1-5-"));
    EXPECT_TRUE(f.eSearchString->text().isEmpty());
    EXPECT_EQ(f.focusWidget(), f.eKOD_ORN);
    EXPECT_EQ(f.dbgMain->palette().color(QPalette::Base), f.palette().color(QPalette::Button));
}

TEST(SelectPerehod, SearchGoesToTheNearestUnitAndAnswersItsCode) {
    Question question(kAskUnit);
    question.start();
    struct Case {
        const char* typed;
        const char* row;
        const char* code;
    } cases[] = {
        {"к", "кг", "3"}, {"м", "м", "2"}, {"м3", "м3", "4"}, {"н", "т", "6"},
        {"1", "100 м", "7"}, {"я", "шт", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        retype(question.form->eSearchString, c.typed);
        EXPECT_EQ(question.currentUnitName(), c.row);
        EXPECT_EQ(question.answerUnit(), c.code);
    }
}

TEST(SelectPerehod, RowPickedInTheGridIsTheAnswer) {
    Question question(kAskUnit);
    question.start();
    QTableView* grid = question.form->dbgMain;
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(question.currentUnitName(), "100 м");
    EXPECT_EQ(question.answerUnit(), "7");
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(question.currentUnitName(), "м");
    EXPECT_EQ(question.answerUnit(), "2");
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(question.answerUnit(), "1");
}

TEST(SelectPerehod, CoefficientBoxTakesOnlyNumberCharacters) {
    Question question(kAskUnit);
    question.start();
    QLineEdit* box = question.form->eK_Priv;
    retype(box, "12,5");
    EXPECT_EQ(box->text(), q("12.5"));
    typeText(box, q("ab cЖ+e"));
    EXPECT_EQ(box->text(), q("12.5"));
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->text(), q("12."));
    typeText(box, q("-.,7"));
    EXPECT_EQ(box->text(), q("12.-..7")) << "nothing else restricts the text";
    EXPECT_EQ(question.answerCoefficient(), "12.-..7");
}

TEST(SelectPerehod, UnitAnswerAccepted) {
    Question question(kAskUnit);
    question.start();
    retype(question.form->eK_Priv, "2,5");
    QTest::mouseClick(question.form->OkButton, Qt::LeftButton);
    EXPECT_TRUE(question.closed());
    EXPECT_EQ(question.form->result(), kModalOk);
    EXPECT_FALSE(question.form->IsSkipSbornik());
    const auto answer = question.answer();
    EXPECT_EQ(answer.unit, "5");
    EXPECT_EQ(answer.coefficient, "2.5");
    EXPECT_TRUE(question.desktop.messages.empty());
}

TEST(SelectPerehod, CoefficientChecksOnOk) {
    struct Case {
        const char* typed;
        const char* message;
    } cases[] = {
        {"", "Коэффициент приведения цен не задан!"},
        {"0", "Коэффициент приведения цен задан не верно!"},
        {"0.0", "Коэффициент приведения цен задан не верно!"},
        {"-1", "Коэффициент приведения цен задан не верно!"},
        {"1..2", "Коэффициент приведения цен задан не верно!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Question question(kAskUnit);
        question.start();
        retype(question.form->eK_Priv, c.typed);
        question.form->NextButton->setFocus();
        QTest::mouseClick(question.form->OkButton, Qt::LeftButton);
        EXPECT_FALSE(question.closed());
        ASSERT_EQ(question.desktop.messages.size(), 1u);
        const auto& box = question.desktop.messages[0];
        EXPECT_EQ(text::cp1251ToUtf8(box.text), c.message);
        EXPECT_EQ(text::cp1251ToUtf8(box.caption), "Выбор соответствия");
        EXPECT_EQ(box.kind, platform::MessageKind::Error);
        EXPECT_TRUE(box.topmost);
        EXPECT_EQ(question.form->focusWidget(), question.form->eK_Priv);
    }
}

TEST(SelectPerehod, CodeChecksOnOk) {
    {
        // The converter asks only for codes that fail the check, so the code as it stands fails.
        Question question(kAskCode);
        question.start();
        question.form->OkButton->click();
        EXPECT_FALSE(question.closed());
        EXPECT_EQ(question.desktop.lastTextUtf8(), "Код норматива задан не верно!");
        EXPECT_EQ(question.form->focusWidget(), question.form->eKOD_ORN);
    }
    {
        Question question(kAskCode);
        question.start();
        retype(question.form->eKOD_ORN, "   ");
        question.form->OkButton->click();
        EXPECT_FALSE(question.closed());
        EXPECT_EQ(question.desktop.lastTextUtf8(), "Код норматива не задан!");
    }
    {
        Question question(kAskCode);
        question.start();
        retype(question.form->eKOD_ORN, " С101-0001-5 ");
        question.form->OkButton->click();
        EXPECT_TRUE(question.closed());
        EXPECT_EQ(question.form->result(), kModalOk);
        EXPECT_EQ(text::cp1251ToUtf8(question.answerCode()), "С101-0001-5");
        EXPECT_TRUE(question.desktop.messages.empty());
    }
}

TEST(SelectPerehod, CodeIsCheckedWithTheBaseLetter) {
    Question question(kAskCode, Question::Table::Sample, "MG419");
    question.start();
    retype(question.form->eKOD_ORN, "С101-0001-5");
    question.form->OkButton->click();
    EXPECT_FALSE(question.closed()) << "not a code of base letter M";
    retype(question.form->eKOD_ORN, "С1.23-45-6");
    question.form->OkButton->click();
    EXPECT_TRUE(question.closed()) << question.desktop.lastTextUtf8();
}

TEST(SelectPerehod, EnterInABoxOrTheGridAndDoubleClickAccept) {
    {
        Question question(kAskUnit);
        question.start();
        QTest::keyClick(question.form->eSearchString, Qt::Key_Return);
        EXPECT_TRUE(question.closed());
        EXPECT_EQ(question.form->result(), kModalOk);
    }
    {
        Question question(kAskUnit);
        question.start();
        QTest::keyClick(question.form->eK_Priv, Qt::Key_Enter);
        EXPECT_EQ(question.form->result(), kModalOk);
    }
    {
        Question question(kAskUnit);
        question.start();
        QTest::keyClick(question.form->dbgMain, Qt::Key_Return);
        EXPECT_EQ(question.form->result(), kModalOk);
    }
    {
        Question question(kAskCode);
        question.start();
        retype(question.form->eKOD_ORN, "С101-0001-5");
        QTest::keyClick(question.form->eKOD_ORN, Qt::Key_Return);
        EXPECT_EQ(question.form->result(), kModalOk);
    }
    {
        Question question(kAskUnit);
        question.start();
        QTableView* grid = question.form->dbgMain;
        const QRect cell = grid->visualRect(grid->model()->index(1, 0));
        // A double click is the second click of a pair.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        EXPECT_TRUE(question.closed());
        EXPECT_EQ(question.form->result(), kModalOk);
        EXPECT_EQ(question.answerUnit(), "3") << "the double-clicked row, кг";
    }
}

TEST(SelectPerehod, EscapeInAnyControlSkipsWithoutChecks) {
    for (const char* control : {"eKOD_ORN", "eSearchString", "dbgMain", "OkButton", "form"}) {
        SCOPED_TRACE(control);
        Question question(std::string(control) == "eKOD_ORN" ? kAskCode : kAskUnit);
        question.start();
        TSelectPerehodForm& f = *question.form;
        retype(f.eK_Priv, "");
        if (f.eKOD_ORN->isEnabled()) retype(f.eKOD_ORN, "");
        QWidget* target = std::string(control) == "form"
                              ? static_cast<QWidget*>(&f)
                              : f.findChild<QWidget*>(QString::fromLatin1(control));
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_TRUE(question.closed());
        EXPECT_EQ(f.result(), kModalIgnore);
        EXPECT_FALSE(f.IsSkipSbornik());
        EXPECT_TRUE(question.desktop.messages.empty());
    }
}

TEST(SelectPerehod, SkipAndSkipCollection) {
    {
        Question question(kAskCode);
        question.start();
        question.form->NextButton->click();
        EXPECT_EQ(question.form->result(), kModalIgnore);
        EXPECT_FALSE(question.form->IsSkipSbornik());
    }
    {
        Question question(kAskCode);
        question.start();
        retype(question.form->eKOD_ORN, "");
        QTest::mouseClick(question.form->BitBtn1, Qt::LeftButton);
        EXPECT_TRUE(question.closed());
        EXPECT_EQ(question.form->result(), kModalIgnore);
        EXPECT_TRUE(question.form->IsSkipSbornik());
        EXPECT_TRUE(question.desktop.messages.empty()) << "no checks";
    }
}

TEST(SelectPerehod, CancelAsksAndOnlyYesCancels) {
    Question question(kAskUnit);
    question.start();
    TSelectPerehodForm& f = *question.form;
    retype(f.eK_Priv, "3");
    question.desktop.queueAnswer(Answer::No);
    f.CancelButton->click();
    EXPECT_FALSE(question.closed());
    question.desktop.queueAnswer(Answer::Cancel);
    f.CancelButton->click();
    EXPECT_FALSE(question.closed());
    EXPECT_EQ(f.eK_Priv->text(), q("3")) << "everything typed so far stays";
    question.desktop.queueAnswer(Answer::Yes);
    f.CancelButton->click();
    EXPECT_TRUE(question.closed());
    EXPECT_EQ(f.result(), kModalCancel);
    ASSERT_EQ(question.desktop.messages.size(), 3u);
    for (const auto& box : question.desktop.messages) {
        EXPECT_EQ(text::cp1251ToUtf8(box.text), "Отменить конвертацию?");
        EXPECT_EQ(text::cp1251ToUtf8(box.caption), "Выбор соответствия");
        EXPECT_EQ(box.kind, platform::MessageKind::YesNoCancel);
        EXPECT_TRUE(box.topmost);
    }
}

TEST(SelectPerehod, CloseBoxAsksTheCancelQuestion) {
    Question question(kAskUnit);
    question.start();
    question.desktop.queueAnswer(Answer::No);
    EXPECT_FALSE(question.form->close());
    EXPECT_FALSE(question.closed());
    question.desktop.queueAnswer(Answer::Yes);
    question.form->close();
    EXPECT_TRUE(question.closed());
    EXPECT_EQ(question.form->result(), kModalCancel);
    EXPECT_EQ(question.desktop.textsUtf8(),
              (std::vector<std::string>{"Отменить конвертацию?", "Отменить конвертацию?"}));
}

TEST(SelectPerehod, HelpDoesNothing) {
    Question question(kAskUnit);
    question.start();
    QTest::mouseClick(question.form->HelpButton, Qt::LeftButton);
    waitFor([] { return false; }, 30);
    EXPECT_FALSE(question.closed());
    EXPECT_TRUE(question.desktop.messages.empty());
    EXPECT_EQ(question.answerUnit(), "5");
}

TEST(SelectPerehod, MissingUnitsTableClosesTheDialogThroughTheCancelQuestion) {
    Question question(kAskUnit, Question::Table::Missing);
    question.start();
    TSelectPerehodForm& f = *question.form;
    // The table helper's message names the path it tried: DOP under the second folder.
    ASSERT_EQ(question.desktop.messages.size(), 1u);
    const std::string missing = question.desktop.textsUtf8()[0];
    EXPECT_EQ(missing, "Файл:" + question.second.path() + "/DOP/Ei1.dbf\nне найден!");
    // The close request arrives through the message loop and asks; No keeps the dialog.
    ASSERT_TRUE(waitFor([&] { return question.desktop.messages.size() == 2; }));
    EXPECT_EQ(question.desktop.textsUtf8()[1], "Отменить конвертацию?");
    EXPECT_FALSE(question.closed());
    EXPECT_FALSE(f.UnitsTableOpen());
    EXPECT_FALSE(f.eK_Priv->isEnabled());
    EXPECT_TRUE(f.eK_Priv->text().isEmpty());
    EXPECT_TRUE(f.pnKOD_SP->text().isEmpty());
    // OK cannot take a unit from a table that is not open.
    f.OkButton->click();
    EXPECT_FALSE(question.closed());
    EXPECT_NE(question.desktop.lastTextUtf8().find("Файл с единицами измерения не открыт"),
              std::string::npos);
    EXPECT_EQ(question.answerUnit(), "");
    // Skipping still works.
    f.NextButton->click();
    EXPECT_TRUE(question.closed());
    EXPECT_EQ(f.result(), kModalIgnore);
}

TEST(SelectPerehod, MissingUnitsTableYesCancels) {
    Question question(kAskCode, Question::Table::Missing);
    question.desktop.queueAnswer(Answer::Yes);  // the cancel question
    question.start();
    ASSERT_TRUE(waitFor([&] { return question.closed(); }));
    EXPECT_EQ(question.form->result(), kModalCancel);
}

TEST(SelectPerehod, EmptyUnitsTableIsReportedAndAnswersNoUnit) {
    Question question(kAskUnit, Question::Table::Empty);
    question.start();
    ASSERT_EQ(question.desktop.messages.size(), 1u);
    EXPECT_EQ(question.desktop.textsUtf8()[0], "OpenFile: Файл с единицами измерения пустой!");
    EXPECT_EQ(text::cp1251ToUtf8(question.desktop.messages[0].caption), "Выбор соответствия");
    EXPECT_TRUE(question.desktop.messages[0].topmost);
    EXPECT_TRUE(question.form->eK_Priv->isEnabled()) << "the dialog goes on";
    EXPECT_EQ(question.form->dbgMain->model()->rowCount(), 0);
    EXPECT_EQ(question.answerUnit(), "");
}

TEST(SelectPerehod, LaterActivationsLeaveTheControlsAsTheUserLeftThem) {
    Question question(kAskUnit);
    question.start();
    retype(question.form->eK_Priv, "7");
    retype(question.form->eSearchString, "к");
    question.form->FormActivate();
    EXPECT_EQ(question.form->eK_Priv->text(), q("7"));
    EXPECT_EQ(question.form->eSearchString->text(), q("к"));
    EXPECT_EQ(question.answerUnit(), "3");
}

TEST(SelectPerehod, ShowModalRunsTheDialogAndReturnsItsResult) {
    Question question(kAskUnit);
    QTimer::singleShot(0, [&] {
        // Runs inside the modal loop, after the first activation filled the dialog.
        QTimer::singleShot(10, [&] {
            retype(question.form->eSearchString, "кг");
            QTest::keyClick(question.form->eSearchString, Qt::Key_Return);
        });
    });
    EXPECT_EQ(question.form->ShowModal(), kModalOk);
    EXPECT_EQ(question.answerUnit(), "3");
}

TEST(SelectPerehod, UnitsTableIsClosedWithTheDialog) {
    Question question(kAskUnit);
    question.start();
    ASSERT_TRUE(question.form->UnitsTableOpen());
    const std::string path = question.first.file("Ei1.dbf");
    auto tryExclusive = [&] {
        dbf::Table table;
        table.setDatabaseName(question.first.path());
        table.setTableName("Ei1.dbf");
        table.setExclusive(true);
        try {
            table.open();
        } catch (const dbf::EngineError&) {
            return false;
        }
        table.close();
        return true;
    };
    // The production index with its tag was made for the search.
    std::ifstream mdx(question.first.file("Ei1.mdx"));
    EXPECT_TRUE(mdx.good());
    EXPECT_FALSE(tryExclusive()) << "the dialog holds the table open";
    question.form.reset();
    EXPECT_TRUE(tryExclusive());
}

TEST(SelectPerehodFactory, MakesOneDialogPerQuestionAndTurnsTheMessageLoop) {
    SelectPerehodFactory factory;
    auto first = factory.CreateDialog();
    auto second = factory.CreateDialog();
    ASSERT_NE(dynamic_cast<TSelectPerehodForm*>(first.get()), nullptr);
    EXPECT_NE(first.get(), second.get());
    bool handled = false;
    QTimer::singleShot(0, [&] { handled = true; });
    factory.ProcessMessages();
    EXPECT_TRUE(handled);
}
