#pragma once
// Formats the packed form of a normative code back into its canonical code text. The code
// parser accepts a code only when this gives the code back unchanged.
#include <cstddef>
#include <string>
#include <string_view>

namespace codes {

// The formatted text is filled up with blanks on the right to at least this width.
inline constexpr std::size_t kFormattedWidth = 19;

// packed: the type letter in Windows-1251 (callers convert it back before the call), the rest
// as packed. Result: code text in code page 866.
std::string FormatPackedKod(std::string_view packed, char baseLetter);
// The same text without the blanks that fill it up to kFormattedWidth.
std::string FormatPackedKodText(std::string_view packed, char baseLetter);

// Appends the table and position parts (each three packed characters: two packed bytes and a
// suffix) to the text built so far; a blank table ends the text, a blank position is left out.
std::string FormatTableAndPosition(std::string text, std::string_view table,
                                   std::string_view position);

}  // namespace codes
