#include <gtest/gtest.h>

#include <string>

#include "codes/AlignKod.h"
#include "tests/codes/CodeTestText.h"

namespace {

using codes::AlignKod;
using codes_test::oem;
using codes_test::showOem;

struct AlignCase {
    char base;
    const char* code;     // UTF-8, "·" a blank
    const char* kind;     // "" when the code has none
    const char* aligned;  // UTF-8, "·" a blank
};

// The examples of the alignment, then its edge cases.
const AlignCase kAlignCases[] = {
    {'4', "С101-0001-5", "4", "С···101·0001···5·"},
    {'4', "С101-А12-5", "4", "С···101А··12···5·"},
    {'9', "С101-12а-5", "9", "С···101··12а···5·"},
    {'G', "Е01-01-001-01", "G", "Е····0101·001··01·"},
    {'G', "Е55-01-001-01", "9", "Е····55··01·001-01"},
    {'M', "С1.23-45-6", "M", "С·1··23··45····6·"},
    {'4', "С101", "", "С···101··········"},
    {'9', "С1.2-3", "", "С1.2-3···········"},

    {'4', "", "", "·················"},
    {'G', "", "", "·················"},
    {'4', "С", "", "С················"},
    {'4', "С101-", "4", "С···101··········"},
    {'4', "С-12-5", "4", "С·········12···5·"},
    {'G', "Е01-1-001-01", "G", "Е····01·1·001··01·"},
    {'G', "Е01--001-01", "G", "Е····01··001··01··"},
    {'G', "Е01- 1-001-01", "G", "Е····01·1·001··01·"},
    {'G', "Е25-67-69", "G", "Е····2567··69·····"},
    {'G', "Е01", "", "Е····01···········"},  // no kind, but the width of the base letter
    {'G', "Е01-01", "G", "Е····0101·········"},
    {'G', "Е01-01-", "G", "Е····0101·········"},
    {'G', "Е01-01-1234-01", "G", "Е····01011234··01·"},
    {'G', "С1.2-3", "", "С1.2-3············"},
    {'M', "С123", "", "·················"},
    {'M', "С123-45-6", "M", "С···123··45····6·"},
    {'M', "С.123-45-6", "M", "С···123··45····6·"},
    {'M', "С1,2-3", "", "С1,2-3···········"},
    {'M', "С1.2-3,", "", "С1.2-3,··········"},
    {'M', "С1.23-", "M", "С··1.23··········"},
    {'9', "С101-12", "9", "С···101··12······"},
    {'9', "С101-12а", "9", "С···101··12а·····"},
    {'Z', "С101-12-5", "4", "С···101··12····5·"},
    {'4', "С101-12а", "4", "С···101··12а·····"},
    {'4', "С101-А", "4", "С···101А·········"},
    {'4', "С101-1-2-3", "4", "С···101····1·2-3·"},
    {'4', "С101-0001-12345", "4", "С···101·000112345"},
    {'4', "С101-0001-123456", "4", "С···101·0001123456"},
    {'4', "С101-0001-5а", "4", "С···101·0001···5а"},
    {'4', "С101--5", "4", "·················"},  // empty table: no table, no position
    {'9', "С101--5", "9", "·················"},
    {'4', "С1234567-1-1", "4", "С1234567····1···1·"},
};

TEST(AlignKodTest, AlignedFormsAndKinds) {
    for (const AlignCase& c : kAlignCases) {
        SCOPED_TRACE(std::string("base ") + c.base + " code " + c.code);
        std::string kind = "stale";
        const std::string aligned = AlignKod(oem(c.code), c.base, kind);
        EXPECT_EQ(showOem(aligned), c.aligned);
        EXPECT_EQ(kind, c.kind);
    }
}

TEST(AlignKodTest, CodeIsTrimmedBeforeAlignment) {
    std::string kind;
    EXPECT_EQ(showOem(AlignKod(oem("··С101-0001-5\t"), '4', kind)), "С···101·0001···5·");
    EXPECT_EQ(kind, "4");
}

TEST(AlignKodTest, BaseLetterGKindGTakesEighteenColumnsOthersSeventeen) {
    std::string kind;
    EXPECT_EQ(AlignKod(oem("Е01-01-001-01"), 'G', kind).size(), 18u);
    EXPECT_EQ(AlignKod(oem("С01-01-001"), 'G', kind).size(), 17u);
    EXPECT_EQ(kind, "9");
}

struct ShapeCase {
    const char* part;
    const char* shaped;
};

const ShapeCase kShapeCases[] = {
    {"5", "···5·"},     {"12", "··12·"},   {"1234", "1234·"}, {"5а", "···5а"},
    {"а", "····а"},     {"12345", "12345"}, {"123456", "123456"}, {"2-3", "·2-3·"},
    {"12-", "··12-"},
};

TEST(AlignKodTest, PositionRule) {
    for (const ShapeCase& c : kShapeCases) {
        SCOPED_TRACE(c.part);
        EXPECT_EQ(showOem(codes::ShapeAsPosition(oem(c.part))), c.shaped);
        EXPECT_EQ(showOem(codes::AlignPosition(oem(std::string("0001-") + c.part), 5)), c.shaped);
    }
}

TEST(AlignKodTest, AlignPositionTrimsThePart) {
    EXPECT_EQ(showOem(codes::AlignPosition(oem("1- 5 "), 2)), "···5·");
}

TEST(AlignKodTest, TableAndPositionOfKindsNineAndM) {
    const std::string L = oem("С");
    const std::string C = oem("···101");
    EXPECT_EQ(codes::AlignTableAndPosition("12-5", L, C, "", 3), "");
    EXPECT_EQ(showOem(codes::AlignTableAndPosition(oem("12-5"), L, C, oem("12"), 3)),
              "С···101··12····5·");
    EXPECT_EQ(showOem(codes::AlignTableAndPosition(oem("1234-5"), L, C, oem("1234"), 5)),
              "С···1011234····5·");
    EXPECT_EQ(showOem(codes::AlignTableAndPosition(oem("12345-"), L, C, oem("12345"), 6)),
              "С···10112345");
}

TEST(AlignKodTest, TailOfBaseLetterFourKeepsThePrefixApart) {
    const std::string L = oem("С");
    const std::string C = oem("···101");
    EXPECT_EQ(codes::AlignKodTail(1, oem("-5"), L, C, '4'), "");
    EXPECT_EQ(codes::AlignKodTail(0, oem("   "), L, C, '4'), "");
    EXPECT_EQ(codes::AlignKodTail(0, "", L, C, '9'), "");
    EXPECT_EQ(showOem(codes::AlignKodTail(0, oem("А12"), L, C, '4')), "С···101А··12");
    EXPECT_EQ(showOem(codes::AlignKodTail(0, oem("12"), L, C, '4')), "С···101···12");
    EXPECT_EQ(showOem(codes::AlignKodTail(0, oem("12"), L, C, '9')), "С···101··12·");
}

TEST(AlignKodTest, TailOfBaseLetterMSplitsTheCollectionAtItsPoint) {
    const std::string L = oem("С");
    EXPECT_EQ(showOem(codes::AlignKodTailM(oem("45-6"), L, oem("··1.23"), 'M')),
              "С·1··23··45····6·");
    EXPECT_EQ(showOem(codes::AlignKodTailM(oem("45-6"), L, oem("12.3456"), 'M')),
              "С123456··45····6·");
    EXPECT_EQ(showOem(codes::AlignKodTailM(oem("45"), L, oem("123"), 'M')), "С···123··45·");
}

TEST(AlignKodTest, NoInputReadsOutOfBounds) {
    // Every part is tested for emptiness before use: codes made of separators only.
    const char* const codes[] = {"-", "--", "---", "----", ".", ",", "С-", "С--", "С---",
                                 "С----", "С-·-·-·-", "-1-1-1-1", "Е1---", "Е1-1--"};
    for (char base : {'4', '9', 'G', 'M', '1', 'Z'}) {
        for (const char* code : codes) {
            std::string kind;
            const std::string aligned = AlignKod(oem(code), base, kind);
            EXPECT_GE(aligned.size(), 17u) << code << " " << base;
        }
    }
}

}  // namespace
