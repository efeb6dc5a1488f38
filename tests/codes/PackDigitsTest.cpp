#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codes/PackDigits.h"
#include "tests/codes/CodeTestText.h"

namespace {

using codes::PackDigits;
using codes::UnpackDigits;
using codes_test::oem;

struct NibbleCase {
    char character;
    unsigned nibble;
    char unpacked;
};

const NibbleCase kNibbleCases[] = {
    {' ', 1, ' '}, {'a', 1, ' '}, {'\xA0', 1, ' '}, {'\0', 1, ' '}, {',', 1, ' '},
    {'-', 2, '-'}, {'0', 3, '0'}, {'1', 4, '1'},    {'5', 8, '5'},  {'9', 12, '9'},
    {'.', 13, '.'},
};

TEST(PackDigitsTest, NibblesOfCharacters) {
    for (const NibbleCase& c : kNibbleCases) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c.character)));
        EXPECT_EQ(codes::DigitNibble(c.character), c.nibble);
        EXPECT_EQ(codes::NibbleCharacter(static_cast<unsigned char>(c.nibble)), c.unpacked);
    }
}

TEST(PackDigitsTest, NibblesNeverProducedUnpackAsBlanks) {
    for (unsigned char nibble : {0, 14, 15}) EXPECT_EQ(codes::NibbleCharacter(nibble), ' ');
}

TEST(PackDigitsTest, CollectionPacksToThreeBytesAndBack) {
    EXPECT_EQ(PackDigits("   101"), std::string("\x11\x14\x34"));
    EXPECT_EQ(UnpackDigits("\x11\x14\x34", 6), "   101");
}

TEST(PackDigitsTest, LetterInsideANumberIsLost) {
    const std::string p = PackDigits(oem("1а"));
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(p[0]), 65);
    EXPECT_EQ(UnpackDigits(p, 2), "1 ");
}

TEST(PackDigitsTest, OddCharacterIsDroppedAndEmptyGivesEmpty) {
    EXPECT_EQ(PackDigits("123"), std::string("\x45"));
    EXPECT_EQ(PackDigits("1"), "");
    EXPECT_EQ(PackDigits(""), "");
}

TEST(PackDigitsTest, BytesBeyondTheEndUnpackAsBlanks) {
    EXPECT_EQ(UnpackDigits("", 4), "    ");
    EXPECT_EQ(UnpackDigits("\x45", 4), "12  ");
    EXPECT_EQ(UnpackDigits("\x45\x67", 3), "123");
    EXPECT_EQ(UnpackDigits("\xEF\x0F", 4), "    ");
    EXPECT_EQ(UnpackDigits("\x45", 0), "");
}

TEST(PackDigitsTest, PackedByteIsNeverZeroAndNumericTextsSurvive) {
    const std::string alphabet = " -0123456789.";
    std::mt19937 random(20051020);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (int round = 0; round < 2000; ++round) {
        std::string s;
        for (int i = 0; i < 6; ++i) s += alphabet[pick(random)];
        const std::string p = PackDigits(s);
        ASSERT_EQ(p.size(), 3u);
        for (char byte : p) EXPECT_NE(byte, '\0') << s;
        EXPECT_EQ(UnpackDigits(p, 6), s);
    }
}

}  // namespace
