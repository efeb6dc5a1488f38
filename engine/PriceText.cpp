#include "engine/PriceText.h"

#include "text/TextRules.h"

namespace engine {
namespace {

using text::isBlankOrControl;
using text::isDigit;

// With at most nine whole and six decimal digits a double holds the price to better than half
// a millionth, so the six-decimal text of the double gives back exactly these digits.
constexpr std::size_t kMaxWholeDigits = 9;
constexpr std::size_t kMaxDecimals = 6;

}  // namespace

void NormalisePrice(std::string_view price, const text::WString& numbers, std::string& out) {
    std::size_t i = 0, end = price.size();
    while (i < end && isBlankOrControl(price[i])) ++i;
    while (end > i && isBlankOrControl(price[end - 1])) --end;
    bool negative = false;
    if (i < end && (price[i] == '+' || price[i] == '-')) negative = price[i++] == '-';
    while (i < end && price[i] == '0') ++i;  // leading zeros do not count
    const std::size_t whole = i;
    while (i < end && isDigit(price[i])) ++i;
    const std::string_view wholeDigits = price.substr(whole, i - whole);
    std::string_view decimals;
    if (i < end && (price[i] == '.' || price[i] == ',')) {
        const std::size_t first = ++i;
        while (i < end && isDigit(price[i])) ++i;
        decimals = price.substr(first, i - first);
    }
    const bool exponent = i < end && (price[i] == 'e' || price[i] == 'E');
    if (exponent || wholeDigits.size() > kMaxWholeDigits || decimals.size() > kMaxDecimals) {
        out = numbers.NumberToText(static_cast<double>(numbers.TextToNumber(std::string(price))));
        return;
    }
    while (!decimals.empty() && decimals.back() == '0') decimals.remove_suffix(1);
    out.clear();
    if (wholeDigits.empty() && decimals.empty()) return;  // zero, or no number at all
    if (negative) out += '-';
    if (wholeDigits.empty()) out += '0';
    else out += wholeDigits;
    out += '.';
    if (decimals.empty()) out += '0';
    else out += decimals;
}

}  // namespace engine
