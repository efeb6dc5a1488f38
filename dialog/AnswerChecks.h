#pragma once
// The rules of the correspondence dialog that need no window: the coefficient box's character
// filter and the checks made before an answer is accepted with "Принять". TSelectPerehodForm
// applies them; tests check them one by one. Texts are Windows-1251.
#include <optional>
#include <string>

namespace dialog {

// A character typed into the coefficient box: digits, backspace, "," , "." and "-" pass, with
// "," turned into "."; nothing is returned for any other character, which is not inserted.
std::optional<char> FilterCoefficientChar(char typed);
// A text put into the coefficient box at once (pasted, dropped): each character through the
// same filter, the ones refused left out. Backspace is a key, not text: it is left out too.
std::string FilterCoefficientText(const std::string& text);

enum class AnswerProblem {
    None,
    UnitsTableClosed,     // the units table could not be opened: no unit can have been chosen
    UnitsListEmpty,       // unit question over an empty units table: there is no unit to choose
    CodeMissing,          // "Код норматива не задан!"
    CoefficientMissing,   // "Коэффициент приведения цен не задан!"
    CodeInvalid,          // "Код норматива задан не верно!"
    CoefficientInvalid,   // "Коэффициент приведения цен задан не верно!"
};

// What the dialog shows when "Принять" is pressed.
struct AnswerInput {
    int mode = 0;                     // engine::kAskCode or engine::kAskUnit
    bool unitsTableOpen = false;
    bool unitsListEmpty = false;      // the open units table has no records
    bool codeEnabled = false;         // the ОРН code box
    std::string code;                 // its text, as typed
    bool coefficientEnabled = false;  // the coefficient box
    std::string coefficient;          // its text, as typed
    std::string baseCode;             // its first character is the base letter
};

// The first problem that keeps the answer from being accepted, in the order the user should
// fix them; None when it can be accepted.
AnswerProblem CheckAnswer(const AnswerInput& input);
std::string AnswerProblemMessage(AnswerProblem problem);

// True when the text is a plain decimal number with a point (digits, at most one point) that
// is greater than 0: every price of the unit is multiplied by it, in this run and in every
// later one, so zero, a negative number or a half-read text would spoil them all.
bool IsValidCoefficient(const std::string& trimmedText);

// True when the trimmed code is a valid normative code of the base, by the program's own code
// parser.
bool IsValidKod(const std::string& trimmedCode, char baseLetter);

}  // namespace dialog
