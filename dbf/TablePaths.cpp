#include "dbf/TablePaths.h"

#include "platform/Files.h"

namespace dbf {
namespace {

// Position of the extension's dot in the file-name part, or npos.
std::size_t extensionDot(const std::string& path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind(platform::kPathSeparator);
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
    return dot;
}

}  // namespace

std::string productionIndexPath(const std::string& tablePath) {
    const auto dot = extensionDot(tablePath);
    return (dot == std::string::npos ? tablePath : tablePath.substr(0, dot)) + ".mdx";
}

std::string baseNameOf(const std::string& tablePath) {
    std::string name = platform::fileNameOf(tablePath);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

}  // namespace dbf
