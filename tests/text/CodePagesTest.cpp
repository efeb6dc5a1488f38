#include <gtest/gtest.h>

#include <iconv.h>

#include <set>
#include <string>

#include "text/CodePages.h"

namespace {

// Unicode of one byte in a code page as glibc's iconv sees it; 0 when iconv has no mapping.
char32_t iconvToUnicode(const char* codePage, unsigned char byte) {
    iconv_t cd = iconv_open("UTF-32LE", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[8] = {};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || outLeft != 4) return 0;
    return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
}

std::string allBytes() {
    std::string s;
    for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
    return s;
}

}  // namespace

TEST(CodePages, TablesAgreeWithIconvForEveryAssignedByte) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const char32_t fromIconv1251 = iconvToUnicode("CP1251", byte);
        if (fromIconv1251 != 0 || b == 0) {
            EXPECT_EQ(text::cp1251ToUnicode(byte), fromIconv1251) << "cp1251 byte " << b;
        } else {
            EXPECT_EQ(b, 0x98) << "only 0x98 is unassigned in Windows-1251";
        }
        EXPECT_EQ(text::cp866ToUnicode(byte), iconvToUnicode("CP866", byte)) << "cp866 byte " << b;
    }
}

TEST(CodePages, AnsiToOemIsOneToOneAndOemToAnsiUndoesIt) {
    const std::string all = allBytes();
    const std::string oem = text::ansiToOem(all);
    EXPECT_EQ(std::set<char>(oem.begin(), oem.end()).size(), 256u);
    EXPECT_EQ(text::oemToAnsi(oem), all);
    EXPECT_EQ(text::ansiToOem(text::oemToAnsi(all)), all);
}

TEST(CodePages, CharactersInBothPagesKeepTheirMeaning) {
    int common = 0;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const char32_t u = text::cp1251ToUnicode(byte);
        const auto oem = static_cast<unsigned char>(text::ansiToOem(std::string(1, char(b)))[0]);
        bool inBoth = false;
        for (int o = 0; o < 256; ++o) {
            if (text::cp866ToUnicode(static_cast<unsigned char>(o)) == u) inBoth = true;
        }
        if (inBoth) {
            ++common;
            EXPECT_EQ(text::cp866ToUnicode(oem), u) << "byte " << b;
        }
    }
    EXPECT_EQ(common, 256 - 51);
}

TEST(CodePages, CyrillicWordConvertsBothWays) {
    const std::string word = "Ёжик в тумане"_w;
    const std::string oem = text::ansiToOem(word);
    EXPECT_EQ(static_cast<unsigned char>(oem[0]), 0xF0);  // Ё in code page 866
    EXPECT_EQ(static_cast<unsigned char>(oem[1]), 0xA6);  // ж
    EXPECT_EQ(text::oemToAnsi(oem), word);
}

TEST(CodePages, UpperCaseCoversLatinCyrillicAndYo) {
    struct Case {
        const char* utf8;
        const char* expected;
    } cases[] = {
        {"abc xyz", "ABC XYZ"},   {"абвгдеёжз", "АБВГДЕЁЖЗ"}, {"эюя", "ЭЮЯ"},
        {"ґєіїўђ", "ҐЄІЇЎЂ"},     {"СхЗ123-4", "СХЗ123-4"},  {"№ «»", "№ «»"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::cp1251ToUtf8(text::upperCase1251(text::utf8ToCp1251(c.utf8))), c.expected)
            << c.utf8;
    }
}

TEST(CodePages, Utf8RoundTripForEveryByteAndReplacementOfForeignCharacters) {
    const std::string all = allBytes();
    EXPECT_EQ(text::utf8ToCp1251(text::cp1251ToUtf8(all)), all);
    EXPECT_EQ(text::utf8ToCp1251("a\xE4\xB8\xAD" "b"), "a?b");  // a CJK character
    EXPECT_EQ(text::utf8ToCp1251("\xC3"), "?");                 // cut-off sequence
    EXPECT_EQ(text::cp1251ToUtf8("Цены"_w), "Цены");
}
