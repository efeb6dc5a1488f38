#pragma once
// Windows-1251 <-> UTF-16 at the boundary of the wide Win32 calls, whatever the system's ANSI
// code page. Text inside the program stays Windows-1251; only these functions see UTF-16.
#include <optional>
#include <string>

namespace platform::win32 {

// Every Windows-1251 byte has a UTF-16 counterpart, so widening cannot fail.
std::wstring widen(const std::string& text);

// The Windows-1251 form of `text`, or nothing when a character has no counterpart there (it is
// never replaced by "?" or by a look-alike). `unmappable` then receives the first such character.
std::optional<std::string> narrow(const std::wstring& text, char32_t* unmappable = nullptr);

// For texts only shown for diagnostics (system error texts): unmappable characters become "?".
std::string narrowForDiagnostics(const std::wstring& text);

// "U+4E2D": how a message names a character.
std::string codePointName(char32_t c);

// The message for a name or text that holds a character Windows-1251 cannot write; `what` says
// whose text it is ("Командная строка", ...), already in Windows-1251.
std::string unmappableMessage(const std::wstring& what, char32_t c);

}  // namespace platform::win32
