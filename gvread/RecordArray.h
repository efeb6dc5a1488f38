#pragma once
// The records of one table as the reader hands them out: the table's bytes read in one piece,
// every line end turned into a zero byte, and an array of pointers to the line starts ended
// by a null pointer. Holds one table at a time; used by Reader.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "gvread/ByteSource.h"
#include "gvread/TableIndex.h"

namespace gvread {

class RecordArray {
public:
    // Replaces the held table with `table`; a code of GvreadApi.h. On failure nothing is held.
    int load(ByteSource& source, const TableEntry& table);
    void release();

    const char* const* records() const { return pointers_.get(); }
    int count() const { return count_; }
    // Bytes held for texts and pointers.
    std::uint64_t heldBytes() const;

private:
    // Plain allocations, so that a table too large for memory is a null result and a code
    // rather than an exception or, in instrumented builds, an abort.
    struct Free {
        void operator()(void* block) const { std::free(block); }
    };

    std::unique_ptr<char[], Free> text_;
    std::uint64_t textSize_ = 0;
    std::unique_ptr<const char*[], Free> pointers_;
    std::size_t pointerCapacity_ = 0;
    int count_ = 0;
};

}  // namespace gvread
