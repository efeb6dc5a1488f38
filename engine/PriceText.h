#pragma once
// A source price in the program's number form (what NumberToText(TextToNumber(price)) gives:
// a point as separator, trailing zeros cut to one decimal, the empty text for zero), worked out
// straight from the digits for the plain prices of price files, so that the record loop does
// not go through a long double and back for every price. Used by the record parsing.
#include <string>
#include <string_view>

#include "text/Wastring.h"

namespace engine {

// Fills `out` with the number form of `price`; `numbers` does every case the digits alone
// cannot decide exactly (exponents, more than six decimals, more than nine whole digits).
void NormalisePrice(std::string_view price, const text::WString& numbers, std::string& out);

}  // namespace engine
