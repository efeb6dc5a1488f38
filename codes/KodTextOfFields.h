#pragma once
// The code text that four stored fields stand for, composed into a fixed buffer: the same
// text ClGetKod::BuildKodText and ComposeKod make, without allocating. The code parser checks
// the fields of every record this way.
#include <string_view>

#include "codes/KodTextBuffer.h"

namespace codes {

enum class FieldsText {
    Blank,     // the fields are all blank: no code at all
    Composed,  // the buffer holds the code text (Windows-1251)
    TooLong,   // the text does not fit the buffer: compose it the allocating way
};

// Fields in code page 866, as CheckKodParts gets them.
FieldsText KodTextOfFields(std::string_view TIP, std::string_view SBOR, std::string_view TABL,
                           std::string_view POZ, char baseLetter, detail::KodTextBuffer& code);

}  // namespace codes
