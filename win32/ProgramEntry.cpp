#include "win32/ProgramEntry.h"

#include <exception>

#include "app/ApplicationTitle.h"
#include "app/SecondCopy.h"
#include "platform/Desktop.h"
#include "platform/win32/WideText.h"
#include "win32/CorrespondenceWindow.h"
#include "win32/ExceptionReport.h"
#include "win32/MessageLoop.h"
#include "win32/ProgressWindow.h"

namespace win32 {

std::string programFilePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(),
                                                static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {
            path.resize(length);
            return platform::win32::narrowForDiagnostics(path);
        }
        path.resize(path.size() * 2);
    }
}

int RunProgram(const platform::InstanceGuard& guard, const std::string& commandLine,
               const ConverterFactory& makeConverter) {
    // Until the window sets its title, the application is named after its program file.
    app::SetApplicationTitle(app::ProgramBaseName(programFilePath()));
    if (guard.alreadyRunning()) {
        // Above every window, the first copy's always-on-top ones included.
        platform::showError(app::ApplicationTitle(), app::AlreadyRunningMessage(), true);
        return app::kSecondCopyExitStatus;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                      ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    try {
        // The converter first: it loads the reader library, and when it cannot, the window is
        // never shown.
        CorrespondenceWindowFactory dialogs;
        std::unique_ptr<app::Converter> converter = makeConverter();
        converter->SetDialogFactory(&dialogs);
        ProgressWindow window(std::move(converter));
        dialogs.SetOwner(window.handle());
        window.SetCommandLine(commandLine);
        window.Show();
        runMessageLoop();
    } catch (const std::exception& error) {
        ReportException(error.what());
    } catch (...) {
        ReportException(std::string());
    }
    return 0;
}

}  // namespace win32
