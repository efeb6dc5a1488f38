#pragma once
// The command-line text the program works with: what follows the program path. POSIX: the
// arguments, joined again with one blank each should a shell have split the one argument.
// Windows: the tail of GetCommandLineW after the program name and the blanks that follow it,
// unchanged, in Windows-1251.
#include <string>

namespace platform {

// False when the tail holds a character that Windows-1251 cannot write; `problem` then says
// which (Windows-1251 text) and `tail` is empty: such a character is never replaced by "?".
bool commandLineTail(int argc, const char* const* argv, std::string& tail, std::string& problem);

#ifdef _WIN32
// The part of a Windows command line after the program name (quoted or not) and its blanks.
std::wstring tailAfterProgramName(const std::wstring& commandLine);
// The Windows-1251 form of a command-line tail, with the same contract as commandLineTail.
bool commandLineTailFrom(const std::wstring& commandLine, std::string& tail, std::string& problem);
#endif

}  // namespace platform
