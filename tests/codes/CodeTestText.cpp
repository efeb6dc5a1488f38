#include "tests/codes/CodeTestText.h"

#include <stdexcept>

#include "text/CodePages.h"

namespace codes_test {

namespace {
constexpr std::string_view kMiddleDot = "\xC2\xB7";

std::string blanksFromDots(std::string_view utf8) {
    std::string s;
    for (std::size_t i = 0; i < utf8.size();) {
        if (utf8.substr(i, kMiddleDot.size()) == kMiddleDot) {
            s += ' ';
            i += kMiddleDot.size();
        } else {
            s += utf8[i++];
        }
    }
    return s;
}
}  // namespace

std::string w(std::string_view utf8) { return text::utf8ToCp1251(blanksFromDots(utf8)); }

std::string oem(std::string_view utf8) { return text::ansiToOem(w(utf8)); }

std::string packed(std::string_view notation) {
    std::string result;
    std::size_t i = 0;
    while (i < notation.size()) {
        const char c = notation[i];
        if (c == '{') {
            const std::size_t end = notation.find('}', i);
            if (end == std::string_view::npos) throw std::invalid_argument("unclosed {");
            const int value = std::stoi(std::string(notation.substr(i + 1, end - i - 1)));
            result += static_cast<char>(value);
            i = end + 1;
        } else if (c == ' ') {
            ++i;  // separates the groups for reading only
        } else {
            // One UTF-8 character ("·" included, which w() makes a blank).
            std::size_t length = 1;
            const auto lead = static_cast<unsigned char>(c);
            if (lead >= 0xF0) length = 4;
            else if (lead >= 0xE0) length = 3;
            else if (lead >= 0xC0) length = 2;
            result += oem(notation.substr(i, length));
            i += length;
        }
    }
    return result;
}

std::string showOem(std::string_view cp866) { return showAnsi(text::oemToAnsi(cp866)); }

std::string showAnsi(std::string_view cp1251) {
    std::string out;
    for (char c : cp1251) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == ' ') {
            out += kMiddleDot;
        } else if (byte < 32 || byte == 127) {
            out += "{" + std::to_string(byte) + "}";
        } else {
            out += text::cp1251ToUtf8(std::string(1, c));
        }
    }
    return out;
}

}  // namespace codes_test
