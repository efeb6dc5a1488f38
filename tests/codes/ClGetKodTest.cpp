#include <gtest/gtest.h>

#include <string>

#include "codes/AlignKod.h"
#include "codes/Clgetkod.h"
#include "codes/ComposeKod.h"
#include "tests/codes/CodeTestText.h"
#include "text/CodePages.h"
#include "text/Wastring.h"

namespace {

using codes_test::oem;
using codes_test::packed;
using codes_test::showOem;
using codes_test::w;

struct Fields {
    std::string TIP, SBOR, TABL, POZ;
};

Fields parse(const ClGetKod& parser, const std::string& code, char base) {
    Fields f;
    EXPECT_TRUE(parser.ParseKod(code, base, f.TIP, f.SBOR, f.TABL, f.POZ));
    return f;
}

bool checkTrimmed(const ClGetKod& parser, const Fields& f, char base) {
    return parser.CheckKodParts(text::trimmed(f.TIP), text::trimmed(f.SBOR),
                                text::trimmed(f.TABL), text::trimmed(f.POZ), base);
}

struct ParseCase {
    char base;
    const char* code;
    const char* TIP;
    const char* SBOR;
    const char* TABL;
    const char* POZ;
    bool check;  // CheckKodParts on the trimmed fields
};

// The worked examples of the parser, then its edge cases. FBaseCode stays empty.
const ParseCase kParseCases[] = {
    {'4', "С101-0001-5", "С", "···101", "·0001", "···5·", true},
    {'9', "С101-12а-5", "С", "···101", "··12а", "···5·", true},
    {'G', "Е01-01-001-01", "Е", "····01", "01001", "··01·", true},
    {'M', "С1.23-45-6", "С", "·1··23", "··45·", "···6·", true},
    {'4', "С101-1-5-", "С", "101-1-", "5-.", "", false},
    {'4', "С101-0001-5а1", "С", "101-00", "01-5а", "1.", false},
    {'4', "С101.5", "С", "101.5", "", "", false},

    {'4', "С", "С", ".", "", "", false},
    {'4', "·С101-0001-5", "·", "С101-0", "001-5", ".", false},
    {'4', "С101-0001-5·", "С", "101-00", "01-5·", ".", false},
    {'4', "С101-0001-5абвгдежзи", "С", "101-00", "01-5а", "бвгд.", false},
    {'M', "О12345-6", "О", "12345-", "6.", "", true},
    {'M', "о12345-6,", "о", "12345-", "6.", "", true},
    {'M', "12-3", "1", "2-3.", "", "", false},
    {'G', "е01-01-001-01", "е", "01-01-", "001-0", "1.", false},
    {'G', "Е01-01-1234-01", "Е", "····01", "01234", "··01·", true},
    {'G', "Е01-·1-001-01", "Е", "····01", "·1001", "··01·", true},
    {'G', "Е01-1-001-01", "Е", "01-1-0", "01-01", ".", false},
    {'G', "Е25-67-69", "Е", "····25", "67·69", "·····", false},
    {'G', "Е55-01-001-01", "Е", "55-01-", "001-0", "1.", false},
    {'G', "Ц60-01-001-01", "Ц", "····60", "01001", "··01·", true},
    {'4', "С101-1-2-3", "С", "···101", "····1", "·2-3·", true},
    {'4', "С101-0001-12345", "С", "···101", "·0001", "12345", true},
    {'4', "С101-А12-5", "С", "···101", "А··12", "···5·", true},
    {'4', "С101-А-5", "С", "···101", "А····", "···5·", true},
    {'4', "С101-12345", "С", "···101", "12345", "·····", true},
    {'9', "С101-12", "С", "···101", "··12·", "·····", true},
    {'M', "С.123-45-6", "С", "···123", "··45·", "···6·", true},
    {'M', "С123-45-6", "С", "123-45", "-6.", "", false},
    {'1', "Т101-1-1", "Т", "···101", "···1·", "···1·", true},
    {'Z', "С101-12-5", "С", "101-12", "-5.", "", false},
    {'Z', "С101-12345-5", "С", "···101", "12345", "···5·", true},
    {'4', "А101", "А", "101.", "", "", false},
    {'4', "С101-1.", "С", "101-1.", "", "", false},
    {'M', "С1.23-45-6,", "С", "1.23-4", "5-6,", "", false},
};

TEST(ClGetKodTest, ParseAndCheck) {
    ClGetKod parser;
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE(std::string("base ") + c.base + " code " + c.code);
        const Fields f = parse(parser, w(c.code), c.base);
        EXPECT_EQ(showOem(f.TIP), c.TIP);
        EXPECT_EQ(showOem(f.SBOR), c.SBOR);
        EXPECT_EQ(showOem(f.TABL), c.TABL);
        EXPECT_EQ(showOem(f.POZ), c.POZ);
        EXPECT_EQ(checkTrimmed(parser, f, c.base), c.check);
    }
}

TEST(ClGetKodTest, DescriptionAndEmptyBaseCode) {
    const ClGetKod parser;
    EXPECT_EQ(parser.FDescription, "ClGetKod");
    EXPECT_TRUE(parser.FBaseCode.empty());
}

TEST(ClGetKodTest, EmptyCodeLeavesTheOutputsAsTheyWere) {
    const ClGetKod parser;
    std::string TIP = "t", SBOR = "s", TABL = "b", POZ = "p";
    EXPECT_FALSE(parser.ParseKod("", '4', TIP, SBOR, TABL, POZ));
    EXPECT_EQ(TIP + SBOR + TABL + POZ, "tsbp");
}

TEST(ClGetKodTest, FieldsAreCodePage866) {
    const ClGetKod parser;
    const Fields f = parse(parser, w("Ж101-12а-5"), '9');
    EXPECT_EQ(f.TIP, text::ansiToOem("Ж"_w));
    EXPECT_EQ(f.TABL, oem("··12а"));
    EXPECT_NE(f.TABL, w("··12а"));
    const Fields raw = parse(parser, w("Жабвгд"), '9');
    EXPECT_EQ(raw.SBOR, oem("абвгд."));
}

TEST(ClGetKodTest, AcceptedCodesHaveTheFixedFieldWidths) {
    const ClGetKod parser;
    for (const ParseCase& c : kParseCases) {
        std::string TIP, SBOR, TABL, POZ;
        if (!parser.PackKod(w(c.code), c.base, TIP, SBOR, TABL, POZ)) continue;
        if (c.base == 'M' && (w(c.code)[0] == "О"_w[0] || w(c.code)[0] == "о"_w[0])) continue;
        const Fields f = parse(parser, w(c.code), c.base);
        EXPECT_EQ(f.TIP.size(), 1u) << c.code;
        EXPECT_EQ(f.SBOR.size(), 6u) << c.code;
        EXPECT_EQ(f.TABL.size(), 5u) << c.code;
        EXPECT_EQ(f.POZ.size(), 5u) << c.code;
    }
}

TEST(ClGetKodTest, RawMarkerDependsOnTheWholeBaseCode) {
    ClGetKod parser;
    parser.FBaseCode = "M";
    Fields f = parse(parser, w("12-3"), 'M');
    EXPECT_EQ(showOem(f.TIP), "1");
    EXPECT_EQ(showOem(f.SBOR), "2-3,");
    EXPECT_FALSE(checkTrimmed(parser, f, 'M'));

    f = parse(parser, w("О12345-6"), 'M');
    EXPECT_EQ(showOem(f.SBOR + f.TABL + f.POZ), "12345-6");
    EXPECT_TRUE(checkTrimmed(parser, f, 'M'));

    // A code that already holds a comma gets none.
    f = parse(parser, w("С1,2-3"), 'M');
    EXPECT_EQ(showOem(f.TIP + f.SBOR + f.TABL + f.POZ), "С1,2-3");

    parser.FBaseCode = "MG419";
    f = parse(parser, w("12-3"), 'M');
    EXPECT_EQ(showOem(f.SBOR), "2-3.");
    EXPECT_FALSE(checkTrimmed(parser, f, 'M'));

    parser.FBaseCode = "4";
    f = parse(parser, w("С1.2,3"), '4');
    EXPECT_EQ(showOem(f.TIP + f.SBOR + f.TABL + f.POZ), "С1.2,3");
}

TEST(ClGetKodTest, LongFailingCodeKeepsSixteenCharactersAndItsMarker) {
    const ClGetKod parser;
    const std::string code = w("С101-0001-5абвгдежзи");
    ASSERT_EQ(code.size(), 20u);
    const Fields f = parse(parser, code, '4');
    EXPECT_EQ(f.TIP + f.SBOR + f.TABL + f.POZ, text::ansiToOem(code.substr(0, 16) + "."));
}

TEST(ClGetKodTest, CodesOfAnyLengthAreStoredRawWithoutOverflow) {
    ClGetKod parser;
    for (std::size_t length : {99u, 100u, 101u, 1000u, 100000u}) {
        std::string code = w("С101-0001-5");
        code.resize(length, '7');
        for (char base : {'4', '9', 'G', 'M', '1', 'Z'}) {
            const Fields f = parse(parser, code, base);
            const std::string marker = std::string(1, '.');
            EXPECT_EQ(f.TIP + f.SBOR + f.TABL + f.POZ, text::ansiToOem(code.substr(0, 16)) + marker)
                << length << " " << base;
            EXPECT_FALSE(checkTrimmed(parser, f, base));
        }
    }
}

TEST(ClGetKodTest, CodesLongerThanNinetyNineCharactersAreNotAccepted) {
    const ClGetKod parser;
    std::string TIP, SBOR, TABL, POZ;
    // Under base letter M a code beginning with О is taken as it stands, whatever its length,
    // up to the limit.
    std::string code = w("О");
    code.resize(ClGetKod::kMaxKodLength, '1');
    EXPECT_TRUE(parser.PackKod(code, 'M', TIP, SBOR, TABL, POZ));
    EXPECT_TRUE(parser.CheckKodParts(oem("О"), code.substr(1), "", "", 'M'));
    code += '1';
    EXPECT_FALSE(parser.PackKod(code, 'M', TIP, SBOR, TABL, POZ));
    EXPECT_FALSE(parser.CheckKodParts(oem("О"), code.substr(1), "", "", 'M'));
}

TEST(ClGetKodTest, CheckWithEmptyTypeLetterFails) {
    const ClGetKod parser;
    EXPECT_FALSE(parser.CheckKodParts("", "101", "0001", "5", '4'));
    EXPECT_FALSE(parser.CheckKodParts("", "", "", "", '4'));
    EXPECT_FALSE(parser.CheckKodParts("", "", "", "", 'M'));
    EXPECT_FALSE(parser.CheckKodParts("  ", " ", "\t", "", '9'));
}

TEST(ClGetKodTest, CheckOfBaseLetterMTakesCodesBeginningWithO) {
    const ClGetKod parser;
    EXPECT_TRUE(parser.CheckKodParts(oem("О"), "", "", "", 'M'));
    EXPECT_TRUE(parser.CheckKodParts(oem("о"), "1", "2", oem("абв,"), 'M'));
    EXPECT_FALSE(parser.CheckKodParts(oem("О"), "", "", "", '4'));
}

TEST(ClGetKodTest, BuildKodTextOfRawAndComposedFields) {
    const ClGetKod parser;
    std::string code;
    EXPECT_FALSE(parser.BuildKodText(" ", "", " ", "", '4', code));
    ASSERT_TRUE(parser.BuildKodText(oem("С"), oem("101-1-"), oem("5-."), "", '4', code));
    EXPECT_EQ(code, w("С101-1-5-."));
    ASSERT_TRUE(parser.BuildKodText(oem("О"), oem("12345-"), oem("6,"), "", 'M', code));
    EXPECT_EQ(code, w("О12345-6"));
    ASSERT_TRUE(parser.BuildKodText(oem("С"), oem("2-3,"), "", "", 'M', code));
    EXPECT_EQ(code, w("С2-3,"));
    ASSERT_TRUE(parser.BuildKodText(oem("С"), "101", "0001", "5", '4', code));
    EXPECT_EQ(code, w("С101-0001-5"));
    // Untrimmed fields are composed as they were given.
    ASSERT_TRUE(parser.BuildKodText(oem("С"), "  101", " 0001", "  5 ", '4', code));
    EXPECT_EQ(code, w("С101-0001-5"));
}

TEST(ClGetKodTest, PackKodGivesThePackedFields) {
    const ClGetKod parser;
    struct Case {
        char base;
        const char* code;
        const char* packedForm;
    };
    const Case cases[] = {
        {'4', "С101-0001-5", "С {17}{20}{52} ·{51}{52} {17}{24}·"},
        {'9', "С101-12а-5", "С {17}{20}{52} {17}{69}а {17}{24}·"},
        {'G', "Е01-01-001-01", "Е {17}{17}{52} {52}{19}{52} {17}{52}·"},
        {'M', "С1.23-45-6", "С {20}{17}{86} {17}{120}· {17}{25}·"},
    };
    for (const Case& c : cases) {
        std::string TIP = "x", SBOR, TABL, POZ;
        ASSERT_TRUE(parser.PackKod(w(c.code), c.base, TIP, SBOR, TABL, POZ)) << c.code;
        EXPECT_EQ(TIP + SBOR + TABL + POZ, packed(c.packedForm)) << c.code;
        Fields f;
        parser.ExpandPackedKod(TIP, SBOR, TABL, POZ, c.base, f.TIP, f.SBOR, f.TABL, f.POZ);
        std::string kind;
        const std::string aligned = codes::AlignKod(oem(c.code), c.base, kind);
        if (kind != "G") {
            EXPECT_EQ(f.TIP + f.SBOR + f.TABL + f.POZ, aligned.substr(0, 17));
        }
    }
    std::string TIP = "x", SBOR = "x", TABL = "x", POZ = "x";
    EXPECT_FALSE(parser.PackKod(w("С101-1-5-"), '4', TIP, SBOR, TABL, POZ));
    EXPECT_EQ(TIP + SBOR + TABL + POZ, "");
    EXPECT_TRUE(parser.PackKod(w("О1"), 'M', TIP, SBOR, TABL, POZ));
    EXPECT_EQ(TIP + SBOR + TABL + POZ, "");
}

TEST(ClGetKodTest, ComposedExamplesAgreeWithTheParser) {
    // The fields the parser hands out for the four valid examples compose back to the code.
    const ClGetKod parser;
    const char* const codes[][2] = {{"4", "С101-0001-5"}, {"9", "С101-12а-5"},
                                    {"G", "Е01-01-001-01"}, {"M", "С1.23-45-6"},
                                    {"4", "С101-А12-5"}};
    for (const auto& c : codes) {
        const Fields f = parse(parser, w(c[1]), c[0][0]);
        EXPECT_EQ(codes::ComposeKod(text::trimmed(f.TIP), text::trimmed(f.SBOR),
                                    text::trimmed(f.TABL), text::trimmed(f.POZ), c[0]),
                  w(c[1]));
    }
}

}  // namespace
