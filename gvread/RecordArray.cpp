#include "gvread/RecordArray.h"

#include <cstddef>
#include <cstring>
#include <limits>
#include <new>

#include "gvread/SourceFormat.h"
#include "reader/GvreadApi.h"

namespace gvread {

void RecordArray::release() {
    // The old table goes before the next is read, so that only one is ever in memory.
    std::vector<const char*>().swap(pointers_);
    text_.reset();
    textSize_ = 0;
    count_ = 0;
}

std::uint64_t RecordArray::heldBytes() const {
    return (text_ ? textSize_ + 1 : 0) + pointers_.capacity() * sizeof(const char*);
}

int RecordArray::load(ByteSource& source, const TableEntry& table) {
    release();
    if (table.end < table.firstRecord) return GV_ERROR_FORMAT;
    const std::uint64_t size = table.end - table.firstRecord;
    if (size >= std::numeric_limits<std::size_t>::max() ||
        table.recordCount >= std::numeric_limits<std::size_t>::max() / sizeof(const char*)) {
        return GV_ERROR_MEMORY;
    }
    const std::size_t length = static_cast<std::size_t>(size);
    try {
        text_ = std::make_unique_for_overwrite<char[]>(length + 1);
        pointers_.reserve(static_cast<std::size_t>(table.recordCount) + 1);
    } catch (const std::bad_alloc&) {
        release();
        return GV_ERROR_MEMORY;
    } catch (const std::length_error&) {
        release();
        return GV_ERROR_MEMORY;
    }
    textSize_ = length;
    char* text = text_.get();
    text[length] = '\0';
    if (!source.readAt(table.firstRecord, text, length)) {
        release();
        return GV_ERROR_OPEN;
    }
    // The file was checked when it was opened; a file changed since then is not trusted.
    if (std::memchr(text, '\0', length) != nullptr) {
        release();
        return GV_ERROR_FORMAT;
    }
    std::size_t position = 0;
    while (position < length) {
        char* line = text + position;
        void* found = std::memchr(line, kLineFeed, length - position);
        std::size_t lineLength = found != nullptr ? static_cast<char*>(found) - line : length - position;
        line[lineLength] = '\0';  // the LF, or the closing zero after the last line
        if (lineLength > 0 && line[lineLength - 1] == kCarriageReturn) line[lineLength - 1] = '\0';
        if (pointers_.size() == pointers_.capacity() - 1) {
            release();
            return GV_ERROR_OPEN;  // more lines than when the file was opened
        }
        pointers_.push_back(line);
        position += lineLength + 1;
    }
    if (pointers_.size() != table.recordCount) {
        release();
        return GV_ERROR_OPEN;
    }
    pointers_.push_back(nullptr);
    count_ = static_cast<int>(table.recordCount);
    return GV_OK;
}

}  // namespace gvread
