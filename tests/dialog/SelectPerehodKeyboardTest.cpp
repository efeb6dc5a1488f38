// The correspondence dialog as a keyboard user meets it: Tab order, Tab leaving the chosen unit
// alone, select-all and pasting in the coefficient box, and OK over an empty units table.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <string>
#include <vector>

#include "engine/ConversionUi.h"
#include "tests/dialog/QtTestSupport.h"
#include "tests/dialog/SelectPerehodFixture.h"

using engine::kAskCode;
using engine::kAskUnit;
using engine::kModalIgnore;
using testing_support::q;
using testing_support::Question;

namespace {

QWidget* focused(const Question& question) { return question.form->focusWidget(); }

}  // namespace

TEST(SelectPerehodKeyboard, TabGoesSearchGridCoefficientThenTheButtons) {
    Question question(kAskUnit);
    question.start();
    TSelectPerehodForm& f = *question.form;
    ASSERT_EQ(focused(question), f.eSearchString);
    const std::vector<QWidget*> expected = {f.dbgMain,  f.eK_Priv,      f.OkButton,
                                            f.NextButton, f.BitBtn1,    f.CancelButton,
                                            f.HelpButton};
    for (QWidget* next : expected) {
        QTest::keyClick(focused(question), Qt::Key_Tab);
        EXPECT_EQ(focused(question), next) << next->objectName().toStdString();
    }
    // And back again.
    f.eK_Priv->setFocus();
    QTest::keyClick(f.eK_Priv, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(question), f.dbgMain);
    QTest::keyClick(f.dbgMain, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(question), f.eSearchString);
}

TEST(SelectPerehodKeyboard, CodeModeTabGoesFromTheCodeToTheButtons) {
    Question question(kAskCode);
    question.start();
    ASSERT_EQ(focused(question), question.form->eKOD_ORN);
    QTest::keyClick(question.form->eKOD_ORN, Qt::Key_Tab);
    EXPECT_EQ(focused(question), question.form->OkButton);
}

TEST(SelectPerehodKeyboard, TabFromTheGridLeavesTheChosenUnitAsItWas) {
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        SCOPED_TRACE(key == Qt::Key_Tab ? "Tab" : "Shift+Tab");
        Question question(kAskUnit);
        question.start();
        QTableView* grid = question.form->dbgMain;
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        ASSERT_EQ(question.currentUnitName(), "м3");
        const std::string chosen = question.answerUnit();
        QTest::keyClick(grid, key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_NE(focused(question), grid);
        EXPECT_EQ(question.currentUnitName(), "м3");
        EXPECT_EQ(question.answerUnit(), chosen);
        EXPECT_EQ(chosen, "4");
    }
}

TEST(SelectPerehodKeyboard, CoefficientBoxEnteredWithTabHasItsTextSelected) {
    Question question(kAskUnit);
    question.start();
    // A box is told it got the focus only in the active window.
    question.form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(question.form.get()));
    question.form->dbgMain->setFocus();
    QTest::keyClick(question.form->dbgMain, Qt::Key_Tab);
    ASSERT_EQ(focused(question), question.form->eK_Priv);
    EXPECT_EQ(question.form->eK_Priv->selectedText(), q("1.0"));
    testing_support::typeText(question.form->eK_Priv, q("2"));
    EXPECT_EQ(question.form->eK_Priv->text(), q("2"));
}

TEST(SelectPerehodKeyboard, CtrlASelectsAllThenTypingReplaces) {
    Question question(kAskUnit);
    question.start();
    QLineEdit* box = question.form->eK_Priv;
    box->setFocus();
    box->deselect();
    box->setCursorPosition(3);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(box->selectedText(), q("1.0"));
    testing_support::typeText(box, q("2,5"));
    EXPECT_EQ(box->text(), q("2.5"));
    EXPECT_EQ(question.answerCoefficient(), "2.5");
    // The other boxes take Ctrl+A too.
    QLineEdit* search = question.form->eSearchString;
    search->setFocus();
    search->deselect();
    QTest::keyClick(search, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(search->selectedText(), q("м2"));
}

TEST(SelectPerehodKeyboard, PastedTextGoesThroughTheCoefficientFilter) {
    struct Case {
        const char* clipboard;
        const char* result;
    } cases[] = {
        {"12,5", "12.5"}, {" 3 руб.", "3."}, {"1e5", "15"}, {"abc", ""}, {"-0,25\t", "-0.25"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clipboard);
        Question question(kAskUnit);
        question.start();
        QLineEdit* box = question.form->eK_Priv;
        box->setFocus();
        QApplication::clipboard()->setText(q(c.clipboard));
        // Ctrl+V, as the keyboard pastes.
        box->selectAll();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(box->text(), q(c.result));
        EXPECT_EQ(question.answerCoefficient(), c.result);
        // The context menu's "Paste" calls the same slot.
        box->selectAll();
        box->paste();
        EXPECT_EQ(box->text(), q(c.result));
    }
}

TEST(SelectPerehodKeyboard, PasteInTheMiddleKeepsTheCursorAfterThePastedText) {
    Question question(kAskUnit);
    question.start();
    QLineEdit* box = question.form->eK_Priv;
    box->setFocus();
    box->setCursorPosition(1);  // 1|.0
    QApplication::clipboard()->setText(q("x2,y"));
    box->paste();
    EXPECT_EQ(box->text(), q("12..0"));
    EXPECT_EQ(box->cursorPosition(), 3);
}

TEST(SelectPerehodKeyboard, OkOverAnEmptyUnitsTableIsRefused) {
    Question question(kAskUnit, Question::Table::Empty);
    question.start();
    QTest::mouseClick(question.form->OkButton, Qt::LeftButton);
    EXPECT_FALSE(question.closed());
    EXPECT_EQ(question.desktop.lastTextUtf8(),
              "Файл с единицами измерения пустой, выбрать единицу измерения нельзя! "
              "Пропустите запись или сборник либо отмените конвертацию.");
    QTest::keyClick(question.form->eK_Priv, Qt::Key_Return);
    EXPECT_FALSE(question.closed()) << "Enter is OK too";
    QTest::keyClick(question.form->eK_Priv, Qt::Key_Escape);
    EXPECT_TRUE(question.closed());
    EXPECT_EQ(question.form->result(), kModalIgnore);
}
