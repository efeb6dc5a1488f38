#include "platform/FileHandle.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/win32/WideText.h"

namespace platform {
namespace {

HANDLE toHandle(std::intptr_t native) { return reinterpret_cast<HANDLE>(native); }

DWORD shareMode(FileHandle::Share share) {
    // Shared: other shared openers may read and write (and rename or delete, as on POSIX);
    // Exclusive: nobody else may open the file at all while the handle lives.
    return share == FileHandle::Share::Exclusive
               ? 0
               : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
}

DWORD accessRights(FileHandle::Access access) {
    return access == FileHandle::Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
}

HANDLE openFile(const std::string& path, DWORD access, FileHandle::Share share, DWORD disposition) {
    const HANDLE file = ::CreateFileW(win32::widen(path).c_str(), access, shareMode(share), nullptr,
                                      disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return file;
    // A folder or a device opens but is no table.
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ::CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

// One system call moves at most this much.
constexpr std::size_t kChunk = 1u << 30;

}  // namespace

std::optional<FileHandle> FileHandle::open(const std::string& path, Access access, Share share) {
    const HANDLE file = openFile(path, accessRights(access), share, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    return FileHandle(reinterpret_cast<std::intptr_t>(file));
}

std::optional<FileHandle> FileHandle::create(const std::string& path, Share share) {
    // Opened before it is emptied, so a file someone else holds is never emptied under them.
    const HANDLE file = openFile(path, GENERIC_READ | GENERIC_WRITE, share, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    FileHandle handle(reinterpret_cast<std::intptr_t>(file));
    if (!handle.truncate(0)) return std::nullopt;
    return handle;
}

FileHandle::FileHandle(FileHandle&& other) noexcept : native_(other.native_) {
    other.native_ = kClosed;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        native_ = other.native_;
        other.native_ = kClosed;
    }
    return *this;
}

FileHandle::~FileHandle() { close(); }

bool FileHandle::readAt(std::uint64_t offset, void* data, std::size_t size) const {
    const auto got = readSomeAt(offset, data, size);
    return got && *got == size;
}

std::optional<std::size_t> FileHandle::readSomeAt(std::uint64_t offset, void* data,
                                                  std::size_t size) const {
    auto* bytes = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED position = at(offset + done);
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min(size - done, kChunk));
        if (!::ReadFile(toHandle(native_), bytes + done, want, &n, &position)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            return std::nullopt;
        }
        if (n == 0) break;
        done += n;
    }
    return done;
}

bool FileHandle::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED position = at(offset + done);
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min(size - done, kChunk));
        if (!::WriteFile(toHandle(native_), bytes + done, want, &n, &position) || n == 0) return false;
        done += n;
    }
    return true;
}

std::optional<std::uint64_t> FileHandle::size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(toHandle(native_), &size)) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

bool FileHandle::truncate(std::uint64_t newSize) {
    if (newSize > static_cast<std::uint64_t>(std::numeric_limits<LONGLONG>::max())) return false;
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(newSize);
    return ::SetFileInformationByHandle(toHandle(native_), FileEndOfFileInfo, &end, sizeof end) !=
           FALSE;
}

bool FileHandle::sync() { return ::FlushFileBuffers(toHandle(native_)) != FALSE; }

void FileHandle::close() {
    if (native_ != kClosed) {
        ::CloseHandle(toHandle(native_));
        native_ = kClosed;
    }
}

}  // namespace platform
