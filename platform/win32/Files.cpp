#include "platform/Files.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/ProgramError.h"
#include "platform/win32/WideText.h"

namespace platform {
namespace {

using win32::widen;

std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributesOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return data;
}

std::wstring moduleFileName() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::wstring();
        if (n < buffer.size()) return buffer.substr(0, n);
        buffer.resize(buffer.size() * 2);
    }
}

// The short (8.3) form of a path, whose names are plain ASCII where the volume makes them.
std::wstring shortForm(const std::wstring& path) {
    const DWORD size = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring buffer(size, L'\0');
    const DWORD n = ::GetShortPathNameW(path.c_str(), buffer.data(), size);
    return n > 0 && n < size ? buffer.substr(0, n) : std::wstring();
}

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
};

std::optional<FileIdentity> identityOf(const std::string& path) {
    // No access rights needed, every sharing allowed: only the identity is read.
    const HANDLE file = ::CreateFileW(widen(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(file, &info) != FALSE;
    ::CloseHandle(file);
    if (!ok) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

std::string programFolder() {
    const std::wstring path = moduleFileName();
    if (path.empty()) return ".";
    char32_t unmappable = 0;
    if (auto text = win32::narrow(path, &unmappable)) return folderOf(*text);
    // A folder named in another alphabet is still reachable through its short name.
    if (auto text = win32::narrow(shortForm(path))) {
        if (!text->empty()) return folderOf(*text);
    }
    throw ProgramError(win32::unmappableMessage(L"Путь к программе " + path, unmappable));
}

bool fileExists(const std::string& path) {
    const auto data = attributesOf(path);
    return data && (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool directoryExists(const std::string& path) {
    const auto data = attributesOf(path);
    return data && (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool copyFile(const std::string& from, const std::string& to) {
    if (!fileExists(from)) return false;
    return ::CopyFileW(widen(from).c_str(), widen(to).c_str(), FALSE) != FALSE;
}

bool deleteFile(const std::string& path) { return ::DeleteFileW(widen(path).c_str()) != FALSE; }

bool renameReplacing(const std::string& from, const std::string& to) {
    return ::MoveFileExW(widen(from).c_str(), widen(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool sameFile(const std::string& a, const std::string& b) {
    const auto first = identityOf(a);
    const auto second = identityOf(b);
    return first && second && first->volume == second->volume &&
           first->indexHigh == second->indexHigh && first->indexLow == second->indexLow;
}

std::FILE* openStream(const std::string& path, const char* mode) {
    return ::_wfopen(widen(path).c_str(), widen(mode).c_str());
}

bool createDirectories(const std::string& folder) {
    if (folder.empty() || directoryExists(folder)) return true;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(widen(folder)), error);
    return directoryExists(folder);
}

bool clearReadOnly(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return true;
    return ::SetFileAttributesW(wide.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) != FALSE;
}

std::optional<std::int64_t> lastWriteTime(const std::string& path) {
    const auto data = attributesOf(path);
    if (!data) return std::nullopt;
    const std::int64_t ticks = (static_cast<std::int64_t>(data->ftLastWriteTime.dwHighDateTime) << 32) |
                               data->ftLastWriteTime.dwLowDateTime;
    constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000LL;
    return (ticks - kTicksFrom1601To1970) * 100;
}

}  // namespace platform
