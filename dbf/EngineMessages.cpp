#include "dbf/EngineMessages.h"

#include "dbf/EngineError.h"
#include "text/CodePages.h"

namespace dbf {

std::string message(const char* what, const std::string& path) {
    return text::utf8ToCp1251(what) + "\n" + "Файл: "_w + path;
}

void raise(const char* what, const std::string& path) { throw EngineError(message(what, path)); }

void raise(const std::string& whatCp1251, const std::string& path) {
    throw EngineError(whatCp1251 + "\n" + "Файл: "_w + path);
}

void raiseUnsupported(const std::string& whatCp1251, const std::string& path) {
    throw EngineError(whatCp1251 + "\n" + "Файл: "_w + path, true);
}

}  // namespace dbf
