#include "platform/LocalTime.h"

#include <chrono>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace platform {
namespace {

locale_t environmentTimeLocale() {
    static const locale_t locale = [] {
        locale_t l = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
        return l != static_cast<locale_t>(nullptr)
                   ? l
                   : ::newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

}  // namespace

LocalDateTime currentLocalTime() {
    const auto point = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(point);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(point.time_since_epoch()).count() % 1000;
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
            local.tm_min,         local.tm_sec,     static_cast<int>(ms)};
}

std::string formatLocalTime(const std::string& pattern, const LocalDateTime& t) {
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
    const std::size_t n =
        ::strftime_l(buffer, sizeof buffer, pattern.c_str(), &tm, environmentTimeLocale());
    return std::string(buffer, n);
}

std::string userShortDate(const LocalDateTime& t) {
    return formatLocalTime(::nl_langinfo_l(D_FMT, environmentTimeLocale()), t);
}

std::string userLongTime(const LocalDateTime& t) {
    return formatLocalTime(::nl_langinfo_l(T_FMT, environmentTimeLocale()), t);
}

}  // namespace platform
