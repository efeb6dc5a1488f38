#pragma once
// The conversion log as the converter writes it: opened once per conversion, one entry per
// event, closed at its end. The program shell's log file implements it; the engine never
// depends on the shell. Messages are Windows-1251.
#include <string>

namespace engine {

class ConversionLog {
public:
    virtual ~ConversionLog() = default;
    // Shows its own message and returns false when the file cannot be opened.
    virtual bool Open(const std::string& path, const std::string& mode) = 0;
    virtual bool WriteLine(const std::string& message) = 0;
    virtual bool Close() = 0;
};

}  // namespace engine
