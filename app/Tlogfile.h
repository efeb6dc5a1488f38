#pragma once
// The conversion log: one entry per event, "<date> <time> - <message>" ended by a single CR.
// A line feed inside a message is stored as CR LF (text mode). Messages are Windows-1251 bytes
// and are written unchanged. The clock and the date/time formats can be replaced, so that
// entries are exact in tests.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/LocalTime.h"

using LogTime = platform::LocalDateTime;

class LogClock {
public:
    virtual ~LogClock() = default;
    virtual LogTime now() const = 0;
};

// strftime patterns of the short date and long time formats; an empty pattern stands for the
// user's own format (regional settings), which the platform layer writes.
struct LogTimeFormats {
    std::string shortDate;
    std::string longTime;
    // The formats of the user's regional settings.
    static LogTimeFormats fromEnvironment();
};

class TLogFile {
public:
    TLogFile();
    ~TLogFile();
    TLogFile(const TLogFile&) = delete;
    TLogFile& operator=(const TLogFile&) = delete;

    bool Open(const std::string& path, const std::string& mode);
    bool WriteLine(const std::string& message);
    bool Close();

    bool IsOpen() const { return FFile != nullptr; }
    void SetClock(std::shared_ptr<const LogClock> clock) { clock_ = std::move(clock); }
    void SetTimeFormats(LogTimeFormats formats) { formats_ = std::move(formats); }
    std::string TimeStamp() const;

private:
    std::string FFileName;
    std::string FMode;
    std::string FDescription;
    std::FILE* FFile = nullptr;
    bool binary_ = false;
    std::shared_ptr<const LogClock> clock_;
    LogTimeFormats formats_;
};
