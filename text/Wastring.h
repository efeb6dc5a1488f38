#pragma once
// Number <-> text in the program's fixed form (a point as decimal separator, at most six
// fraction digits, the empty text for zero), code-page conversions, padding and folder paths.
// Every user holds its own instance; the operations keep no state between calls.
#include <string>

#include "platform/Files.h"

namespace text {

// Separator that completes a folder path on this platform.
inline constexpr char kFolderSeparator = platform::kPathSeparator;

class WString {
public:
    WString();

    std::string DoubleToText(double value) const;
    std::string TrimZeros(std::string s) const;
    std::string NumberToText(double value) const;
    // Reads the longest leading decimal number (a comma counts as the point); 0 when there is
    // none or when it does not fit a double. Independent of the process locale.
    long double TextToNumber(std::string s) const;
    std::string ReplaceChar(std::string s, std::string from, std::string to) const;
    std::string PadRight(std::string s, int width) const;
    std::string AddBackslash(std::string path) const;
    std::string AnsiToOem(std::string s) const;
    std::string OemToAnsi(std::string s) const;

    const std::string FDescription;
};

// Removes leading and trailing characters with codes up to 32.
std::string trimmed(std::string_view s);
std::string leftTrimmed(std::string_view s);

}  // namespace text
