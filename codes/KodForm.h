#pragma once
// The direct check of a normative code: reads the code once and decides whether it is written
// in the canonical form of its base, as the round trip through the packed form decides, and
// writes its aligned form into a buffer of its own. The code parser runs it for every record;
// the round trip (AlignKod, PackAlignedKod, FormatPackedKod) stays the reference.
#include <cstddef>
#include <string_view>

#include "codes/AlignKod.h"

namespace codes {

enum class KodForm {
    Canonical,
    NotCanonical,
    // Left to the round trip: base letters without rules of their own, and the kind G section
    // of two blanks, which shifts every later column of the aligned form.
    Undecided,
};

// The aligned form (code page 866) of a canonical code, without allocating.
struct AlignedKodText {
    char text[kAlignedWidthG] = {};
    std::size_t size = 0;  // 0 for a code base letter M takes as it stands
    char kind = '\0';      // '4', '9', 'G' or 'M'
    std::string_view view() const { return {text, size}; }
};

// CodeKind as one letter, for a type letter in Windows-1251.
char KindOfCode(char typeLetter, std::string_view collection, char baseLetter);

// code: Windows-1251, as the parser checks it (the caller trims; untrimmed codes are never
// canonical). aligned is filled for a canonical code.
KodForm CheckKodForm(std::string_view code, char baseLetter, AlignedKodText& aligned);

}  // namespace codes
