#pragma once
// The state behind the library's entry points: the open source price file with its table
// index, the identifiers handed out, the record array of the last table read and the last
// error. Every operation is safe in any order; misuse gives an error code or an empty result.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gvread/ByteSource.h"
#include "gvread/RecordArray.h"
#include "gvread/SourceFormat.h"
#include "gvread/TableIndex.h"
#include "reader/GvreadApi.h"

namespace gvread {

class Reader {
public:
    // Identifier of the first table; the next tables count up from it.
    static constexpr GvTableId kFirstTableId = 0x47560001u;

    Reader() = default;
    // Indexes files `scanChunk` bytes at a time instead of the usual size.
    explicit Reader(std::size_t scanChunk) : scanChunk_(scanChunk) {}

    // Open a file (null path: GV_ERROR_OPEN) or any source; an open file is closed first.
    int open(const char* path) noexcept;
    int open(std::unique_ptr<ByteSource> source) noexcept;
    int close() noexcept;
    bool isOpen() const { return source_ != nullptr; }

    const GvTableId* tables() noexcept;
    const char* tableTitle(GvTableId table) const noexcept;
    const char* const* records(GvTableId table) noexcept;
    const char* record(int index) const noexcept;
    int recordCount() const noexcept { return records_.count(); }
    int tableCount() const noexcept;
    int heldBytes() const noexcept;
    int lastError() const noexcept { return lastError_; }

private:
    void forget() noexcept;

    std::size_t scanChunk_ = kScanChunk;
    std::unique_ptr<ByteSource> source_;
    TableIndex index_;
    std::vector<GvTableId> identifiers_;
    RecordArray records_;
    int lastError_ = GV_OK;
};

}  // namespace gvread
