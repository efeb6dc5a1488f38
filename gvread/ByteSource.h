#pragma once
// The bytes of one source price file, read at given offsets. The reader works through this
// interface so that a file on disk and a file in memory (tests, fuzzing) are read the same way.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace gvread {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Size when the source was opened.
    virtual std::uint64_t size() const = 0;
    // Reads exactly `length` bytes from `offset`; false when they cannot all be read.
    virtual bool readAt(std::uint64_t offset, char* buffer, std::size_t length) = 0;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool readAt(std::uint64_t offset, char* buffer, std::size_t length) override {
        if (offset > bytes_.size() || length > bytes_.size() - offset) return false;
        if (length > 0) std::memcpy(buffer, bytes_.data() + offset, length);
        return true;
    }

private:
    std::string bytes_;
};

}  // namespace gvread
