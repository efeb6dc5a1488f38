#pragma once
// The standard exception report of the program: an error box titled with the application's
// title. This part builds its text; the Qt program shows it with the stop icon.
#include <string>

namespace app {

// The message with a full stop appended when it is not empty and its last character sorts
// after "." (so "...код 126" gets one, "...!" and "...." do not). Windows-1251 bytes compare
// unsigned, so a message ending in a Cyrillic letter gets one too.
std::string ExceptionReportText(const std::string& message);

}  // namespace app
