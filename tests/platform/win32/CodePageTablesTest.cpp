// Our fixed Windows-1251 <-> 866 tables against the system's own conversions, on a system
// with Russian settings (ANSI page 1251, OEM page 866), for all 256 bytes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "text/CodePages.h"

namespace {

class RussianCodePages : public ::testing::Test {
protected:
    void SetUp() override {
        // The comparison means something only with the pages the suite's machines have.
        ASSERT_EQ(::GetACP(), 1251u) << "run with a Russian locale (LANG=ru_RU.UTF-8 under wine)";
        ASSERT_EQ(::GetOEMCP(), 866u) << "run with a Russian locale (LANG=ru_RU.UTF-8 under wine)";
    }
};

// Characters that both pages have: the system and our table agree on them.
bool inBothPages(char32_t c) {
    for (int b = 0; b < 256; ++b) {
        if (text::cp866ToUnicode(static_cast<unsigned char>(b)) == c) return true;
    }
    return false;
}

TEST_F(RussianCodePages, AnsiToOemAgreesWithCharToOemBuffForEveryCommonCharacter) {
    int compared = 0;
    for (int b = 1; b < 256; ++b) {
        const char ansi = static_cast<char>(b);
        char system = 0;
        ASSERT_TRUE(::CharToOemBuffA(&ansi, &system, 1));
        const std::string ours = text::ansiToOem(std::string(1, ansi));
        ASSERT_EQ(ours.size(), 1u);
        if (inBothPages(text::cp1251ToUnicode(static_cast<unsigned char>(b)))) {
            EXPECT_EQ(static_cast<unsigned char>(ours[0]), static_cast<unsigned char>(system))
                << "Windows-1251 byte " << b;
            ++compared;
        }
    }
    // Latin, digits, punctuation and the 66 Cyrillic letters at least.
    EXPECT_GE(compared, 127 + 66);
}

TEST_F(RussianCodePages, OemToAnsiAgreesWithOemToCharBuffForEveryCommonCharacter) {
    int compared = 0;
    for (int b = 1; b < 256; ++b) {
        const char oem = static_cast<char>(b);
        char system = 0;
        ASSERT_TRUE(::OemToCharBuffA(&oem, &system, 1));
        const std::string ours = text::oemToAnsi(std::string(1, oem));
        ASSERT_EQ(ours.size(), 1u);
        const char32_t c = text::cp866ToUnicode(static_cast<unsigned char>(b));
        bool inAnsi = false;
        for (int a = 0; a < 256; ++a) inAnsi = inAnsi || text::cp1251ToUnicode(static_cast<unsigned char>(a)) == c;
        if (inAnsi) {
            EXPECT_EQ(static_cast<unsigned char>(ours[0]), static_cast<unsigned char>(system))
                << "code page 866 byte " << b;
            ++compared;
        }
    }
    EXPECT_GE(compared, 127 + 66);
}

TEST_F(RussianCodePages, WhereThePagesDifferOurTableStaysOneToOne) {
    // The system maps characters the other page lacks to look-alikes or "?", losing them; our
    // table pairs them so that a round trip keeps every byte.
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(text::oemToAnsi(text::ansiToOem(one)), one) << b;
        EXPECT_EQ(text::ansiToOem(text::oemToAnsi(one)), one) << b;
    }
}

}  // namespace
