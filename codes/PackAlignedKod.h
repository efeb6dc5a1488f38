#pragma once
// Turns the aligned form of a normative code into its ten-character packed form: the type
// letter, then collection, table and position with their digits packed. The code parser packs
// a code this way to check it.
#include <cstddef>
#include <string>
#include <string_view>

namespace codes {

inline constexpr std::size_t kPackedWidth = 10;

// aligned is code page 866 (characters taken over unchanged stay so). The result has 10
// characters whenever aligned is as wide as the alignment makes it; shorter otherwise.
std::string PackAlignedKod(std::string_view aligned, char baseLetter);

}  // namespace codes
