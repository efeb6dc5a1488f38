#pragma once
// The command-line text the program works with: what follows the program path, as the platform
// layer gives it (on Windows from the wide command line, in Windows-1251). A text that cannot
// be written in Windows-1251 is refused with a message and gives the empty text.
#include <string>

namespace app {

std::string CommandLineTail(int argc, const char* const* argv);

}  // namespace app
