#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "platform/Files.h"

#ifdef _WIN32
#include <windows.h>

#include <random>

#include "platform/win32/WideText.h"
#else
#include <sys/stat.h>
#endif

namespace testing_support {
namespace {

// Paths in tests are Windows-1251 text like the program's; the file system gets them in the
// system's form.
std::filesystem::path systemPath(const std::string& path) {
#ifdef _WIN32
    return std::filesystem::path(platform::win32::widen(path));
#else
    return std::filesystem::path(path);
#endif
}

#ifdef _WIN32
std::string makeTemporaryFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) throw std::runtime_error("GetTempPathW failed");
    std::wstring folder(base, n);
    // A user name in another alphabet is still reachable through the short name.
    auto narrowBase = platform::win32::narrow(folder);
    if (!narrowBase) {
        wchar_t shortBase[MAX_PATH + 1] = {};
        const DWORD m = ::GetShortPathNameW(folder.c_str(), shortBase, MAX_PATH + 1);
        narrowBase = platform::win32::narrow(std::wstring(shortBase, m));
    }
    if (!narrowBase) throw std::runtime_error("temporary folder not writable in Windows-1251");
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path =
            platform::joinPath(*narrowBase, "konvika-test-" + std::to_string(random()));
        if (::CreateDirectoryW(platform::win32::widen(path).c_str(), nullptr)) return path;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw std::runtime_error("CreateDirectoryW failed");
}

void makeRemovable(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
}
#else
std::string makeTemporaryFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                          "/konvika-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return buffer.data();
}

void makeRemovable(const std::filesystem::path& path) {
    std::error_code error;
    ::chmod(path.c_str(), std::filesystem::is_directory(path, error) ? 0700 : 0600);
}
#endif

}  // namespace

TempFolder::TempFolder() : path_(makeTemporaryFolder()) {}

TempFolder::~TempFolder() {
    std::error_code error;
    const std::filesystem::path root = systemPath(path_);
    // Give write permission back first, so read-only files made by a test can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        makeRemovable(it->path());
    }
    makeRemovable(root);
    std::filesystem::remove_all(root, error);
}

std::string TempFolder::file(const std::string& name) const { return platform::joinPath(path_, name); }

std::string readFileBytes(const std::string& path) {
    std::ifstream in(systemPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(systemPath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testing_support
