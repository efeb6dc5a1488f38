#pragma once
// The Windows program entry's work: the second-copy check, the converter, the progress window
// with the command line and its correspondence dialogs, the message loop and the standard
// exception report. wWinMain takes the guard and the desktop and calls RunProgram; tests call it
// with a scripted converter.
#include <functional>
#include <memory>
#include <string>

#include "app/Converter.h"
#include "platform/InstanceGuard.h"

namespace win32 {

using ConverterFactory = std::function<std::unique_ptr<app::Converter>()>;

// The exit status: 1 when another copy holds the guard, 0 in every other case.
int RunProgram(const platform::InstanceGuard& guard, const std::string& commandLine,
               const ConverterFactory& makeConverter);

// The path of the running program file, Windows-1251.
std::string programFilePath();

}  // namespace win32
