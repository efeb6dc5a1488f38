#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "text/TextRules.h"
#include "text/Wastring.h"

namespace {

TEST(TextRules, BlankIsEveryByteUpToThirtyTwoAndNothingElse) {
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        EXPECT_EQ(text::isBlankOrControl(c), b <= 32) << b;
        EXPECT_EQ(text::isDigit(c), b >= '0' && b <= '9') << b;
    }
}

TEST(TextRules, TrimmingCutsOnlyTheEnds) {
    struct Case {
        std::string_view text;
        std::string_view trimmed;
        std::string_view leftTrimmed;
    };
    using namespace std::string_view_literals;
    const Case cases[] = {
        {"", "", ""},
        {" \t\r\n", "", ""},
        {"\0a\0"sv, "a", "a\0"sv},
        {"  a b  ", "a b", "a b  "},
        {"\x1F" "x" "\x20", "x", "x "},
        // Byte 160 (no-break space in Windows-1251) and 255 are characters, not blanks.
        {"\xA0x\xFF", "\xA0x\xFF", "\xA0x\xFF"},
        {"!", "!", "!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(text::trimmedView(c.text), c.trimmed);
        EXPECT_EQ(text::leftTrimmedView(c.text), c.leftTrimmed);
        // The copies follow the same rule.
        EXPECT_EQ(text::trimmed(c.text), c.trimmed);
        EXPECT_EQ(text::leftTrimmed(c.text), c.leftTrimmed);
    }
}

TEST(TextRules, ViewsPointIntoTheText) {
    const std::string s = "  code  ";
    EXPECT_EQ(text::trimmedView(s).data(), s.data() + 2);
    EXPECT_EQ(text::leftTrimmedView(s).data(), s.data() + 2);
}

}  // namespace
