#include "gvread/RecordArray.h"

#include <cstddef>
#include <cstring>
#include <limits>

#include "gvread/SourceFormat.h"
#include "reader/GvreadApi.h"

namespace gvread {

void RecordArray::release() {
    // The old table goes before the next is read, so that only one is ever in memory.
    pointers_.reset();
    pointerCapacity_ = 0;
    text_.reset();
    textSize_ = 0;
    count_ = 0;
}

std::uint64_t RecordArray::heldBytes() const {
    return (text_ ? textSize_ + 1 : 0) + pointerCapacity_ * sizeof(const char*);
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
    const std::size_t capacity = static_cast<std::size_t>(table.recordCount) + 1;
    text_.reset(static_cast<char*>(std::malloc(length + 1)));
    pointers_.reset(static_cast<const char**>(std::malloc(capacity * sizeof(const char*))));
    if (!text_ || !pointers_) {
        release();
        return GV_ERROR_MEMORY;
    }
    textSize_ = length;
    pointerCapacity_ = capacity;
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
    std::size_t lines = 0;
    std::size_t position = 0;
    while (position < length) {
        char* line = text + position;
        void* found = std::memchr(line, kLineFeed, length - position);
        std::size_t lineLength = found != nullptr ? static_cast<char*>(found) - line : length - position;
        line[lineLength] = '\0';  // the LF, or the closing zero after the last line
        if (lineLength > 0 && line[lineLength - 1] == kCarriageReturn) line[lineLength - 1] = '\0';
        if (lines == capacity - 1) {
            release();
            return GV_ERROR_OPEN;  // more lines than when the file was opened
        }
        pointers_[lines++] = line;
        position += lineLength + 1;
    }
    if (lines != table.recordCount) {
        release();
        return GV_ERROR_OPEN;
    }
    pointers_[lines] = nullptr;
    count_ = static_cast<int>(table.recordCount);
    return GV_OK;
}

}  // namespace gvread
