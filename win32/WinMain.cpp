// The Windows program entry: takes the named mutex before anything else, installs the message
// box desktop and runs the progress window with the command line. The mutex is released when
// the process ends, however it ends.
#include <cstdlib>
#include <memory>

#include "app/CommandLineTail.h"
#include "app/KonvikaConverter.h"
#include "app/SecondCopy.h"
#include "platform/Desktop.h"
#include "platform/InstanceGuard.h"
#include "platform/win32/MessageBoxDesktop.h"
#include "win32/ProgramEntry.h"
#include "win32/WinApi.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const platform::InstanceGuard guard(app::kInstanceGuardName);
    platform::win32::MessageBoxDesktop desktop;
    const platform::ScopedDesktop installed(desktop);
    const std::string commandLine = app::CommandLineTail(__argc, __argv);
    return win32::RunProgram(guard, commandLine,
                             [] { return std::make_unique<app::KonvikaConverter>(); });
}
