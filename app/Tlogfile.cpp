#include "app/Tlogfile.h"

#include "platform/Desktop.h"
#include "platform/Files.h"
#include "platform/LocalTime.h"
#include "text/CodePages.h"

namespace {

class SystemClock final : public LogClock {
public:
    LogTime now() const override { return platform::currentLocalTime(); }
};

}  // namespace

LogTimeFormats LogTimeFormats::fromEnvironment() {
    // Empty patterns stand for the user's own formats, which the platform writes.
    return {};
}

TLogFile::TLogFile()
    : FDescription("TLogFile"),
      clock_(std::make_shared<SystemClock>()),
      formats_(LogTimeFormats::fromEnvironment()) {}

TLogFile::~TLogFile() {
    // The owner closes the log first; this only keeps a forgotten stream from leaking.
    if (FFile != nullptr) std::fclose(FFile);
}

bool TLogFile::Open(const std::string& path, const std::string& mode) {
    FFileName = path;
    FMode = mode;
    if (FFile != nullptr) {
        std::fclose(FFile);
        FFile = nullptr;
    }
    // Text mode is done here (LF -> CR LF), so the stream itself is always binary.
    binary_ = mode.find('b') != std::string::npos;
    std::string streamMode = mode;
    if (!binary_) streamMode += 'b';
    FFile = platform::openStream(path, streamMode.c_str());
    if (FFile == nullptr) {
        platform::showError(FDescription, FDescription + ": Не удалось открыть файл протокола "_w +
                                              path + "!");
        return false;
    }
    return true;
}

std::string TLogFile::TimeStamp() const {
    const LogTime t = clock_->now();
    std::string stamp = formats_.shortDate.empty()
                            ? platform::userShortDate(t)
                            : platform::formatLocalTime(formats_.shortDate, t);
    if (t.hour != 0 || t.minute != 0 || t.second != 0 || t.millisecond != 0) {
        stamp += ' ';
        stamp += formats_.longTime.empty() ? platform::userLongTime(t)
                                           : platform::formatLocalTime(formats_.longTime, t);
    }
    return stamp;
}

bool TLogFile::WriteLine(const std::string& message) {
    std::string entry = TimeStamp() + " - ";
    entry.reserve(entry.size() + message.size() + 8);
    for (const char c : message) {
        if (c == '\n' && !binary_) entry += '\r';
        entry += c;
    }
    entry += '\r';
    // Flushed entry by entry, so a log of a run that was killed still tells how far it got.
    const bool written = FFile != nullptr &&
                         std::fwrite(entry.data(), 1, entry.size(), FFile) == entry.size() &&
                         std::fflush(FFile) == 0;
    if (!written) {
        platform::showError(FDescription, "Ошибка при записи в файл протокола "_w + FFileName + "!");
        return false;
    }
    return true;
}

bool TLogFile::Close() {
    if (FFile == nullptr) return true;
    if (std::fclose(FFile) != 0) {
        // The stream is gone even when closing reported an error; keep no dangling pointer.
        FFile = nullptr;
        platform::showError(FDescription,
                            "Ошибка при закрытии файл протокола "_w + FFileName + "!");
        return false;
    }
    FFile = nullptr;
    return true;
}
