#pragma once
// The one exception type of the dBASE engine. Every failure of a table operation raises it,
// with a Windows-1251 message that names the file. A file that is sound but holds something
// this engine cannot keep (a tag kind, a table level) raises it as `unsupported`: repairing
// such a file would destroy what other programs wrote, so the table helper leaves it alone.
#include <string>

#include "platform/ProgramError.h"

namespace dbf {

class EngineError : public platform::ProgramError {
public:
    explicit EngineError(const std::string& message, bool unsupported = false)
        : platform::ProgramError(message), unsupported_(unsupported) {}

    bool unsupported() const { return unsupported_; }

private:
    bool unsupported_;
};

}  // namespace dbf
