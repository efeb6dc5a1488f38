#pragma once
// Little-endian integers inside byte buffers: every integer of the .dbf and .mdx formats.
#include <cstddef>
#include <cstdint>
#include <string>

namespace dbf {

inline std::uint16_t readU16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

inline std::uint32_t readU32(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
}

inline void writeU16(std::string& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

inline void writeU32(std::string& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::uint8_t readU8(const std::string& b, std::size_t at) { return static_cast<unsigned char>(b[at]); }

}  // namespace dbf
