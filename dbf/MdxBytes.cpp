#include "dbf/MdxBytes.h"

#include <algorithm>

#include "platform/LocalTime.h"

namespace dbf::mdx {

void stampDate(std::string& b, std::size_t at) {
    const platform::LocalDateTime local = platform::currentLocalTime();
    b[at] = static_cast<char>(std::clamp(local.year - 1900, 0, 255));
    b[at + 1] = static_cast<char>(local.month);
    b[at + 2] = static_cast<char>(local.day);
}

std::string cString(const std::string& b, std::size_t at, std::size_t size) {
    std::string s = b.substr(at, size);
    const auto end = s.find('\0');
    if (end != std::string::npos) s.resize(end);
    return s;
}

}  // namespace dbf::mdx
