// Windows-1251 <-> UTF-16 at the Win32 boundary: exact both ways, and a character without a
// Windows-1251 counterpart is refused and named, never written as "?" or a look-alike.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/WideText.h"
#include "text/CodePages.h"

namespace {

using platform::win32::narrow;
using platform::win32::widen;

TEST(WideText, EveryWindows1251ByteSurvivesTheRoundTrip) {
    for (int b = 1; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::wstring wide = widen(one);
        ASSERT_EQ(wide.size(), 1u) << b;
        // The same character our own table gives, not the one of the machine's ANSI page.
        if (b != 0x98) {
            EXPECT_EQ(static_cast<char32_t>(wide[0]), text::cp1251ToUnicode(static_cast<unsigned char>(b)))
                << b;
        }
        const auto back = narrow(wide);
        ASSERT_TRUE(back.has_value()) << b;
        EXPECT_EQ(*back, one) << b;
    }
}

TEST(WideText, CyrillicPathsConvertExactly) {
    const std::string path = "C:\\Мои документы\\Цены Гарвена.txt"_w;
    EXPECT_EQ(widen(path), L"C:\\Мои документы\\Цены Гарвена.txt");
    EXPECT_EQ(narrow(L"Ёлка ёж №5"), "Ёлка ёж №5"_w);
    EXPECT_EQ(widen(std::string()), std::wstring());
    EXPECT_EQ(narrow(std::wstring()), std::string());
}

struct UnmappableCase {
    const wchar_t* text;
    char32_t first;
};

class Unmappable : public ::testing::TestWithParam<UnmappableCase> {};

TEST_P(Unmappable, IsRefusedAndTheFirstSuchCharacterNamed) {
    char32_t found = 0;
    EXPECT_FALSE(narrow(GetParam().text, &found).has_value());
    EXPECT_EQ(found, GetParam().first);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, Unmappable,
    ::testing::Values(UnmappableCase{L"цена 中", 0x4E2D},     // a CJK character
                      UnmappableCase{L"caf\u00E9", 0x00E9},    // best fit would give "e"
                      UnmappableCase{L"x\u0142y\u4E2D", 0x0142},  // Polish l with stroke -> "l"
                      UnmappableCase{L"\u221E", 0x221E},       // best fit would give "8"
                      UnmappableCase{L"a\U0001F600", 0x1F600}));  // outside the BMP

TEST(WideText, TheMessageNamesTheTextAndTheCharacter) {
    EXPECT_EQ(platform::win32::unmappableMessage(L"Командная строка", 0x4E2D),
              "Командная строка содержит символ U+4E2D, которого нет в кодировке Windows-1251."_w);
    EXPECT_EQ(platform::win32::codePointName(0x1F600), "U+1F600");
    EXPECT_EQ(platform::win32::codePointName(0x41), "U+0041");
}

}  // namespace
