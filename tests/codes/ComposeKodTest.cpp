#include <gtest/gtest.h>

#include <string>

#include "codes/ComposeKod.h"
#include "tests/codes/CodeTestText.h"

namespace {

using codes::ComposeKod;
using codes_test::oem;
using codes_test::showAnsi;

struct ComposeCase {
    const char* base;
    const char* tip;
    const char* sbor;
    const char* tabl;
    const char* poz;
    const char* code;
};

// The examples of composing, then its edge cases (fields trimmed, as the callers pass them).
const ComposeCase kComposeCases[] = {
    {"4", "С", "101", "0001", "5", "С101-0001-5"},
    {"4", "С", "101", "А··12", "5", "С101-А12-5"},
    {"G", "Е", "01", "01001", "01", "Е01-01-001-01"},
    {"M", "С", "1··23", "45", "6", "С1.23-45-6"},
    {"4", "С", "101", "", "5", "С101"},
    {"4", "С", "101.5", "", "", "С101.5"},
    {"4", "А", "101", "1", "5", "А101"},

    {"4", "", "101", "0001", "5", ""},
    {"M", "", "1··23", "45", "6", ""},
    {"4", "С", "", "0001", "5", "С"},
    {"4", "С", "101", "0001", "·", "С101-0001-"},
    {"M", "С", "12345", "45", "6", "С12.345-45-6"},
    {"G", "Е", "01", "1001", "01", "Е01-10-01-01"},
    {"G", "Е", "25", "67·69", "", "Е25-67-·69"},
    {"G", "е", "01", "01001", "01", "е01-01-001-01"},  // upper-cased for the kind only
    {"G", "Е", "55", "01", "001-01", "Е55-01-001-01"},
    {"9", "С", "101", "12а", "5", "С101-12а-5"},
    {"4", "С", "101", "1", "2-3", "С101-1-2-3"},
    {"4", "С", "101", "0001", "", "С101-0001"},
    {"4", "С", "101", "·", "5", "С101--5"},
    {"4", "R", "101", "0001", "5", "Раздел"},
    {"4", "А", "··101", "", "", "А101"},
    {"4", "С", "101", "1,2", "", "С1011,2"},
    {"M", "С", "1··23", "45", "6,", "С1··23456,"},
    {"M", "С", "12", "45", "6", "С12.-45-6"},
    {"M", "С", "123", "45", "6", "С12.3-45-6"},
    {"", "С", "101", "0001", "5", "С101-0001-5"},
    {"4", "·С", "101", "0001", "5", "С101-0001-5"},
};

TEST(ComposeKodTest, FieldsComposeToCodeText) {
    for (const ComposeCase& c : kComposeCases) {
        SCOPED_TRACE(std::string("base ") + c.base + " fields " + c.tip + "|" + c.sbor + "|" +
                     c.tabl + "|" + c.poz);
        const std::string code =
            ComposeKod(oem(c.tip), oem(c.sbor), oem(c.tabl), oem(c.poz), c.base);
        EXPECT_EQ(showAnsi(code), c.code);
    }
}

TEST(ComposeKodTest, ResultIsWindows1251) {
    EXPECT_EQ(ComposeKod(oem("С"), "101", "0001", "5", "4"), codes_test::w("С101-0001-5"));
    EXPECT_EQ(ComposeKod(oem("R"), "", "", "", "4"), codes_test::w("Раздел"));
}

}  // namespace
