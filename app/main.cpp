// The program entry: takes the single-instance guard before anything else, installs the Qt
// desktop and runs the progress window with the command line. The guard is released when the
// process ends, however it ends.
#include <QApplication>

#include <memory>

#include "app/CommandLineTail.h"
#include "app/KonvikaConverter.h"
#include "app/ProgramEntry.h"
#include "app/QtDesktop.h"
#include "app/RussianTexts.h"
#include "dialog/Selectperehod.h"
#include "platform/Desktop.h"
#include "platform/InstanceGuard.h"

int main(int argc, char** argv) {
    const std::string commandLine = app::CommandLineTail(argc, argv);
    const platform::InstanceGuard guard(app::kInstanceGuardName);
    QApplication application(argc, argv);
    const app::RussianTexts russianTexts;
    app::QtDesktop desktop;
    const platform::ScopedDesktop installed(desktop);
    SelectPerehodFactory dialogs;
    return app::RunProgram(guard, commandLine, [&dialogs] {
        auto converter = std::make_unique<app::KonvikaConverter>();
        converter->SetDialogFactory(&dialogs);
        return converter;
    });
}
