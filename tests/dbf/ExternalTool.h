#pragma once
// Runs the independent dBASE readers the tests compare our files with (python3-dbfread,
// python3-dbf, index_dump) and gives back what they printed.
#include <string>
#include <vector>

namespace dbf_test {

struct ToolResult {
    int status = -1;
    std::string output;  // standard output and standard error together
};

// Runs `program` with `arguments`, each passed as one argument (no shell quoting needed).
ToolResult runTool(const std::string& program, const std::vector<std::string>& arguments);

// The Debian python that has the dbfread and dbf modules.
inline const char* kPython = "/usr/bin/python3";
bool toolExists(const std::string& program);

}  // namespace dbf_test
