#include "app/CommandLineTail.h"

#include "platform/CommandLine.h"
#include "platform/Desktop.h"

namespace app {

std::string CommandLineTail(int argc, const char* const* argv) {
    std::string tail;
    std::string problem;
    // A tail Windows-1251 cannot write is refused with a message; the empty command line then
    // ends the program like any other wrong one.
    if (!platform::commandLineTail(argc, argv, tail, problem)) platform::showError("Konvika", problem);
    return tail;
}

}  // namespace app
