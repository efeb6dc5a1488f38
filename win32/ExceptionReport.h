#pragma once
// The standard exception report of the Windows program: a stop box, modal to the program,
// titled with the application's title, with the report text of app::ExceptionReportText.
#include <string>

namespace win32 {

void ReportException(const std::string& message);

}  // namespace win32
