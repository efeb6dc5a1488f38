#include "platform/CommandLine.h"

namespace platform {

bool commandLineTail(int argc, const char* const* argv, std::string& tail, std::string& problem) {
    // Bytes are passed on unchanged (paths are used as given).
    tail.clear();
    problem.clear();
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == nullptr) break;
        if (i > 1) tail += ' ';
        tail += argv[i];
    }
    return true;
}

}  // namespace platform
