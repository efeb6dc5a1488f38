#pragma once
// One byte at a time between Windows-1251 and code page 866, for the code checks that work
// on fixed buffers and must not build a string per code. Same mapping as text/CodePages.
#include <array>

namespace codes::detail {

using ByteTable = std::array<char, 256>;

// Callers that map many bytes take the table once and index it.
const ByteTable& ansiToOemTable();
const ByteTable& oemToAnsiTable();

inline char mapByte(const ByteTable& table, char c) { return table[static_cast<unsigned char>(c)]; }

}  // namespace codes::detail
