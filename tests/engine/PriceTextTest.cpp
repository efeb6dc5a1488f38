// The record loop's own reading of prices must give exactly what the number conversions of
// WString give (NumberToText of TextToNumber), for the plain prices it works out itself and for
// everything it hands back to them.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/PriceText.h"
#include "text/Wastring.h"

namespace {

std::string slow(const std::string& price) {
    const text::WString numbers;
    return numbers.NumberToText(static_cast<double>(numbers.TextToNumber(price)));
}

std::string fast(const std::string& price) {
    const text::WString numbers;
    std::string out = "left over";
    engine::NormalisePrice(price, numbers, out);
    return out;
}

struct Case {
    const char* price;
    const char* expected;
};

const Case kCases[] = {
    {"610,40", "610.4"},    {"8450,00", "8450.0"},  {"9870.50", "9870.5"}, {"1480", "1480.0"},
    {"", ""},               {"0", ""},              {"0,000", ""},         {"-0.0", ""},
    {"  12,5\t", "12.5"},   {"+7", "7.0"},          {"-3,25", "-3.25"},    {",5", "0.5"},
    {"5.", "5.0"},          {"007.010", "7.01"},    {"1,5,3", "1.5"},      {"1.5.3", "1.5"},
    {"12 руб", "12.0"},     {"abc", ""},            {"-", ""},             {".", ""},
    {"- 5", ""},            {"1\t5", "1.0"},        {"0.000001", "0.000001"}, {"999999999.999999", "999999999.999999"},
    {"2.5e3", "2500.0"},    {"2.5E-1", "0.25"},     {"5e", "5.0"},         {"0.0000005", "0.0"},
    {"0.00000049", "0.0"},     {"1234567890.5", "1234567890.5"}, {"1e400", ""}, {"1.23456789", "1.234568"},
};

TEST(PriceText, WorkedExamples) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.price);
        EXPECT_EQ(fast(c.price), c.expected);
        EXPECT_EQ(fast(c.price), slow(c.price));
    }
}

// Prices made of the characters that matter, in every arrangement a generator reaches.
TEST(PriceText, AgreesWithTheNumberConversions) {
    std::mt19937 random(20051020);
    const std::string alphabet = "0123456789012345678901234567890123456789.,,-+ eE\tx";
    for (int i = 0; i < 200000; ++i) {
        std::string price;
        const int length = static_cast<int>(random() % 18);
        for (int k = 0; k < length; ++k) price += alphabet[random() % alphabet.size()];
        ASSERT_EQ(fast(price), slow(price)) << '"' << price << '"';
    }
    // Plain prices of every width up to the limits and beyond them.
    for (int whole = 0; whole <= 12; ++whole) {
        for (int decimals = 0; decimals <= 8; ++decimals) {
            for (int n = 0; n < 200; ++n) {
                std::string price;
                for (int k = 0; k < whole; ++k) price += static_cast<char>('0' + random() % 10);
                if (decimals > 0 || n % 2) price += n % 3 ? "," : ".";
                for (int k = 0; k < decimals; ++k) price += static_cast<char>('0' + random() % 10);
                if (n % 5 == 0) price = "-" + price;
                ASSERT_EQ(fast(price), slow(price)) << '"' << price << '"';
            }
        }
    }
}

TEST(PriceText, EmptyOutputReplacesWhatWasThere) {
    EXPECT_EQ(fast("0"), "");
    EXPECT_EQ(fast("2"), "2.0");
}

}  // namespace
