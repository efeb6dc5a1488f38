#pragma once
// Small text operations shared by the normative-code units: 1-based substrings that are cut
// short where the text ends, right-alignment, filling up, and the Cyrillic letters the code
// grammar compares with. Used only inside codes/.
#include <cstddef>
#include <string>
#include <string_view>

#include "text/TextRules.h"

namespace codes::detail {

// Letters the grammar looks for, as Windows-1251 bytes (a test checks them against "..."_w).
inline constexpr char kCapitalA1251 = '\xC0';  // А
inline constexpr char kCapitalIe1251 = '\xC5';  // Е
inline constexpr char kCapitalO1251 = '\xCE';  // О
inline constexpr char kCapitalTse1251 = '\xD6';  // Ц
inline constexpr char kSmallO1251 = '\xEE';  // о
inline constexpr char kCapitalLatinR = 'R';

inline constexpr char kBlank = ' ';

using text::isDigit;

// s[from..to], positions from 1, cut short where s ends; empty when from lies beyond the end.
inline std::string part(std::string_view s, std::size_t from, std::size_t to) {
    if (from < 1 || from > s.size() || to < from) return {};
    const std::size_t last = to < s.size() ? to : s.size();
    return std::string(s.substr(from - 1, last - from + 1));
}

// s[from..], positions from 1.
inline std::string partFrom(std::string_view s, std::size_t from) {
    if (from < 1 || from > s.size()) return {};
    return std::string(s.substr(from - 1));
}

// Blanks in front until the length is width; longer texts stay as they are.
inline std::string rightAligned(std::string_view s, std::size_t width) {
    std::string result;
    if (s.size() < width) result.assign(width - s.size(), kBlank);
    result.append(s);
    return result;
}

// Blanks behind until the length is width; longer texts stay as they are.
inline std::string filledUp(std::string s, std::size_t width) {
    if (s.size() < width) s.append(width - s.size(), kBlank);
    return s;
}

// 1-based position of the first c in s, 0 when there is none.
inline std::size_t positionOf(std::string_view s, char c) {
    const std::size_t p = s.find(c);
    return p == std::string_view::npos ? 0 : p + 1;
}

inline bool contains(std::string_view s, char c) { return s.find(c) != std::string_view::npos; }

// The same cuts as views into s, for parts that are only looked at or copied once; the view
// lives as long as the text it was cut from.
inline std::string_view partView(std::string_view s, std::size_t from, std::size_t to) {
    if (from < 1 || from > s.size() || to < from) return {};
    const std::size_t last = to < s.size() ? to : s.size();
    return s.substr(from - 1, last - from + 1);
}

inline std::string_view partFromView(std::string_view s, std::size_t from) {
    if (from < 1 || from > s.size()) return {};
    return s.substr(from - 1);
}

using text::leftTrimmedView;
using text::trimmedView;

}  // namespace codes::detail
