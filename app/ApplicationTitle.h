#pragma once
// The application's title: the caption of the program entry's messages and of the standard
// exception report. It is the program file's base name until the progress window sets its own.
// Texts are Windows-1251.
#include <string>

namespace app {

// The caption, application title and hint the progress window sets.
std::string ProgramTitle();

const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);
const std::string& ApplicationHint();
void SetApplicationHint(const std::string& hint);

// "konvika" for /opt/x/konvika, "Konvika" for Konvika.exe: the name without folder and extension.
std::string ProgramBaseName(const std::string& programPath);

}  // namespace app
