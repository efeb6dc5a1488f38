#pragma once
// The Win32 windows' side of the text boundary: the program's Windows-1251 text as the UTF-16
// that the wide (W) APIs take, and back. Uses the program's own code-page table, never the
// system's ANSI code page, so a machine set to another language shows the same letters.
#include <string>
#include <string_view>

namespace win32 {

std::wstring toWide(std::string_view cp1251);
// Characters that Windows-1251 cannot hold become "?", as everywhere in the program's text.
std::string fromWide(std::wstring_view utf16);

}  // namespace win32
