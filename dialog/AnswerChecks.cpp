#include "dialog/AnswerChecks.h"

#include <cctype>
#include <cmath>

#include "codes/Clgetkod.h"
#include "text/CodePages.h"
#include "text/Wastring.h"

namespace dialog {
namespace {

constexpr char kBackspace = 8;

}  // namespace

std::optional<char> FilterCoefficientChar(char typed) {
    if (typed >= '0' && typed <= '9') return typed;
    if (typed == kBackspace || typed == '.' || typed == '-') return typed;
    if (typed == ',') return '.';
    return std::nullopt;
}

std::string FilterCoefficientText(const std::string& text) {
    std::string filtered;
    for (const char c : text) {
        if (c == kBackspace) continue;
        if (const auto passed = FilterCoefficientChar(c)) filtered += *passed;
    }
    return filtered;
}

bool IsValidCoefficient(const std::string& trimmedText) {
    int digits = 0;
    int points = 0;
    for (const char c : trimmedText) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.') {
            ++points;
        } else {
            return false;
        }
    }
    if (digits == 0 || points > 1) return false;
    const long double value = text::WString().TextToNumber(trimmedText);
    return std::isfinite(static_cast<double>(value)) && value > 0;
}

bool IsValidKod(const std::string& trimmedCode, char baseLetter) {
    const ClGetKod parser;
    std::string TIP, SBOR, TABL, POZ;
    parser.ParseKod(trimmedCode, baseLetter, TIP, SBOR, TABL, POZ);
    return parser.CheckKodParts(text::trimmed(TIP), text::trimmed(SBOR), text::trimmed(TABL),
                                text::trimmed(POZ), baseLetter);
}

AnswerProblem CheckAnswer(const AnswerInput& input) {
    if (!input.unitsTableOpen) return AnswerProblem::UnitsTableClosed;
    // An empty unit code would be stored for good and written without asking ever after.
    if (input.mode == 2 && input.unitsListEmpty) return AnswerProblem::UnitsListEmpty;
    const std::string code = text::trimmed(input.code);
    const std::string coefficient = text::trimmed(input.coefficient);
    if (input.codeEnabled && code.empty()) return AnswerProblem::CodeMissing;
    if (input.coefficientEnabled && coefficient.empty()) return AnswerProblem::CoefficientMissing;
    if (input.mode == 1) {
        const char baseLetter = input.baseCode.empty() ? '\0' : input.baseCode.front();
        if (!IsValidKod(code, baseLetter)) return AnswerProblem::CodeInvalid;
    }
    if (input.coefficientEnabled && !IsValidCoefficient(coefficient)) {
        return AnswerProblem::CoefficientInvalid;
    }
    return AnswerProblem::None;
}

std::string AnswerProblemMessage(AnswerProblem problem) {
    switch (problem) {
        case AnswerProblem::None: return std::string();
        case AnswerProblem::UnitsTableClosed:
            return "Файл с единицами измерения не открыт, принять ответ нельзя! "
                   "Пропустите запись или сборник либо отмените конвертацию."_w;
        case AnswerProblem::UnitsListEmpty:
            return "Файл с единицами измерения пустой, выбрать единицу измерения нельзя! "
                   "Пропустите запись или сборник либо отмените конвертацию."_w;
        case AnswerProblem::CodeMissing: return "Код норматива не задан!"_w;
        case AnswerProblem::CoefficientMissing: return "Коэффициент приведения цен не задан!"_w;
        case AnswerProblem::CodeInvalid: return "Код норматива задан не верно!"_w;
        case AnswerProblem::CoefficientInvalid:
            return "Коэффициент приведения цен задан не верно!"_w;
    }
    return std::string();
}

}  // namespace dialog
