#include "tests/dbf/ExternalTool.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <array>
#include <cstdio>

namespace dbf_test {

#ifdef _WIN32
// The Debian readers cannot run inside wine; the Windows test script runs them afterwards on
// the files the Windows build leaves behind.
ToolResult runTool(const std::string&, const std::vector<std::string>&) { return ToolResult{}; }
bool toolExists(const std::string&) { return false; }
#else
ToolResult runTool(const std::string& program, const std::vector<std::string>& arguments) {
    ToolResult result;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return result;
    const pid_t child = ::fork();
    if (child < 0) return result;
    if (child == 0) {
        ::dup2(pipeFds[1], 1);
        ::dup2(pipeFds[1], 2);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::array<char, 4096> buffer{};
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], buffer.data(), buffer.size())) > 0)
        result.output.append(buffer.data(), static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool toolExists(const std::string& program) { return ::access(program.c_str(), X_OK) == 0; }
#endif

}  // namespace dbf_test
