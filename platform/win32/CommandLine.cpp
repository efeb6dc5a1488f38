#include "platform/CommandLine.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace platform {
namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::wstring tailAfterProgramName(const std::wstring& commandLine) {
    std::size_t i = 0;
    // The program name ends at its closing quote, or unquoted at the first blank; quotes do
    // not nest and nothing is escaped inside it.
    if (i < commandLine.size() && commandLine[i] == L'"') {
        ++i;
        while (i < commandLine.size() && commandLine[i] != L'"') ++i;
        if (i < commandLine.size()) ++i;
    }
    while (i < commandLine.size() && !isBlank(commandLine[i])) ++i;
    while (i < commandLine.size() && isBlank(commandLine[i])) ++i;
    return commandLine.substr(i);
}

bool commandLineTailFrom(const std::wstring& commandLine, std::string& tail, std::string& problem) {
    tail.clear();
    problem.clear();
    char32_t unmappable = 0;
    if (auto text = win32::narrow(tailAfterProgramName(commandLine), &unmappable)) {
        tail = std::move(*text);
        return true;
    }
    problem = win32::unmappableMessage(L"Командная строка", unmappable);
    return false;
}

bool commandLineTail(int, const char* const*, std::string& tail, std::string& problem) {
    // argv went through the ANSI code page of the machine; the wide command line did not.
    const wchar_t* line = ::GetCommandLineW();
    return commandLineTailFrom(line != nullptr ? std::wstring(line) : std::wstring(), tail, problem);
}

}  // namespace platform
