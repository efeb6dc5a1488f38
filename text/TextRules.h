#pragma once
// The program's small character rules, written once: what counts as blank (every character
// with a code up to 32, so tabs, line ends and other control characters trim away too), what
// counts as a digit, and trimming by that rule. Header-only: the record loop and the code
// parser call these for every record.
#include <string_view>

namespace text {

inline constexpr bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

// Only the ASCII digits 0-9, whatever the process locale says.
inline constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

// s without its leading blanks and control characters; a view into s.
inline constexpr std::string_view leftTrimmedView(std::string_view s) {
    while (!s.empty() && isBlankOrControl(s.front())) s.remove_prefix(1);
    return s;
}

// s without its leading and trailing blanks and control characters; a view into s.
inline constexpr std::string_view trimmedView(std::string_view s) {
    s = leftTrimmedView(s);
    while (!s.empty() && isBlankOrControl(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace text
