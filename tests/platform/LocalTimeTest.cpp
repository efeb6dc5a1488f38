// The log's time-stamp pieces: fixed strftime patterns and the user's formats.
#include <gtest/gtest.h>

#include <string>

#include "platform/LocalTime.h"

namespace {

using platform::LocalDateTime;

struct PatternCase {
    const char* pattern;
    LocalDateTime time;
    const char* expected;
};

class FixedPattern : public ::testing::TestWithParam<PatternCase> {};

TEST_P(FixedPattern, WritesTheTimeAsThePatternSays) {
    const PatternCase& c = GetParam();
    EXPECT_EQ(platform::formatLocalTime(c.pattern, c.time), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FixedPattern,
    ::testing::Values(PatternCase{"%d.%m.%Y", {2005, 10, 20, 14, 3, 27, 0}, "20.10.2005"},
                      PatternCase{"%H:%M:%S", {2005, 10, 20, 14, 3, 27, 0}, "14:03:27"},
                      PatternCase{"%d.%m.%Y", {2000, 2, 29, 0, 0, 0, 0}, "29.02.2000"},
                      PatternCase{"%H:%M:%S", {1999, 12, 31, 23, 59, 59, 999}, "23:59:59"},
                      PatternCase{"", {2005, 10, 20, 14, 3, 27, 0}, ""}));

TEST(UserFormats, NameTheDayMonthYearAndTimeOfTheMoment) {
    const LocalDateTime t{2005, 10, 20, 14, 3, 27, 0};
    const std::string date = platform::userShortDate(t);
    const std::string time = platform::userLongTime(t);
    // Whatever the settings, the day and the minutes appear as digits.
    EXPECT_NE(date.find("20"), std::string::npos) << date;
    EXPECT_NE(time.find("03"), std::string::npos) << time;
    EXPECT_NE(time.find("27"), std::string::npos) << time;
}

TEST(CurrentLocalTime, IsAValidCalendarMoment) {
    const LocalDateTime now = platform::currentLocalTime();
    EXPECT_GE(now.year, 2020);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_LE(now.hour, 23);
    EXPECT_LE(now.minute, 59);
    EXPECT_LE(now.second, 60);
    EXPECT_LE(now.millisecond, 999);
}

}  // namespace
