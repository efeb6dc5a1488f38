#include "app/ProgramEntry.h"

#include <QApplication>

#include <exception>

#include "app/ApplicationTitle.h"
#include "app/ExceptionReport.h"
#include "app/Main.h"
#include "app/QtDesktop.h"
#include "platform/Desktop.h"
#include "text/CodePages.h"

namespace app {

void ReportException(const std::string& message) {
    ShowStopMessage(ApplicationTitle(), ExceptionReportText(message));
}

int RunProgram(const platform::InstanceGuard& guard, const std::string& commandLine,
               const ConverterFactory& makeConverter) {
    // Until the window sets its title, the application is named after its program file.
    SetApplicationTitle(
        ProgramBaseName(text::utf8ToCp1251(QCoreApplication::applicationFilePath().toStdString())));
    if (guard.alreadyRunning()) {
        // Above every window, the first copy's always-on-top ones included, and active: the
        // user must see why nothing else happens.
        platform::showError(ApplicationTitle(), AlreadyRunningMessage(), true);
        return kSecondCopyExitStatus;
    }
    // The program ends when the window says so. Qt would otherwise end it when the last
    // ordinary window closes, and the tool window does not count: closing the first
    // correspondence dialog would ask all windows to close in the middle of the conversion.
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        TMainForm form(makeConverter());
        QObject::connect(&form, &TMainForm::programEnds, qApp, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        form.SetCommandLine(commandLine);
        form.show();
        QApplication::exec();
    } catch (const std::exception& error) {
        ReportException(error.what());
    } catch (...) {
        ReportException(std::string());
    }
    return 0;
}

}  // namespace app
