#include "text/Wastring.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

#include "text/CodePages.h"

namespace text {
namespace {

bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest leading decimal number: [sign] digits [. digits] [exponent].
std::size_t decimalPrefixLength(const std::string& s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j])) ++j;
            i = j;
        }
    }
    return i;
}

#ifdef _WIN32
// Nothing in the Windows program changes the C runtime's locale, which stays the classic one.
long double classicStrtold(const char* text) { return std::strtold(text, nullptr); }
#else
locale_t classicLocale() {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}
long double classicStrtold(const char* text) { return ::strtold_l(text, nullptr, classicLocale()); }
#endif

}  // namespace

std::string trimmed(std::string_view s) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && isBlankOrControl(s[first])) ++first;
    while (last > first && isBlankOrControl(s[last - 1])) --last;
    return std::string(s.substr(first, last - first));
}

std::string leftTrimmed(std::string_view s) {
    std::size_t first = 0;
    while (first < s.size() && isBlankOrControl(s[first])) ++first;
    return std::string(s.substr(first));
}

WString::WString() : FDescription("Класс WString"_w) {}

std::string WString::DoubleToText(double value) const {
    // Room for the 309 integer digits of the largest double, sign, point and six decimals.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, 6);
    return TrimZeros(std::string(buffer, result.ptr));
}

std::string WString::TrimZeros(std::string s) const {
    const auto point = s.find('.');
    if (point == std::string::npos) return s;
    while (s.size() >= point + 3 && s.back() == '0') s.pop_back();
    return s;
}

std::string WString::NumberToText(double value) const {
    if (value == 0.0) return std::string();
    return trimmed(ReplaceChar(DoubleToText(value), ",", "."));
}

long double WString::TextToNumber(std::string s) const {
    s = trimmed(ReplaceChar(std::move(s), ",", "."));
    const std::size_t length = decimalPrefixLength(s);
    if (length == 0) return 0.0L;
    const std::string number = s.substr(0, length);
    const long double value = classicStrtold(number.c_str());
    if (!std::isfinite(static_cast<double>(value))) return 0.0L;
    return value;
}

std::string WString::ReplaceChar(std::string s, std::string from, std::string to) const {
    // Equal characters would never stop the replacing; nothing then changes anyway.
    if (from.empty() || to.empty() || from[0] == to[0]) return s;
    for (char& c : s) {
        if (c == from[0]) c = to[0];
    }
    return s;
}

std::string WString::PadRight(std::string s, int width) const {
    const long missing = static_cast<long>(width) - static_cast<long>(s.size());
    if (missing > 0) s.append(static_cast<std::size_t>(missing), ' ');
    return s;
}

std::string WString::AddBackslash(std::string path) const {
    if (!path.empty() && path.back() != kFolderSeparator) path += kFolderSeparator;
    return path;
}

std::string WString::AnsiToOem(std::string s) const { return ansiToOem(s); }
std::string WString::OemToAnsi(std::string s) const { return oemToAnsi(s); }

}  // namespace text
