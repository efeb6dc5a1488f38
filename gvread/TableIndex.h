#pragma once
// Index of the tables of a source price file: one pass over the file in fixed chunks checks
// the format and notes where each table's records lie, so that opening a file of any size
// holds only the titles and offsets in memory. Used by Reader when a file is opened.
#include <cstdint>
#include <string>
#include <vector>

#include "gvread/ByteSource.h"
#include "gvread/SourceFormat.h"

namespace gvread {

struct TableEntry {
    std::string title;
    std::uint64_t firstRecord = 0;  // offset of the line after the table line
    std::uint64_t end = 0;          // offset of the next table line, or the file size
    std::uint64_t recordCount = 0;
};

class TableIndex {
public:
    // `chunkSize` bytes are read at a time (small sizes let tests reach every chunk border).
    explicit TableIndex(std::size_t chunkSize = kScanChunk) : chunkSize_(chunkSize > 0 ? chunkSize : 1) {}

    // Reads the whole source; a code of GvreadApi.h (GV_OK, GV_ERROR_OPEN, GV_ERROR_FORMAT,
    // GV_ERROR_MEMORY). Throws std::bad_alloc when memory runs out.
    int build(ByteSource& source);

    const std::vector<TableEntry>& tables() const { return tables_; }

private:
    void appendToLine(const char* bytes, std::size_t length);
    int finishLine(std::uint64_t lineEnd);

    std::size_t chunkSize_;
    std::vector<TableEntry> tables_;
    std::uint64_t lineNumber_ = 0;
    // Start of the current line: the whole line when it is the signature or a table line,
    // otherwise only as much as tells that it is neither.
    std::string head_;
    bool wholeLine_ = false;
    bool decided_ = false;
};

}  // namespace gvread
