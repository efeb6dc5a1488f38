#pragma once
// Conversions between the program's Windows-1251 text, code page 866 (the DOS code page of the
// units tables and the stored code fields) and UTF-8 (the GUI and the source literals).
//
// 1251 <-> 866 is one to one for all 256 bytes: characters present in both code pages map to
// each other; the 51 characters of each page that the other lacks are paired in ascending byte
// order (docs/code-pages.md lists the pairs). The same table serves both directions, so every
// text survives a round trip unchanged.
#include <string>
#include <string_view>

namespace text {

std::string ansiToOem(std::string_view cp1251);
std::string oemToAnsi(std::string_view cp866);

// Upper-cases Latin and Cyrillic letters of Windows-1251 text (Ё/ё, Ґ/ґ, Є/є and the other
// Cyrillic letters of the page included); every other byte is unchanged.
std::string upperCase1251(std::string_view cp1251);
char upperCase1251(char c);

std::string cp1251ToUtf8(std::string_view cp1251);
// Characters that Windows-1251 cannot hold become "?".
std::string utf8ToCp1251(std::string_view utf8);

// Unicode code point of a Windows-1251 byte and of a code page 866 byte.
char32_t cp1251ToUnicode(unsigned char c);
char32_t cp866ToUnicode(unsigned char c);

}  // namespace text

// The program's messages are written in the source as UTF-8 and used as Windows-1251.
inline std::string operator""_w(const char* utf8, std::size_t length) {
    return text::utf8ToCp1251(std::string_view(utf8, length));
}
