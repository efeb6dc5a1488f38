#pragma once
// The program entry's work inside a running Qt application: the second-copy check, the
// progress window with the command line, the message loop and the standard exception report.
// main() takes the guard, creates the application and calls RunProgram; tests call it with a
// scripted converter.
#include <functional>
#include <memory>
#include <string>

#include "app/Converter.h"
#include "app/SecondCopy.h"
#include "platform/InstanceGuard.h"

namespace app {

using ConverterFactory = std::function<std::unique_ptr<Converter>()>;

// The exit status: 1 when another copy holds the guard, 0 in every other case.
int RunProgram(const platform::InstanceGuard& guard, const std::string& commandLine,
               const ConverterFactory& makeConverter);

// The standard exception report: a stop box titled with the application's title.
void ReportException(const std::string& message);

}  // namespace app
