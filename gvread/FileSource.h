#pragma once
// A source price file on disk, opened read-only and read with positioned reads, so that only
// the part being indexed or handed out is ever in memory.
#include <memory>
#include <string>

#include "gvread/ByteSource.h"

namespace gvread {

class FileSource final : public ByteSource {
public:
    // Null when the path is not a regular file that can be opened for reading.
    static std::unique_ptr<FileSource> open(const std::string& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, char* buffer, std::size_t length) override;

private:
    FileSource(int descriptor, std::uint64_t size) : descriptor_(descriptor), size_(size) {}

    int descriptor_;
    std::uint64_t size_;
};

}  // namespace gvread
