#pragma once
// The local date and time and their text in the user's regional settings, for the log's time
// stamps. POSIX: the LC_TIME of the environment; Windows: the user's short date and long time
// formats (GetDateFormatW / GetTimeFormatW with LOCALE_USER_DEFAULT). Texts are Windows-1251.
#include <string>

namespace platform {

struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

LocalDateTime currentLocalTime();

// The date in the user's short date format ("20.10.2005" with Russian settings).
std::string userShortDate(const LocalDateTime& t);
// The time of day in the user's long time format ("14:03:27").
std::string userLongTime(const LocalDateTime& t);

// The time formatted with an strftime pattern ("%d.%m.%Y"), for fixed formats.
std::string formatLocalTime(const std::string& pattern, const LocalDateTime& t);

}  // namespace platform
