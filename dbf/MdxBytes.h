#pragma once
// Small byte helpers shared by the .mdx file and its tag operations: dates stamped into
// headers and NUL-padded names.
#include <cstddef>
#include <cstdint>
#include <string>

namespace dbf::mdx {

// Today's local date as 3 bytes (year - 1900, month, day) at `at`.
void stampDate(std::string& bytes, std::size_t at);
// The text at `at`, at most `size` bytes, up to the first NUL.
std::string cString(const std::string& bytes, std::size_t at, std::size_t size);
// Byte offset of a page.
inline std::uint64_t pageOffset(std::uint32_t page) { return static_cast<std::uint64_t>(page) * 512u; }

}  // namespace dbf::mdx
