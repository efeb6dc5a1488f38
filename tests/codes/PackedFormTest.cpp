#include <gtest/gtest.h>

#include <string>

#include "codes/FormatPackedKod.h"
#include "codes/PackAlignedKod.h"
#include "tests/codes/CodeTestText.h"
#include "text/CodePages.h"

namespace {

using codes::FormatPackedKod;
using codes::PackAlignedKod;
using codes_test::oem;
using codes_test::packed;
using codes_test::showOem;

// The packed form with its type letter converted back to Windows-1251, as the callers of the
// formatter pass it.
std::string forFormatting(const std::string& packedForm) {
    if (packedForm.empty()) return packedForm;
    return text::oemToAnsi(packedForm.substr(0, 1)) + packedForm.substr(1);
}

std::string formatted(const std::string& packedForm, char base) {
    return FormatPackedKod(forFormatting(packedForm), base);
}

// The formatted text without the blanks that fill it up.
std::string formattedCode(const std::string& packedForm, char base) {
    std::string s = formatted(packedForm, base);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return showOem(s);
}

struct PackedCase {
    char base;
    const char* aligned;
    const char* packedForm;
    const char* code;
};

const PackedCase kPackedCases[] = {
    {'4', "С···101·0001···5·", "С {17}{20}{52} ·{51}{52} {17}{24}·", "С101-0001-5"},
    {'9', "С···101··12а···5·", "С {17}{20}{52} {17}{69}а {17}{24}·", "С101-12а-5"},
    {'G', "Е····0101·001··01·", "Е {17}{17}{52} {52}{19}{52} {17}{52}·", "Е01-01-001-01"},
    {'M', "С·1··23··45····6·", "С {20}{17}{86} {17}{120}· {17}{25}·", "С1.23-45-6"},
    // edge cases
    {'4', "С···101····1·2-3·", "С {17}{20}{52} ·{17}{20} {21}{38}·", "С101-1-2-3"},
    {'4', "С···101·000112345", "С {17}{20}{52} ·{51}{52} {69}{103}5", "С101-0001-12345"},
    {'4', "С···101А··12···5·", "С {17}{20}{52} А{17}{69} {17}{24}·", "С101-А12-5"},
    {'G', "Е····01·1·001··01·", "Е {17}{17}{52} {20}{19}{52} {17}{52}·", "Е01-·1-001-01"},
    {'M', "С···123··45····6·", "С {17}{20}{86} {17}{120}· {17}{25}·", "С.123-45-6"},
    {'4', "С···101··········", "С {17}{20}{52} ·{17}{17} {17}{17}·", "С101"},
    // other base letters: kind 4 packing of a table aligned as for kind 9 keeps a blank
    {'Z', "С···101··12····5·", "С {17}{20}{52} ·{20}{81} {17}{24}·", "С101-12·-5"},
};

TEST(PackedFormTest, AlignedFormPacksAndFormatsBack) {
    for (const PackedCase& c : kPackedCases) {
        SCOPED_TRACE(std::string("base ") + c.base + " code " + c.code);
        const std::string p = PackAlignedKod(oem(c.aligned), c.base);
        EXPECT_EQ(p, packed(c.packedForm)) << showOem(p);
        EXPECT_EQ(p.size(), codes::kPackedWidth);
        EXPECT_EQ(formattedCode(packed(c.packedForm), c.base), c.code);
    }
}

TEST(PackedFormTest, FormattedTextIsFilledUpToNineteen) {
    EXPECT_EQ(formatted(packed("С {17}{20}{52} ·{51}{52} {17}{24}·"), '4'),
              oem("С101-0001-5········"));
    EXPECT_EQ(formatted(packed("С {17}{17}{17} ·{51}{52} {17}{24}·"), '4'),
              oem("С··················"));
}

TEST(PackedFormTest, BlankCollectionGivesTheTypeLetterAlone) {
    for (char base : {'4', '9', 'G', 'M', '1'}) {
        EXPECT_EQ(formattedCode(packed("С {17}{17}{17} {52}{69}а {17}{24}5"), base), "С") << base;
    }
}

TEST(PackedFormTest, KindFourWithBlankTableDropsThePosition) {
    EXPECT_EQ(formattedCode(packed("С {17}{20}{52} ·{17}{17} {17}{24}·"), '4'), "С101");
}

TEST(PackedFormTest, KindFourPrefixWithBlankNumberIsStillPrinted) {
    EXPECT_EQ(formattedCode(packed("С {17}{20}{52} А{17}{17} {17}{24}·"), '4'), "С101-А-5");
}

TEST(PackedFormTest, KindNineTableOfASuffixAloneIsPrinted) {
    EXPECT_EQ(formattedCode(packed("С {17}{20}{52} {17}{17}а {17}{17}·"), '9'), "С101-а");
    EXPECT_EQ(formattedCode(packed("С {17}{20}{52} {17}{17}· {17}{24}·"), '9'), "С101");
    EXPECT_EQ(formattedCode(packed("С {17}{20}{52} {17}{69}· {17}{17}б"), '9'), "С101-12-б");
}

TEST(PackedFormTest, KindGBlankTableEndsTheText) {
    EXPECT_EQ(formattedCode(packed("Е {17}{17}{52} {17}{17}{17} {17}{52}·"), 'G'), "Е01");
    EXPECT_EQ(formattedCode(packed("Е {17}{17}{52} {17}{17}· {17}{52}·"), 'G'), "Е01");
    EXPECT_EQ(formattedCode(packed("Е {17}{17}{52} {17}{19}{52} {17}{17}·"), 'G'), "Е01-··-001");
}

TEST(PackedFormTest, TypeLetterAFormatsTheCollectionOnly) {
    EXPECT_EQ(formattedCode(packed("А {17}{20}{52} ·{51}{52} {17}{24}·"), '4'), "А101");
    EXPECT_EQ(formattedCode(packed("А {17}{17}{17} ·{51}{52} {17}{24}·"), '4'), "А");
}

TEST(PackedFormTest, TypeLetterRFormatsAsSection) {
    EXPECT_EQ(formattedCode(packed("R {17}{20}{52} ·{51}{52} {17}{24}·"), '4'), "Раздел");
    EXPECT_EQ(formattedCode(packed("R"), 'M'), "Раздел");
}

TEST(PackedFormTest, SmallTypeLetterStaysSmall) {
    EXPECT_EQ(formattedCode(packed("с {17}{20}{52} ·{51}{52} {17}{24}·"), '4'), "с101-0001-5");
}

TEST(PackedFormTest, BaseLetterMCollectionWithoutFirstPartKeepsItsPoint) {
    EXPECT_EQ(formattedCode(packed("С {20}{17}{86} {17}{120}· {17}{17}·"), 'M'), "С1.23-45");
    EXPECT_EQ(formattedCode(packed("С {17}{17}{86} {17}{17}· {17}{25}·"), 'M'), "С.23");
}

TEST(PackedFormTest, TableAndPositionParts) {
    using codes::FormatTableAndPosition;
    EXPECT_EQ(FormatTableAndPosition("C101", packed("{17}{17}·"), packed("{17}{24}·")), "C101");
    EXPECT_EQ(showOem(FormatTableAndPosition(oem("С101"), packed("{17}{69}а"),
                                             packed("{17}{17}·"))),
              "С101-12а");
    EXPECT_EQ(showOem(FormatTableAndPosition(oem("С101"), packed("{51}{52}·"),
                                             packed("{17}{24}б"))),
              "С101-0001-5б");
    EXPECT_EQ(FormatTableAndPosition("C", "", ""), "C--");
}

TEST(PackedFormTest, ShortPackedFormsDoNotReadBeyondTheirEnd) {
    for (char base : {'4', '9', 'G', 'M', '1', 'Z'}) {
        for (const char* p : {"", "С", "С {17}", "С {17}{20}{52} ·", "Е {17}{17}{52} {52}"}) {
            EXPECT_GE(formatted(packed(p), base).size(), codes::kFormattedWidth) << p;
        }
        EXPECT_LE(PackAlignedKod("", base).size(), codes::kPackedWidth);
        EXPECT_LE(PackAlignedKod(oem("С···101"), base).size(), codes::kPackedWidth);
    }
}

}  // namespace
