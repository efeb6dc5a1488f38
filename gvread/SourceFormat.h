#pragma once
// The byte-level landmarks of a source price file (docs/source-format.md), shared by the
// scanner that indexes a file and by the record arrays cut from it.
#include <cstddef>
#include <string_view>

namespace gvread {

// The whole first line of every source price file.
inline constexpr std::string_view kSignature = "GARVENA 1";
// A line that starts with this and is followed by a blank or its end begins a table.
inline constexpr std::string_view kTableMarker = "#TABLE";
inline constexpr char kTitleBlank = ' ';
inline constexpr char kLineFeed = '\n';
inline constexpr char kCarriageReturn = '\r';

// Bytes read from the file at a time while it is indexed.
inline constexpr std::size_t kScanChunk = 64 * 1024;

}  // namespace gvread
