#include "platform/Files.h"

// Path text only, no system calls: the same on every system, with its own separator.
namespace platform {

bool isPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

namespace {

std::string::size_type lastSeparator(const std::string& path) {
    for (auto i = path.size(); i > 0; --i) {
        if (isPathSeparator(path[i - 1])) return i - 1;
    }
    return std::string::npos;
}

}  // namespace

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (isPathSeparator(folder.back())) return folder + name;
    return folder + kPathSeparator + name;
}

std::string joinPath(const std::string& folder, std::initializer_list<std::string_view> names) {
    std::string path = folder;
    for (const std::string_view name : names) path = joinPath(path, std::string(name));
    return path;
}

std::string folderOf(const std::string& path) {
    const auto slash = lastSeparator(path);
    if (slash == std::string::npos) return std::string();
    if (slash == 0) return path.substr(0, 1);
#ifdef _WIN32
    // "C:\name" lies in the root folder "C:\", not in the current folder of drive C.
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);
#endif
    return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const auto slash = lastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace platform
