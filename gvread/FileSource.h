#pragma once
// A source price file on disk, opened read-only and read with positioned reads, so that only
// the part being indexed or handed out is ever in memory. The path is Windows-1251 text.
#include <memory>
#include <string>
#include <utility>

#include "gvread/ByteSource.h"
#include "platform/FileHandle.h"

namespace gvread {

class FileSource final : public ByteSource {
public:
    // Null when the path is not a regular file that can be opened for reading.
    static std::unique_ptr<FileSource> open(const std::string& path);
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, char* buffer, std::size_t length) override;

private:
    FileSource(platform::FileHandle file, std::uint64_t size) : file_(std::move(file)), size_(size) {}

    platform::FileHandle file_;
    std::uint64_t size_;
};

}  // namespace gvread
