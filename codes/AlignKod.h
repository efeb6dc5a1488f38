#pragma once
// Rewrites a normative code into the aligned form: fixed columns with every number
// right-aligned, so that type letter, collection, table and position can be cut out at fixed
// places. The code parser stores this form and the packed form is made from it.
#include <cstddef>
#include <string>
#include <string_view>

namespace codes {

// Width of the aligned form: 17 columns, 18 for kind G (its section takes two more).
inline constexpr std::size_t kAlignedWidth = 17;
inline constexpr std::size_t kAlignedWidthG = 18;

// code is code page 866. kind receives the code kind, empty when the code has none (no "-"
// after the collection, or a "," under base letter M, a "." under any other). Never fails;
// a code that does not fit its kind comes out misaligned.
std::string AlignKod(std::string_view code, char baseLetter, std::string& kind);

// Inner steps, named after the parts they align. R is the rest of the code after the first
// dash, L the type letter, C the aligned collection; d is the 1-based position of a dash in
// R (0 when none).
std::string AlignKodTailM(const std::string& R, const std::string& L, std::string C,
                          char baseLetter);
std::string AlignKodTail(std::size_t d, const std::string& R, const std::string& L,
                         const std::string& C, char baseLetter);
std::string AlignTableAndPosition(const std::string& R, const std::string& L,
                                  const std::string& C, std::string B, std::size_t d);
std::string AlignPosition(const std::string& R, std::size_t d);

// The shape shared by positions and by tables that end the code: a short number gets an
// empty suffix column, a short part ending in a suffix is right-aligned in 5, a long part is
// taken whole.
std::string ShapeAsPosition(std::string_view part);

}  // namespace codes
