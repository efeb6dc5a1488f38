#include "dbf/DriverSettings.h"

#include <map>

#include "dbf/EngineError.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

const char* kDriver = "DBASE";

std::map<std::string, std::string>& parameters() {
    static std::map<std::string, std::string> values;
    return values;
}

void checkDriver(const std::string& driver) {
    if (text::upperCase1251(driver) != kDriver)
        throw EngineError("Неизвестный драйвер базы данных: \""_w + driver + "\".");
}

}  // namespace

void setDriverParameters(const std::string& driver, const std::vector<std::string>& lines) {
    checkDriver(driver);
    std::map<std::string, std::string> parsed;
    for (const auto& line : lines) {
        const auto equals = line.find('=');
        if (equals == 0 || equals == std::string::npos)
            throw EngineError("Неверный параметр драйвера \""_w + driver + "\": \"" + line + "\".");
        parsed[text::upperCase1251(line.substr(0, equals))] = line.substr(equals + 1);
    }
    for (auto& [name, value] : parsed) parameters()[name] = value;
}

std::string driverParameter(const std::string& driver, const std::string& name) {
    checkDriver(driver);
    const auto found = parameters().find(text::upperCase1251(name));
    return found == parameters().end() ? std::string() : found->second;
}

}  // namespace dbf
