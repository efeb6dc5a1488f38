#pragma once
// Packs the numeric parts of a normative code two characters to a byte (a four-bit value per
// character) and unpacks them. The packed code form is built from these bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace codes {

// The packed byte of two blanks; blank parts of the packed form are made of it.
inline constexpr char kPackedBlankPair = '\x11';

// Four-bit value of one character: "-" 2, digits 3 to 12, "." 13, everything else 1.
unsigned char DigitNibble(char c);
// Character of a four-bit value; the values never produced (0, 14, 15) give a blank.
char NibbleCharacter(unsigned char nibble);

// Half as many bytes as s has characters; a character left over at an odd length is dropped.
std::string PackDigits(std::string_view s);
// Exactly n characters; a byte beyond the end of packed counts as zero (two blanks).
std::string UnpackDigits(std::string_view packed, std::size_t n);

}  // namespace codes
