#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "dialog/AnswerChecks.h"
#include "text/CodePages.h"

using dialog::AnswerInput;
using dialog::AnswerProblem;

TEST(CoefficientFilter, DigitsPointMinusAndBackspacePassCommaBecomesPoint) {
    struct Case {
        char typed;
        std::optional<char> result;
    } cases[] = {
        {'0', '0'}, {'5', '5'}, {'9', '9'}, {'.', '.'}, {'-', '-'}, {'\b', '\b'}, {',', '.'},
        {'a', std::nullopt}, {'e', std::nullopt}, {'E', std::nullopt}, {' ', std::nullopt},
        {'+', std::nullopt}, {'\t', std::nullopt}, {'\r', std::nullopt}, {'\x1b', std::nullopt},
        {'\x16', std::nullopt},  // Ctrl+V
        {static_cast<char>(0xE0), std::nullopt},  // Cyrillic а
        {'/', std::nullopt}, {':', std::nullopt},   // the neighbours of the digits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c.typed)));
        EXPECT_EQ(dialog::FilterCoefficientChar(c.typed), c.result);
    }
}

TEST(CoefficientCheck, OnlyPlainNumbersAboveZero) {
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {
        {"1.0", true},   {"12.5", true},  {"0.001", true}, {".5", true},   {"5.", true},
        {"1000", true},  {"0", false},    {"0.0", false},  {".", false},   {"", false},
        {"-1", false},   {"-0.5", false}, {"1.2.3", false}, {"1-", false}, {"--1", false},
        {"1e5", false},  {"1,5", false},  {"abc", false},  {"1 5", false}, {"000", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(dialog::IsValidCoefficient(c.text), c.valid);
    }
}

TEST(KodCheck, UsesTheProgramsCodeParser) {
    EXPECT_TRUE(dialog::IsValidKod("С101-0001-5"_w, '4'));
    EXPECT_FALSE(dialog::IsValidKod("С101-1-5-"_w, '4'));
    EXPECT_TRUE(dialog::IsValidKod("С1.23-45-6"_w, 'M'));
    EXPECT_FALSE(dialog::IsValidKod("С123-45-6"_w, 'M'));
    EXPECT_FALSE(dialog::IsValidKod("", '4'));
}

namespace {

AnswerInput codeQuestion(const std::string& code) {
    AnswerInput input;
    input.mode = 1;
    input.unitsTableOpen = true;
    input.codeEnabled = true;
    input.code = code;
    input.coefficient = "1.0";
    input.baseCode = "4ABC";
    return input;
}

AnswerInput unitQuestion(const std::string& coefficient) {
    AnswerInput input;
    input.mode = 2;
    input.unitsTableOpen = true;
    input.code = "С101-1-5-"_w;  // the source code stays in the disabled box
    input.coefficientEnabled = true;
    input.coefficient = coefficient;
    input.baseCode = "4ABC";
    return input;
}

}  // namespace

TEST(AnswerCheck, CodeQuestion) {
    struct Case {
        std::string code;
        AnswerProblem problem;
    } cases[] = {
        {"С101-0001-5"_w, AnswerProblem::None},
        {"  С101-0001-5 "_w, AnswerProblem::None},
        {"", AnswerProblem::CodeMissing},
        {"   ", AnswerProblem::CodeMissing},
        {"С101-1-5-"_w, AnswerProblem::CodeInvalid},
        {"garbage", AnswerProblem::CodeInvalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text::cp1251ToUtf8(c.code));
        EXPECT_EQ(dialog::CheckAnswer(codeQuestion(c.code)), c.problem);
    }
}

TEST(AnswerCheck, BaseLetterComesFromTheBaseCode) {
    AnswerInput input = codeQuestion("С1.23-45-6"_w);
    EXPECT_EQ(dialog::CheckAnswer(input), AnswerProblem::CodeInvalid);
    input.baseCode = "MG419";
    EXPECT_EQ(dialog::CheckAnswer(input), AnswerProblem::None);
    input.baseCode = "";
    EXPECT_EQ(dialog::CheckAnswer(input), AnswerProblem::CodeInvalid);
}

TEST(AnswerCheck, UnitQuestion) {
    struct Case {
        std::string coefficient;
        AnswerProblem problem;
    } cases[] = {
        {"1.0", AnswerProblem::None},
        {" 12.5 ", AnswerProblem::None},
        {"", AnswerProblem::CoefficientMissing},
        {"  ", AnswerProblem::CoefficientMissing},
        {"0", AnswerProblem::CoefficientInvalid},
        {"-2", AnswerProblem::CoefficientInvalid},
        {"1..5", AnswerProblem::CoefficientInvalid},
        {"-", AnswerProblem::CoefficientInvalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.coefficient);
        // The disabled code box is not checked in this mode.
        EXPECT_EQ(dialog::CheckAnswer(unitQuestion(c.coefficient)), c.problem);
    }
}

TEST(AnswerCheck, EmptyCodeIsReportedBeforeTheCoefficient) {
    AnswerInput input = unitQuestion("");
    input.codeEnabled = true;
    input.code = "";
    EXPECT_EQ(dialog::CheckAnswer(input), AnswerProblem::CodeMissing);
}

TEST(AnswerCheck, NothingCanBeAcceptedWithoutTheUnitsTable) {
    AnswerInput code = codeQuestion("С101-0001-5"_w);
    code.unitsTableOpen = false;
    EXPECT_EQ(dialog::CheckAnswer(code), AnswerProblem::UnitsTableClosed);
    AnswerInput unit = unitQuestion("1.0");
    unit.unitsTableOpen = false;
    EXPECT_EQ(dialog::CheckAnswer(unit), AnswerProblem::UnitsTableClosed);
}

TEST(AnswerCheck, Messages) {
    struct Case {
        AnswerProblem problem;
        const char* message;
    } cases[] = {
        {AnswerProblem::None, ""},
        {AnswerProblem::CodeMissing, "Код норматива не задан!"},
        {AnswerProblem::CoefficientMissing, "Коэффициент приведения цен не задан!"},
        {AnswerProblem::CodeInvalid, "Код норматива задан не верно!"},
        {AnswerProblem::CoefficientInvalid, "Коэффициент приведения цен задан не верно!"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text::cp1251ToUtf8(dialog::AnswerProblemMessage(c.problem)), c.message);
    }
    const std::string closed =
        text::cp1251ToUtf8(dialog::AnswerProblemMessage(AnswerProblem::UnitsTableClosed));
    EXPECT_NE(closed.find("Файл с единицами измерения не открыт"), std::string::npos);
}
