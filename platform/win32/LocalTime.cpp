#include "platform/LocalTime.h"

#include <windows.h>

#include <ctime>

#include "platform/win32/WideText.h"

namespace platform {
namespace {

SYSTEMTIME toSystemTime(const LocalDateTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDay = static_cast<WORD>(t.day);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    st.wMilliseconds = static_cast<WORD>(t.millisecond);
    return st;
}

// A format of the user's settings may use words Windows-1251 cannot write (month names of
// another alphabet); the log then gets the same fixed picture as Russian settings give.
std::string toLogText(const std::wstring& text, const std::wstring& fallback) {
    if (auto narrowed = win32::narrow(text)) return *narrowed;
    return win32::narrowForDiagnostics(fallback);
}

}  // namespace

LocalDateTime currentLocalTime() {
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

std::string userShortDate(const LocalDateTime& t) {
    const SYSTEMTIME st = toSystemTime(t);
    wchar_t buffer[128] = {};
    wchar_t fixed[128] = {};
    const int n = ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128);
    ::GetDateFormatW(LOCALE_INVARIANT, 0, &st, L"dd.MM.yyyy", fixed, 128);
    return toLogText(n > 0 ? std::wstring(buffer) : std::wstring(fixed), fixed);
}

std::string userLongTime(const LocalDateTime& t) {
    const SYSTEMTIME st = toSystemTime(t);
    wchar_t buffer[128] = {};
    wchar_t fixed[128] = {};
    const int n = ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
    ::GetTimeFormatW(LOCALE_INVARIANT, 0, &st, L"HH:mm:ss", fixed, 128);
    return toLogText(n > 0 ? std::wstring(buffer) : std::wstring(fixed), fixed);
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
    char buffer[256];
    const std::size_t n = std::strftime(buffer, sizeof buffer, pattern.c_str(), &tm);
    return std::string(buffer, n);
}

}  // namespace platform
