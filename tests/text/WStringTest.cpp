#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "text/CodePages.h"
#include "text/Wastring.h"

using text::WString;

TEST(WString, DoubleToTextUsesSixDecimalsWithoutTrailingZeros) {
    const WString s;
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {3, "3.0"},          {2.5, "2.5"},        {-1.75, "-1.75"},     {1.0 / 3, "0.333333"},
        {2.0 / 3, "0.666667"}, {0.0000001, "0.0"}, {1234567.5, "1234567.5"}, {100, "100.0"},
        {0.125, "0.125"},    {-0.0, "-0.0"},
    };
    for (const auto& c : cases) EXPECT_EQ(s.DoubleToText(c.value), c.text) << c.value;
}

TEST(WString, NumberToTextGivesEmptyTextForZeroOnly) {
    const WString s;
    EXPECT_EQ(s.NumberToText(0), "");
    EXPECT_EQ(s.NumberToText(-0.0), "");
    EXPECT_EQ(s.NumberToText(0.0000001), "0.0");
    EXPECT_EQ(s.NumberToText(12.5), "12.5");
}

TEST(WString, TrimZerosKeepsOneFractionDigitAndWholeNumbers) {
    const WString s;
    EXPECT_EQ(s.TrimZeros("100"), "100");
    EXPECT_EQ(s.TrimZeros("10.000"), "10.0");
    EXPECT_EQ(s.TrimZeros("10.050"), "10.05");
    EXPECT_EQ(s.TrimZeros("5."), "5.");
    EXPECT_EQ(s.TrimZeros("12.500000"), "12.5");
}

TEST(WString, TextToNumberReadsTheLeadingNumber) {
    const WString s;
    struct Case {
        std::string text;
        long double value;
    } cases[] = {
        {" 12,5 ", 12.5L}, {"", 0},           {"abc", 0},        {"1,234,5", 1.234L},
        {"7,25 руб"_w, 7.25L}, {"12.5", 12.5L},  {"-3", -3},       {"+4.5", 4.5L},
        {".5", 0.5L},      {"1e3", 1000},     {"2e", 2},         {"0x10", 0},
        {"inf", 0},        {"nan", 0},        {"1e999", 0},      {"\t\r8\n", 8},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(static_cast<double>(s.TextToNumber(c.text)), static_cast<double>(c.value))
            << c.text;
    }
}

TEST(WString, NumbersDoNotDependOnTheProcessLocale) {
    const char* decimalCommaLocales[] = {"ru_RU.UTF-8", "ru_RU.utf8", "de_DE.UTF-8"};
    const char* chosen = nullptr;
    for (const char* name : decimalCommaLocales) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
    const WString s;
    const double parsed = static_cast<double>(s.TextToNumber("12.75"));
    const std::string written = s.NumberToText(1234.5);
    std::setlocale(LC_ALL, "C");
    EXPECT_DOUBLE_EQ(parsed, 12.75) << chosen;
    EXPECT_EQ(written, "1234.5") << chosen;
}

TEST(WString, ReplaceCharReplacesEveryOccurrenceAndStopsForEqualCharacters) {
    const WString s;
    EXPECT_EQ(s.ReplaceChar("1,2,3", ",", "."), "1.2.3");
    EXPECT_EQ(s.ReplaceChar("1.2", ".", "."), "1.2");
    EXPECT_EQ(s.ReplaceChar("abc", "", "."), "abc");
}

TEST(WString, PadRightNeverShortens) {
    const WString s;
    EXPECT_EQ(s.PadRight("ab", 5), "ab   ");
    EXPECT_EQ(s.PadRight("abcdef", 3), "abcdef");
    EXPECT_EQ(s.PadRight("", -2), "");
}

TEST(WString, AddBackslashCompletesAFolderOnce) {
    const WString s;
    const std::string folder = std::string("data") + text::kFolderSeparator;
    EXPECT_EQ(s.AddBackslash("data"), folder);
    EXPECT_EQ(s.AddBackslash(folder), folder);
    EXPECT_EQ(s.AddBackslash(""), "");
}

TEST(WString, CodePageConversionsKeepLengthAndRoundTrip) {
    const WString s;
    const std::string unit = "м3 "_w;
    EXPECT_EQ(s.AnsiToOem(unit).size(), unit.size());
    EXPECT_EQ(s.OemToAnsi(s.AnsiToOem(unit)), unit);
    const std::string longText(5000, static_cast<char>(0xE0));  // no fixed buffer limits the length
    EXPECT_EQ(s.OemToAnsi(s.AnsiToOem(longText)), longText);
}

TEST(WString, TrimmedRemovesControlCharactersAndBlanks) {
    EXPECT_EQ(text::trimmed(" \t a b \r\n"), "a b");
    EXPECT_EQ(text::trimmed("   "), "");
    EXPECT_EQ(text::leftTrimmed("  a "), "a ");
}
