#include "platform/FileHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

int lockOperation(FileHandle::Share share) {
    return (share == FileHandle::Share::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
}

std::optional<int> openLocked(const std::string& path, int flags, FileHandle::Share share) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, lockOperation(share)) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return std::nullopt;
    }
    return fd;
}

}  // namespace

std::optional<FileHandle> FileHandle::open(const std::string& path, Access access, Share share) {
    const auto fd = openLocked(path, access == Access::Read ? O_RDONLY : O_RDWR, share);
    if (!fd) return std::nullopt;
    return FileHandle(*fd);
}

std::optional<FileHandle> FileHandle::create(const std::string& path, Share share) {
    // Lock before truncating, so a file someone else holds is never emptied under them.
    const auto fd = openLocked(path, O_RDWR | O_CREAT, share);
    if (!fd) return std::nullopt;
    FileHandle handle(*fd);
    if (!handle.truncate(0)) return std::nullopt;
    return handle;
}

FileHandle::FileHandle(FileHandle&& other) noexcept : native_(other.native_) { other.native_ = -1; }

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        native_ = other.native_;
        other.native_ = -1;
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
        const ssize_t n = ::pread(native_, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool FileHandle::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(native_, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::uint64_t> FileHandle::size() const {
    struct stat st {};
    if (::fstat(native_, &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool FileHandle::truncate(std::uint64_t newSize) {
    return ::ftruncate(native_, static_cast<off_t>(newSize)) == 0;
}

bool FileHandle::sync() { return ::fdatasync(native_) == 0; }

void FileHandle::close() {
    if (native_ >= 0) {
        ::close(native_);
        native_ = -1;
    }
}

}  // namespace platform
