#include "app/Tlogfile.h"

#include <chrono>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

#include "platform/Desktop.h"
#include "platform/Files.h"
#include "text/CodePages.h"

namespace {

class SystemClock final : public LogClock {
public:
    LogTime now() const override {
        const auto point = std::chrono::system_clock::now();
        const std::time_t seconds = std::chrono::system_clock::to_time_t(point);
        std::tm local{};
        ::localtime_r(&seconds, &local);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            point.time_since_epoch()).count() % 1000;
        return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                local.tm_min,         local.tm_sec,     static_cast<int>(ms)};
    }
};

locale_t environmentTimeLocale() {
    static const locale_t locale = [] {
        locale_t l = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
        return l != static_cast<locale_t>(nullptr)
                   ? l
                   : ::newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

std::string formatTime(const std::string& pattern, const LogTime& t) {
    if (pattern.empty()) return std::string();
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    std::time_t probe = ::timegm(&tm);  // fills in the weekday and the day of the year
    ::gmtime_r(&probe, &tm);
    char buffer[256];
    const std::size_t n = ::strftime_l(buffer, sizeof buffer, pattern.c_str(), &tm,
                                       environmentTimeLocale());
    return std::string(buffer, n);
}

}  // namespace

LogTimeFormats LogTimeFormats::fromEnvironment() {
    const locale_t locale = environmentTimeLocale();
    return {::nl_langinfo_l(D_FMT, locale), ::nl_langinfo_l(T_FMT, locale)};
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
    std::string stamp = formatTime(formats_.shortDate, t);
    if (t.hour != 0 || t.minute != 0 || t.second != 0 || t.millisecond != 0) {
        stamp += ' ';
        stamp += formatTime(formats_.longTime, t);
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
