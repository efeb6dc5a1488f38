#include "tests/support/win32/HelperProcess.h"

#include "platform/Files.h"
#include "platform/win32/WideText.h"

namespace testing_support::win32 {

using platform::win32::widen;

HelperProcess::HelperProcess(const std::string& filter,
                             const std::vector<std::pair<std::string, std::string>>& variables) {
    for (const auto& [name, value] : variables) {
        ::SetEnvironmentVariableW(widen(name).c_str(), widen(value).c_str());
    }
    wchar_t self[MAX_PATH * 4] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + widen(filter);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // The environment block is inherited, so the variables reach the helper only.
    if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &info)) {
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
    }
    for (const auto& variable : variables) {
        ::SetEnvironmentVariableW(widen(variable.first).c_str(), nullptr);
    }
}

HelperProcess::~HelperProcess() {
    terminate();
    if (process_ != nullptr) ::CloseHandle(process_);
}

bool HelperProcess::waitForFile(const std::string& path, int timeoutMs) const {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        if (platform::fileExists(path)) return true;
        if (process_ == nullptr || ::WaitForSingleObject(process_, 20) == WAIT_OBJECT_0) {
            return platform::fileExists(path);
        }
    }
    return false;
}

bool HelperProcess::terminate() {
    if (process_ == nullptr) return true;
    if (::WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) return true;
    ::TerminateProcess(process_, 9);
    return ::WaitForSingleObject(process_, 20000) == WAIT_OBJECT_0;
}

long HelperProcess::wait(int timeoutMs) {
    if (process_ == nullptr) return -1;
    if (::WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    return static_cast<long>(code);
}

std::string helperVariable(const std::string& name) {
    wchar_t buffer[4096] = {};
    const DWORD n = ::GetEnvironmentVariableW(widen(name).c_str(), buffer, 4096);
    if (n == 0 || n >= 4096) return std::string();
    return platform::win32::narrowForDiagnostics(std::wstring(buffer, n));
}

}  // namespace testing_support::win32
