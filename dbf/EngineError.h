#pragma once
// The one exception type of the dBASE engine. Every failure of a table operation raises it,
// with a Windows-1251 message that names the file.
#include <string>

#include "platform/ProgramError.h"

namespace dbf {

class EngineError : public platform::ProgramError {
public:
    explicit EngineError(const std::string& message) : platform::ProgramError(message) {}
};

}  // namespace dbf
