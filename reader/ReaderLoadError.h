#pragma once
// Thrown by TSPDLL when the reader library cannot be loaded. The message is the one the user
// sees; the loader's own explanation, when there is one, is kept apart for diagnostics so
// that the message keeps its fixed form.
#include <string>
#include <utility>

#include "platform/ProgramError.h"

class ReaderLoadError : public platform::ProgramError {
public:
    ReaderLoadError(const std::string& message, std::string loaderText)
        : platform::ProgramError(message), loaderText_(std::move(loaderText)) {}

    const std::string& loaderText() const { return loaderText_; }

private:
    std::string loaderText_;
};
