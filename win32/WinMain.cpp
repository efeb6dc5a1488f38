// The Windows program entry: takes the named mutex before anything else, installs the desktop of
// message boxes owned by the window in use and runs the progress window with the command line.
// The mutex is released when the process ends, however it ends.
#include <cstdlib>
#include <memory>

#include "app/CommandLineTail.h"
#include "app/KonvikaConverter.h"
#include "app/SecondCopy.h"
#include "platform/Desktop.h"
#include "platform/InstanceGuard.h"
#include "win32/ProgramEntry.h"
#include "win32/WinApi.h"
#include "win32/WindowDesktop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const platform::InstanceGuard guard(app::kInstanceGuardName);
    win32::WindowDesktop desktop;
    const platform::ScopedDesktop installed(desktop);
    const std::string commandLine = app::CommandLineTail(__argc, __argv);
    return win32::RunProgram(guard, commandLine,
                             [] { return std::make_unique<app::KonvikaConverter>(); });
}
