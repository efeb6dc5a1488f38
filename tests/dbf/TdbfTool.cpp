#include "tests/dbf/TdbfTool.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/dbf/ExternalTool.h"

namespace dbf_test {
namespace {

#ifdef KONVIKA_TDBF_TOOL
const char* kTool = KONVIKA_TDBF_TOOL;
#else
const char* kTool = "";
#endif

}  // namespace

bool haveTdbfTool() { return toolExists(kTool); }

void tdbfMake(const std::string& folder, const std::string& name, int level, int language) {
    const auto result = runTool(kTool, {"make", folder, name, std::to_string(level), std::to_string(language)});
    ASSERT_EQ(result.status, 0) << result.output;
}

void tdbfGrow(const std::string& folder, const std::string& name, int count) {
    const auto result = runTool(kTool, {"grow", folder, name, std::to_string(count)});
    ASSERT_EQ(result.status, 0) << result.output;
}

void tdbfDrop(const std::string& folder, const std::string& name, const std::string& tag) {
    const auto result = runTool(kTool, {"drop", folder, name, tag});
    ASSERT_EQ(result.status, 0) << result.output;
}

std::vector<std::uint32_t> tdbfWalk(const std::string& folder, const std::string& name, const std::string& tag) {
    const auto result = runTool(kTool, {"walk", folder, name, tag});
    EXPECT_EQ(result.status, 0) << result.output;
    std::vector<std::uint32_t> records;
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) records.push_back(static_cast<std::uint32_t>(std::stoul(line)));
    return records;
}

}  // namespace dbf_test
