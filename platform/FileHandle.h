#pragma once
// An open file with byte-level reads and writes at offsets and a share mode that other openers
// see: Shared lets other shared openers in, Exclusive lets nobody else in. POSIX: advisory
// locks (flock); Windows: the share modes of the open (Exclusive = others may neither read nor
// write). Either is held as long as the handle lives and released by the system when the
// process dies.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class FileHandle {
public:
    enum class Access { Read, ReadWrite };
    enum class Share { Shared, Exclusive };

    // Opens an existing file; nothing when it is missing or the share mode cannot be had.
    static std::optional<FileHandle> open(const std::string& path, Access access, Share share);
    // Creates the file, or empties an existing one, for reading and writing.
    static std::optional<FileHandle> create(const std::string& path, Share share);

    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    // Reads exactly `size` bytes; false on an error or a short read.
    bool readAt(std::uint64_t offset, void* data, std::size_t size) const;
    // Reads up to `size` bytes; the count read, or nothing on an error.
    std::optional<std::size_t> readSomeAt(std::uint64_t offset, void* data, std::size_t size) const;
    // Writes all `size` bytes; false on an error or a short write (a full disk).
    bool writeAt(std::uint64_t offset, const void* data, std::size_t size);
    std::optional<std::uint64_t> size() const;
    bool truncate(std::uint64_t size);
    bool sync();
    void close();
    bool isOpen() const { return native_ != kClosed; }

private:
    // A file descriptor, or a Win32 HANDLE as an integer (INVALID_HANDLE_VALUE is -1).
    using Native = std::intptr_t;
    static constexpr Native kClosed = -1;
    explicit FileHandle(Native native) : native_(native) {}
    Native native_ = kClosed;
};

}  // namespace platform
