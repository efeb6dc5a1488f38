#pragma once
// The program's one exception type for failures that end an operation with a message for the
// user: the reader library that cannot be loaded, and (through a subclass) every error of the
// dBASE engine. The program entry shows the message in its standard error report.
#include <stdexcept>
#include <string>

namespace platform {

class ProgramError : public std::runtime_error {
public:
    // The message is Windows-1251 text.
    explicit ProgramError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace platform
