// The correspondence dialog's logic as a front end drives it, with no window: the boxes'
// texts, the units list, what each button means and the answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbf/EngineError.h"
#include "dbf/Table.h"
#include "dialog/CorrespondenceQuestion.h"
#include "engine/ConversionUi.h"
#include "platform/Files.h"
#include "tests/dialog/UnitsTableFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using dialog::AnswerProblem;
using dialog::CloseDecision;
using dialog::Control;
using dialog::CorrespondenceQuestion;
using engine::kAskCode;
using engine::kAskUnit;
using engine::kModalCancel;
using engine::kModalIgnore;
using engine::kModalOk;
using platform::Answer;
using testing_support::RecordingDesktop;
using testing_support::TempFolder;

namespace {

std::string utf8(const std::string& cp1251) { return text::cp1251ToUtf8(cp1251); }

// One question, asked the way the converter asks it, with the units table in the first units
// folder (or missing, or empty).
struct Asked {
    enum class Table { Sample, Empty, Missing };

    TempFolder first;
    TempFolder second;
    RecordingDesktop desktop;
    CorrespondenceQuestion question;

    explicit Asked(int mode, Table table = Table::Sample, const std::string& baseCode = "4ABC") {
        const std::string name = baseCode == "MG419" ? "Ei2.dbf" : "Ei1.dbf";
        if (table == Table::Sample) {
            testing_support::writeUnitsTable(first.file(name), testing_support::sampleUnits());
        } else if (table == Table::Empty) {
            testing_support::writeUnitsTable(first.file(name), {});
        }
        question.SetQuestion(baseCode, "Не найдено соответствие единицы измерения"_w,
                             "  С101-1-5-  "_w, " м2 "_w, "Кладка стен из кирпича"_w,
                             second.path(), first.path());
        question.SetMode(mode);
    }
    std::string unit() const {
        std::string code, unitCode, coefficient;
        question.GetAnswer(code, unitCode, coefficient);
        return unitCode;
    }
    std::string currentName() const { return utf8(question.RowText(question.CurrentRow())); }
};

}  // namespace

TEST(CorrespondenceQuestion, FixedTextsAndNothingEnabledBeforeTheFirstActivation) {
    Asked asked(kAskUnit);
    const CorrespondenceQuestion& q = asked.question;
    EXPECT_EQ(utf8(q.Caption()), "Выбор соответствия");
    EXPECT_EQ(utf8(q.ColumnTitle()), "Название Единицы измерения");
    EXPECT_EQ(utf8(q.SourceCode()), "С101-1-5-") << "trimmed";
    EXPECT_EQ(utf8(q.SourceUnit()), "м2") << "trimmed";
    EXPECT_EQ(utf8(q.SourceName()), "Кладка стен из кирпича");
    EXPECT_EQ(utf8(q.Message()), "Не найдено соответствие единицы измерения");
    EXPECT_FALSE(q.Filled());
    EXPECT_FALSE(q.CodeEnabled());
    EXPECT_FALSE(q.UnitEnabled());
    EXPECT_FALSE(q.UnitsTableOpen());
    EXPECT_EQ(q.RowCount(), 0);
    EXPECT_EQ(q.CurrentRow(), -1);
    EXPECT_EQ(q.CodeText(), "");
    EXPECT_EQ(q.CoefficientText(), "");
    EXPECT_FALSE(q.IsSkipSbornik());
}

TEST(CorrespondenceQuestion, UnitModeStartsOnTheSourceUnit) {
    Asked asked(kAskUnit);
    CorrespondenceQuestion& q = asked.question;
    EXPECT_EQ(q.Activate(), CorrespondenceQuestion::Activation::Filled);
    EXPECT_TRUE(q.UnitEnabled());
    EXPECT_FALSE(q.CodeEnabled());
    EXPECT_EQ(utf8(q.CodeText()), "С101-1-5-");
    EXPECT_EQ(q.CoefficientText(), "1.0");
    EXPECT_EQ(utf8(q.SearchText()), "м2");
    EXPECT_EQ(q.RowCount(), 7);
    EXPECT_EQ(asked.currentName(), "м2");
    EXPECT_EQ(asked.unit(), "5");
    EXPECT_TRUE(asked.desktop.messages.empty());
    ASSERT_FALSE(asked.desktop.cursors.empty());
    EXPECT_EQ(asked.desktop.cursors.front(), platform::CursorShape::Busy);
    EXPECT_EQ(asked.desktop.cursors.back(), platform::CursorShape::Arrow);
}

TEST(CorrespondenceQuestion, CodeModeStartsOnTheSourceCodeWithAnEmptySearch) {
    Asked asked(kAskCode);
    CorrespondenceQuestion& q = asked.question;
    ASSERT_EQ(q.Activate(), CorrespondenceQuestion::Activation::Filled);
    EXPECT_TRUE(q.CodeEnabled());
    EXPECT_FALSE(q.UnitEnabled());
    EXPECT_EQ(utf8(q.CodeText()), "С101-1-5-");
    EXPECT_EQ(q.SearchText(), "");
    EXPECT_EQ(q.CurrentRow(), 0) << "the table stands on its first record";
}

TEST(CorrespondenceQuestion, LaterActivationsChangeNothing) {
    Asked asked(kAskUnit);
    CorrespondenceQuestion& q = asked.question;
    q.Activate();
    q.SetCoefficientText("7");
    q.SetSearchText("к"_w);
    EXPECT_EQ(q.Activate(), CorrespondenceQuestion::Activation::Repeated);
    EXPECT_EQ(q.CoefficientText(), "7");
    EXPECT_EQ(utf8(q.SearchText()), "к");
    EXPECT_EQ(asked.unit(), "3");
}

TEST(CorrespondenceQuestion, SearchGoesToTheNearestUnitAndAnswersItsCode) {
    Asked asked(kAskUnit);
    asked.question.Activate();
    struct Case {
        const char* typed;
        const char* row;
        const char* code;
    } cases[] = {
        {"к", "кг", "3"}, {"м", "м", "2"}, {"м3", "м3", "4"}, {"н", "т", "6"},
        {"1", "100 м", "7"}, {"я", "шт", "1"}, {"", "100 м", "7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const int row = asked.question.SetSearchText(text::utf8ToCp1251(c.typed));
        EXPECT_EQ(row, asked.question.CurrentRow());
        EXPECT_EQ(asked.currentName(), c.row);
        EXPECT_EQ(asked.unit(), c.code);
    }
}

TEST(CorrespondenceQuestion, RowChosenInTheListIsTheAnswer) {
    Asked asked(kAskUnit);
    CorrespondenceQuestion& q = asked.question;
    q.Activate();
    const char* codesInIndexOrder[] = {"7", "3", "2", "5", "4", "6", "1"};
    for (int row = 0; row < q.RowCount(); ++row) {
        q.SetCurrentRow(row);
        EXPECT_EQ(q.CurrentRow(), row);
        EXPECT_EQ(asked.unit(), codesInIndexOrder[row]);
    }
    q.SetCurrentRow(-1);
    q.SetCurrentRow(q.RowCount());
    EXPECT_EQ(asked.unit(), "1") << "rows outside the list change nothing";
}

TEST(CorrespondenceQuestion, AcceptedUnitAnswer) {
    Asked asked(kAskUnit);
    CorrespondenceQuestion& q = asked.question;
    q.Activate();
    q.SetCoefficientText(" 2.5 ");
    const CloseDecision decision = q.Accept();
    EXPECT_TRUE(decision.close);
    EXPECT_EQ(decision.modalResult, kModalOk);
    EXPECT_EQ(decision.problem, AnswerProblem::None);
    std::string code, unit, coefficient;
    q.GetAnswer(code, unit, coefficient);
    EXPECT_EQ(unit, "5");
    EXPECT_EQ(coefficient, "2.5");
    EXPECT_EQ(utf8(code), "С101-1-5-");
    EXPECT_FALSE(q.IsSkipSbornik());
    EXPECT_TRUE(asked.desktop.messages.empty());
}

TEST(CorrespondenceQuestion, RefusedAnswersShowTheirMessageAndNameTheBoxToFocus) {
    struct Case {
        int mode;
        const char* code;
        const char* coefficient;
        const char* message;
        Control focus;
    } cases[] = {
        {kAskUnit, "", "", "Коэффициент приведения цен не задан!", Control::Coefficient},
        {kAskUnit, "", "0", "Коэффициент приведения цен задан не верно!", Control::Coefficient},
        {kAskUnit, "", "1..2", "Коэффициент приведения цен задан не верно!",
         Control::Coefficient},
        {kAskCode, "   ", "1.0", "Код норматива не задан!", Control::Code},
        {kAskCode, "С101-1-5-", "1.0", "Код норматива задан не верно!", Control::Code},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Asked asked(c.mode);
        CorrespondenceQuestion& q = asked.question;
        q.Activate();
        if (c.mode == kAskCode) q.SetCodeText(text::utf8ToCp1251(c.code));
        q.SetCoefficientText(c.coefficient);
        const CloseDecision decision = q.Accept();
        EXPECT_FALSE(decision.close);
        EXPECT_EQ(decision.focus, c.focus);
        ASSERT_EQ(asked.desktop.messages.size(), 1u);
        const auto& box = asked.desktop.messages[0];
        EXPECT_EQ(utf8(box.text), c.message);
        EXPECT_EQ(utf8(box.caption), "Выбор соответствия");
        EXPECT_EQ(box.kind, platform::MessageKind::Error);
        EXPECT_TRUE(box.topmost);
    }
}

TEST(CorrespondenceQuestion, CodeIsCheckedWithTheBaseLetter) {
    Asked asked(kAskCode, Asked::Table::Sample, "MG419");
    CorrespondenceQuestion& q = asked.question;
    q.Activate();
    q.SetCodeText("С101-0001-5"_w);
    EXPECT_FALSE(q.Accept().close) << "not a code of base letter M";
    q.SetCodeText(" С1.23-45-6 "_w);
    EXPECT_TRUE(q.Accept().close) << asked.desktop.lastTextUtf8();
    std::string code, unit, coefficient;
    q.GetAnswer(code, unit, coefficient);
    EXPECT_EQ(utf8(code), "С1.23-45-6");
}

TEST(CorrespondenceQuestion, SkipAndSkipCollectionCloseWithoutChecks) {
    {
        Asked asked(kAskCode);
        asked.question.Activate();
        asked.question.SetCodeText("");
        const CloseDecision decision = asked.question.Skip();
        EXPECT_TRUE(decision.close);
        EXPECT_EQ(decision.modalResult, kModalIgnore);
        EXPECT_FALSE(asked.question.IsSkipSbornik());
    }
    {
        Asked asked(kAskUnit);
        asked.question.Activate();
        asked.question.SetCoefficientText("");
        const CloseDecision decision = asked.question.SkipSbornik();
        EXPECT_TRUE(decision.close);
        EXPECT_EQ(decision.modalResult, kModalIgnore);
        EXPECT_TRUE(asked.question.IsSkipSbornik());
        EXPECT_TRUE(asked.desktop.messages.empty()) << "no checks";
    }
}

TEST(CorrespondenceQuestion, CancelAsksAndOnlyYesCancels) {
    Asked asked(kAskUnit);
    CorrespondenceQuestion& q = asked.question;
    q.Activate();
    q.SetCoefficientText("3");
    const Answer answers[] = {Answer::No, Answer::Cancel, Answer::Yes};
    for (const Answer answer : answers) {
        asked.desktop.queueAnswer(answer);
        const CloseDecision decision = q.Cancel();
        EXPECT_EQ(decision.close, answer == Answer::Yes);
        EXPECT_EQ(decision.modalResult, kModalCancel);
    }
    EXPECT_EQ(q.CoefficientText(), "3") << "everything typed so far stays";
    ASSERT_EQ(asked.desktop.messages.size(), 3u);
    for (const auto& box : asked.desktop.messages) {
        EXPECT_EQ(utf8(box.text), "Отменить конвертацию?");
        EXPECT_EQ(utf8(box.caption), "Выбор соответствия");
        EXPECT_EQ(box.kind, platform::MessageKind::YesNoCancel);
        EXPECT_TRUE(box.topmost);
    }
}

TEST(CorrespondenceQuestion, MissingUnitsTableFailsAndNothingCanBeAccepted) {
    Asked asked(kAskUnit, Asked::Table::Missing);
    CorrespondenceQuestion& q = asked.question;
    EXPECT_EQ(q.Activate(), CorrespondenceQuestion::Activation::Failed);
    ASSERT_EQ(asked.desktop.messages.size(), 1u);
    EXPECT_EQ(asked.desktop.textsUtf8()[0],
              "Файл:" + platform::joinPath(asked.second.path(), {"DOP", "Ei1.dbf"}) +
                  "\nне найден!");
    EXPECT_EQ(asked.desktop.cursors.back(), platform::CursorShape::Arrow);
    EXPECT_FALSE(q.Filled());
    EXPECT_FALSE(q.UnitEnabled());
    EXPECT_FALSE(q.UnitsTableOpen());
    EXPECT_EQ(q.CoefficientText(), "");
    const CloseDecision decision = q.Accept();
    EXPECT_FALSE(decision.close);
    EXPECT_EQ(decision.problem, AnswerProblem::UnitsTableClosed);
    EXPECT_NE(asked.desktop.lastTextUtf8().find("Файл с единицами измерения не открыт"),
              std::string::npos);
    EXPECT_EQ(asked.unit(), "");
    EXPECT_TRUE(q.Skip().close);
}

TEST(CorrespondenceQuestion, EmptyUnitsTableIsReportedAndItsUnitCannotBeAccepted) {
    Asked asked(kAskUnit, Asked::Table::Empty);
    CorrespondenceQuestion& q = asked.question;
    EXPECT_EQ(q.Activate(), CorrespondenceQuestion::Activation::Filled);
    ASSERT_EQ(asked.desktop.messages.size(), 1u);
    EXPECT_EQ(asked.desktop.textsUtf8()[0], "OpenFile: Файл с единицами измерения пустой!");
    EXPECT_TRUE(q.UnitEnabled()) << "the dialog goes on";
    EXPECT_EQ(q.RowCount(), 0);
    EXPECT_EQ(q.CurrentRow(), -1);
    EXPECT_EQ(asked.unit(), "");
    // An empty unit code must not be stored for good: OK is refused, whatever the coefficient.
    const CloseDecision decision = q.Accept();
    EXPECT_FALSE(decision.close);
    EXPECT_EQ(decision.problem, AnswerProblem::UnitsListEmpty);
    ASSERT_EQ(asked.desktop.messages.size(), 2u);
    EXPECT_EQ(asked.desktop.textsUtf8()[1],
              "Файл с единицами измерения пустой, выбрать единицу измерения нельзя! "
              "Пропустите запись или сборник либо отмените конвертацию.");
    EXPECT_TRUE(asked.desktop.messages[1].topmost);
    // Skipping, skipping the collection and cancelling work as before.
    EXPECT_TRUE(q.Skip().close);
    EXPECT_TRUE(q.SkipSbornik().close);
    asked.desktop.queueAnswer(Answer::Yes);
    EXPECT_TRUE(q.Cancel().close);
}

TEST(CorrespondenceQuestion, EmptyUnitsTableStillTakesACode) {
    // A code answer needs no unit.
    Asked asked(kAskCode, Asked::Table::Empty);
    CorrespondenceQuestion& q = asked.question;
    q.Activate();
    q.SetCodeText("С101-0001-5"_w);
    EXPECT_TRUE(q.Accept().close) << asked.desktop.lastTextUtf8();
}

TEST(CorrespondenceQuestion, UnitsTableIsClosedWithTheQuestion) {
    TempFolder first;
    TempFolder second;
    RecordingDesktop desktop;
    testing_support::writeUnitsTable(first.file("Ei1.dbf"), testing_support::sampleUnits());
    auto tryExclusive = [&] {
        dbf::Table table;
        table.setDatabaseName(first.path());
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
    {
        CorrespondenceQuestion q;
        q.SetQuestion("4ABC", "", "", "", "", second.path(), first.path());
        q.SetMode(kAskUnit);
        ASSERT_EQ(q.Activate(), CorrespondenceQuestion::Activation::Filled);
        EXPECT_FALSE(tryExclusive()) << "the question holds the table open";
    }
    EXPECT_TRUE(tryExclusive());
}
