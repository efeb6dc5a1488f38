#include "dbf/MdxBytes.h"

#include <algorithm>
#include <ctime>

namespace dbf::mdx {

void stampDate(std::string& b, std::size_t at) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    b[at] = static_cast<char>(std::clamp(local.tm_year, 0, 255));
    b[at + 1] = static_cast<char>(local.tm_mon + 1);
    b[at + 2] = static_cast<char>(local.tm_mday);
}

std::string cString(const std::string& b, std::size_t at, std::size_t size) {
    std::string s = b.substr(at, size);
    const auto end = s.find('\0');
    if (end != std::string::npos) s.resize(end);
    return s;
}

}  // namespace dbf::mdx
