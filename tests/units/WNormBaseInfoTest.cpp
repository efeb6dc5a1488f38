#include <gtest/gtest.h>

#include <string>

#include "text/CodePages.h"
#include "units/Wnormbaseinfo.h"

namespace {

struct Case {
    const char* code;
    bool isMG419;
};

const Case kCases[] = {
    {"MG419", true},   {"mg419", false},   // no case folding
    {"Mg419", false},  {" MG419", false},  // no trimming
    {"MG419 ", false}, {"MG4190", false},  // a longer code that begins with the five characters
    {"MG41", false},   {"MG420", false},  {"", false},
};

TEST(WNormBaseInfo, OnlyTheExactCodeIsMG419) {
    const WNormBaseInfo info;
    for (const Case& c : kCases) {
        EXPECT_EQ(info.IsMG419(c.code), c.isMG419) << "code \"" << c.code << "\"";
    }
}

TEST(WNormBaseInfo, NulInsideTheCodeIsNotIgnored) {
    const WNormBaseInfo info;
    EXPECT_FALSE(info.IsMG419(std::string("MG419\0", 6)));
}

TEST(WNormBaseInfo, DescriptionNamesTheClass) {
    EXPECT_EQ(WNormBaseInfo().FDescription, "Класс WNormBaseInfo"_w);
}

}  // namespace
