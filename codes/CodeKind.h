#pragma once
// Decides which of the four layouts of a normative code (kinds 4, 9, G and M) a code follows,
// from its type letter, its collection number and the base letter. Used by the alignment, the
// packed form and the composing of code text.
#include <string>
#include <string_view>

namespace codes {

inline constexpr char kKind4[] = "4";
inline constexpr char kKind9[] = "9";
inline constexpr char kKindG[] = "G";
inline constexpr char kKindM[] = "M";

// typeLetter is code page 866; the result is one of "4", "9", "G", "M". Never fails: a base
// letter without rules of its own gives "4". Only base letter G looks at the type letter and
// the collection; callers may leave them empty for the other bases.
std::string CodeKind(std::string_view typeLetter, std::string_view collection, char baseLetter);

// The whole number at the start of a collection (leading blanks, an optional sign, digits);
// 0 without digits. Saturates instead of overflowing.
long long LeadingNumber(std::string_view collection);

}  // namespace codes
