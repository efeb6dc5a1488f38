#include "win32/ExceptionReport.h"

#include "win32/WinApi.h"

#include "app/ApplicationTitle.h"
#include "app/ExceptionReport.h"
#include "win32/WideText.h"

namespace win32 {

void ReportException(const std::string& message) {
    MessageBoxW(nullptr, toWide(app::ExceptionReportText(message)).c_str(),
                toWide(app::ApplicationTitle()).c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

}  // namespace win32
