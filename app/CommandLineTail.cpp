#include "app/CommandLineTail.h"

namespace app {

std::string CommandLineTail(int argc, const char* const* argv) {
    std::string tail;
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == nullptr) break;
        if (i > 1) tail += ' ';
        tail += argv[i];
    }
    return tail;
}

}  // namespace app
