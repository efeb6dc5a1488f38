#pragma once
// Writes the four stored fields of a normative code (type letter, collection, table,
// position) back as the code text people read and type. The code parser composes the text of
// four fields this way before it checks them.
#include <string>
#include <string_view>

namespace codes {

// Fields in code page 866, usually trimmed; baseLetter a one-character text. Result: code text
// in Windows-1251, trimmed; empty when TIP is empty. Never fails.
std::string ComposeKod(std::string_view TIP, std::string_view SBOR, std::string_view TABL,
                       std::string_view POZ, std::string_view baseLetter);

}  // namespace codes
