#include "app/ApplicationTitle.h"

#include "text/CodePages.h"

namespace app {
namespace {

std::string& title() {
    static std::string value;
    return value;
}

std::string& hint() {
    static std::string value;
    return value;
}

}  // namespace

std::string ProgramTitle() { return "Цены Гарвена в ОРН (Версия 1.0 от 20-10-2005)"_w; }

const std::string& ApplicationTitle() { return title(); }
void SetApplicationTitle(const std::string& value) { title() = value; }
const std::string& ApplicationHint() { return hint(); }
void SetApplicationHint(const std::string& value) { hint() = value; }

std::string ProgramBaseName(const std::string& programPath) {
    const auto slash = programPath.find_last_of("/\\");
    std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

}  // namespace app
