#include "tests/dbf/IndexTestSupport.h"

#include <sstream>
#include <stdexcept>

#include "tests/dbf/ExternalTool.h"

namespace dbf_test {

std::vector<std::string> dumpTagNames(const std::string& mdxPath) {
    const auto result = runTool(kIndexDump, {mdxPath});
    if (result.status != 0) throw std::runtime_error("index_dump failed: " + result.output);
    std::vector<std::string> names;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) names.push_back(line);
    return names;
}

std::vector<DumpedKey> dumpTag(const std::string& mdxPath, const std::string& tag, std::size_t keyLength) {
    const auto result = runTool(kIndexDump, {mdxPath, tag});
    if (result.status != 0) throw std::runtime_error("index_dump failed: " + result.output);
    std::vector<DumpedKey> keys;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() < keyLength + 2 || line[keyLength] != ' ')
            throw std::runtime_error("unexpected index_dump line: " + line);
        keys.push_back(
            {line.substr(0, keyLength), static_cast<unsigned>(std::stoul(line.substr(keyLength + 1)))});
    }
    return keys;
}

}  // namespace dbf_test
