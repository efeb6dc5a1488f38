#pragma once
// A second copy of the running test program that runs one helper test (chosen by a gtest
// filter) in its own process: the Windows stand-in for fork in the tests. The helper learns its
// job from environment variables, reports readiness by creating a file and then waits to be
// ended with TerminateProcess, as a crash or the task manager would end it.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace testing_support::win32 {

class HelperProcess {
public:
    // Starts this program with --gtest_filter=`filter` (helper tests are DISABLED_ ones, so a
    // normal run passes them by) and the variables added to its
    // environment (Windows-1251 names and values; paths may be Cyrillic).
    HelperProcess(const std::string& filter, const std::vector<std::pair<std::string, std::string>>& variables);
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    // Waits until `path` exists or the helper has ended; true when the file appeared.
    bool waitForFile(const std::string& path, int timeoutMs = 20000) const;
    // Ends the helper at once, without letting it clean up; true when it has ended.
    bool terminate();
    // Waits for the helper to end by itself; its exit code, or -1 after the timeout.
    long wait(int timeoutMs = 20000);

private:
    HANDLE process_ = nullptr;
};

// The value of a helper's variable (empty when unset), in Windows-1251.
std::string helperVariable(const std::string& name);

}  // namespace testing_support::win32
