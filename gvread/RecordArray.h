#pragma once
// The records of one table as the reader hands them out: the table's bytes read in one piece,
// every line end turned into a zero byte, and an array of pointers to the line starts ended
// by a null pointer. Holds one table at a time; used by Reader.
#include <cstdint>
#include <memory>
#include <vector>

#include "gvread/ByteSource.h"
#include "gvread/TableIndex.h"

namespace gvread {

class RecordArray {
public:
    // Replaces the held table with `table`; a code of GvreadApi.h. On failure nothing is held.
    int load(ByteSource& source, const TableEntry& table);
    void release();

    const char* const* records() const { return pointers_.data(); }
    int count() const { return count_; }
    // Bytes held for texts and pointers.
    std::uint64_t heldBytes() const;

private:
    std::unique_ptr<char[]> text_;
    std::uint64_t textSize_ = 0;
    std::vector<const char*> pointers_;
    int count_ = 0;
};

}  // namespace gvread
