#include "platform/SharedLibrary.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace platform {
namespace {

std::string systemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n > 0 && buffer != nullptr ? std::wstring(buffer, n) : std::wstring();
    if (buffer != nullptr) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    return win32::narrowForDiagnostics(text);
}

}  // namespace

SharedLibrary::~SharedLibrary() { unload(); }

bool SharedLibrary::load(const std::string& path, int& errorCode, std::string& errorText) {
    unload();
    // No system box about a missing dependency: the caller reports the failure itself.
    DWORD previousMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    // The library's own dependencies are looked for beside it first.
    HMODULE module = ::LoadLibraryExW(win32::widen(path).c_str(), nullptr,
                                      LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD error = module == nullptr ? ::GetLastError() : 0;
    ::SetThreadErrorMode(previousMode, nullptr);
    if (module != nullptr) {
        handle_ = module;
        return true;
    }
    errorCode = static_cast<int>(error);
    errorText = systemErrorText(error);
    return false;
}

void* SharedLibrary::symbol(const std::string& name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

void SharedLibrary::unload() {
    if (handle_ != nullptr) {
        ::FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = nullptr;
    }
}

}  // namespace platform
