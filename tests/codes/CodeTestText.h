#pragma once
// Notation of the code tests: texts are written in UTF-8 with "·" for one blank, and packed
// forms with "{n}" for one byte of value n; failures print code page 866 texts readably.
#include <string>
#include <string_view>

namespace codes_test {

// Windows-1251 text of a UTF-8 literal, "·" standing for a blank.
std::string w(std::string_view utf8);
// Code page 866 text of a UTF-8 literal, "·" standing for a blank.
std::string oem(std::string_view utf8);
// Packed form (code page 866 characters and packed bytes) from the notation
// "С {17}{20}{52} ·{51}{52} {17}{24}·": plain blanks only separate groups for reading.
std::string packed(std::string_view notation);
// Readable UTF-8 of a code page 866 text: blanks as "·", control bytes and packed bytes as {n}.
std::string showOem(std::string_view cp866);
// The same for a Windows-1251 text.
std::string showAnsi(std::string_view cp1251);

}  // namespace codes_test
