#include "codes/PackDigits.h"

#include "text/TextRules.h"

namespace codes {

namespace {
constexpr unsigned char kNibbleOther = 1;
constexpr unsigned char kNibbleDash = 2;
constexpr unsigned char kNibbleZero = 3;
constexpr unsigned char kNibbleNine = kNibbleZero + 9;
constexpr unsigned char kNibblePoint = 13;
}  // namespace

unsigned char DigitNibble(char c) {
    if (c == '-') return kNibbleDash;
    if (text::isDigit(c)) return static_cast<unsigned char>(kNibbleZero + (c - '0'));
    if (c == '.') return kNibblePoint;
    return kNibbleOther;
}

char NibbleCharacter(unsigned char nibble) {
    if (nibble == kNibbleDash) return '-';
    if (nibble >= kNibbleZero && nibble <= kNibbleNine) {
        return static_cast<char>('0' + (nibble - kNibbleZero));
    }
    if (nibble == kNibblePoint) return '.';
    return ' ';
}

std::string PackDigits(std::string_view s) {
    std::string packed;
    packed.reserve(s.size() / 2);
    for (std::size_t k = 0; k + 1 < s.size(); k += 2) {
        packed += static_cast<char>(DigitNibble(s[k]) << 4 | DigitNibble(s[k + 1]));
    }
    return packed;
}

std::string UnpackDigits(std::string_view packed, std::size_t n) {
    std::string s(n, ' ');
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t k = i / 2;
        const unsigned char byte = k < packed.size() ? static_cast<unsigned char>(packed[k]) : 0;
        s[i] = NibbleCharacter(i % 2 == 0 ? byte >> 4 : byte & 0x0F);
    }
    return s;
}

}  // namespace codes
