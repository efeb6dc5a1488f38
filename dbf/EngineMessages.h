#pragma once
// Builds the engine's error messages: what went wrong, then the file it concerns, in
// Windows-1251. Every part of the engine raises its EngineError through here.
#include <string>

namespace dbf {

// `what` is UTF-8 source text; `path` is used as given (Windows-1251).
[[noreturn]] void raise(const char* what, const std::string& path);
[[noreturn]] void raise(const std::string& whatCp1251, const std::string& path);
// The same for a sound file that holds what this engine cannot keep (EngineError::unsupported).
[[noreturn]] void raiseUnsupported(const std::string& whatCp1251, const std::string& path);
std::string message(const char* what, const std::string& path);

}  // namespace dbf
