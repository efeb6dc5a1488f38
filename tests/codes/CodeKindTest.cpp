#include <gtest/gtest.h>

#include <string>

#include "codes/CodeKind.h"
#include "codes/CodeText.h"
#include "tests/codes/CodeTestText.h"
#include "text/CodePages.h"

namespace {

using codes::CodeKind;
using codes_test::oem;

struct KindCase {
    char base;
    const char* letter;  // UTF-8
    const char* collection;
    const char* kind;
};

const KindCase kKindCases[] = {
    {'1', "С", "101", "9"},
    {'9', "С", "101", "9"},
    {'M', "С", "1.23", "M"},
    {'4', "С", "101", "4"},
    {'Z', "С", "101", "4"},
    {'\0', "С", "101", "4"},
    {'m', "С", "101", "4"},  // the base letters are compared exactly
    {'g', "Е", "01", "4"},
    {'G', "Е", "01", "G"},
    {'G', "Ц", "01", "G"},
    {'G', "Е", "50", "G"},
    {'G', "Е", "51", "9"},
    {'G', "Е", "60", "9"},
    {'G', "Е", "69", "9"},
    {'G', "Е", "70", "G"},
    {'G', "Ц", "60", "G"},
    {'G', "Ц", "8000", "G"},
    {'G', "Ц", "8001", "9"},
    {'G', "Ц", "9000", "9"},
    {'G', "Е", "9000", "9"},
    {'G', "е", "01", "9"},
    {'G', "ц", "01", "9"},
    {'G', "E", "01", "9"},  // Latin E is not the Cyrillic letter
    {'G', "С", "01", "9"},
    {'G', "Е", "", "G"},          // no digits read as 0
    {'G', "Е", "··60abc", "9"},   // leading blanks skipped, digits up to the first other
    {'G', "Е", "+60", "9"},
    {'G', "Е", "-60", "G"},
    {'G', "Ц", "99999999999999999999999999", "9"},
};

TEST(CodeKindTest, KindsFollowTheBaseLetterAndTheCollection) {
    for (const KindCase& c : kKindCases) {
        SCOPED_TRACE(std::string("base ") + c.base + " letter " + c.letter + " collection " +
                     c.collection);
        EXPECT_EQ(CodeKind(oem(c.letter), codes_test::w(c.collection), c.base), c.kind);
    }
}

TEST(CodeKindTest, LeadingNumberReadsDigitsUpToTheFirstOtherCharacter) {
    EXPECT_EQ(codes::LeadingNumber(""), 0);
    EXPECT_EQ(codes::LeadingNumber("abc"), 0);
    EXPECT_EQ(codes::LeadingNumber("   42x7"), 42);
    EXPECT_EQ(codes::LeadingNumber("+7"), 7);
    EXPECT_EQ(codes::LeadingNumber("-60"), -60);
    EXPECT_EQ(codes::LeadingNumber("- 60"), 0);
    EXPECT_GT(codes::LeadingNumber(std::string(400, '9')), 8000);
}

TEST(CodeKindTest, GrammarLettersAreTheCyrillicLettersOfWindows1251) {
    using namespace codes::detail;
    EXPECT_EQ(std::string(1, kCapitalA1251), "А"_w);
    EXPECT_EQ(std::string(1, kCapitalIe1251), "Е"_w);
    EXPECT_EQ(std::string(1, kCapitalO1251), "О"_w);
    EXPECT_EQ(std::string(1, kCapitalTse1251), "Ц"_w);
    EXPECT_EQ(std::string(1, kSmallO1251), "о"_w);
}

}  // namespace
