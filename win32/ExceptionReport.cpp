#include "win32/ExceptionReport.h"

#include "app/ApplicationTitle.h"
#include "app/ExceptionReport.h"
#include "platform/win32/WideText.h"
#include "win32/WindowDesktop.h"

namespace win32 {

void ReportException(const std::string& message) {
    const std::wstring text = platform::win32::widen(app::ExceptionReportText(message));
    const std::wstring caption = platform::win32::widen(app::ApplicationTitle());
    MessageBoxW(messageBoxOwner(), text.c_str(), caption.c_str(),
                MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

}  // namespace win32
