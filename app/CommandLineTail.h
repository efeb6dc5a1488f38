#pragma once
// The command-line text the program works with: what follows the program path. The calling
// program passes one argument; should a shell have split it at blanks, the pieces are joined
// again with one blank each. Bytes are passed on unchanged (paths are used as given).
#include <string>

namespace app {

std::string CommandLineTail(int argc, const char* const* argv);

}  // namespace app
