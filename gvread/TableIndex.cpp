#include "gvread/TableIndex.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "gvread/SourceFormat.h"
#include "reader/GvreadApi.h"

namespace gvread {
namespace {

// A table line is told from a record by its first bytes: the marker and one more.
constexpr std::size_t kDecidingLength = kTableMarker.size() + 1;
// The signature line with a CR and one byte more is already too long to be the signature.
constexpr std::size_t kSignatureLineLimit = kSignature.size() + 2;

// The counts are handed out as int; a table or file beyond that cannot be held.
constexpr std::uint64_t kMaxCount = INT_MAX - 1;

// A line that may still turn out to be a table line once its end is seen ("#TABLE" + CR).
bool mayBeTableLine(const std::string& head) {
    return head.compare(0, kTableMarker.size(), kTableMarker) == 0 &&
           (head[kTableMarker.size()] == kTitleBlank || head[kTableMarker.size()] == kCarriageReturn);
}

bool isTableLine(const std::string& line) {
    if (line.compare(0, kTableMarker.size(), kTableMarker) != 0) return false;
    return line.size() == kTableMarker.size() || line[kTableMarker.size()] == kTitleBlank;
}

void removeClosingCarriageReturn(std::string& line) {
    if (!line.empty() && line.back() == kCarriageReturn) line.pop_back();
}

}  // namespace

void TableIndex::appendToLine(const char* bytes, std::size_t length) {
    if (length == 0) return;
    if (wholeLine_) {
        head_.append(bytes, length);
        return;
    }
    if (decided_) return;
    const std::size_t limit = lineNumber_ == 0 ? kSignatureLineLimit : kDecidingLength;
    std::size_t take = std::min(length, limit - head_.size());
    head_.append(bytes, take);
    if (head_.size() < limit) return;
    if (lineNumber_ != 0 && mayBeTableLine(head_)) {
        wholeLine_ = true;
        head_.append(bytes + take, length - take);
    } else {
        decided_ = true;
    }
}

int TableIndex::finishLine(std::uint64_t lineEnd) {
    std::string line;
    line.swap(head_);
    const bool complete = !decided_;
    wholeLine_ = false;
    decided_ = false;
    const std::uint64_t number = lineNumber_++;
    // A CR closing the line goes, whether the line ends with LF or with the file.
    if (complete) removeClosingCarriageReturn(line);

    if (number == 0) {
        return complete && line == kSignature ? GV_OK : GV_ERROR_FORMAT;
    }
    if (complete && isTableLine(line)) {
        if (tables_.size() >= kMaxCount) return GV_ERROR_MEMORY;
        TableEntry entry;
        if (line.size() > kTableMarker.size()) entry.title = line.substr(kTableMarker.size() + 1);
        entry.firstRecord = lineEnd;
        entry.end = lineEnd;
        tables_.push_back(std::move(entry));
        return GV_OK;
    }
    if (tables_.empty()) return GV_ERROR_FORMAT;  // a record before the first table
    TableEntry& table = tables_.back();
    if (table.recordCount >= kMaxCount) return GV_ERROR_MEMORY;
    ++table.recordCount;
    table.end = lineEnd;
    return GV_OK;
}

int TableIndex::build(ByteSource& source) {
    tables_.clear();
    head_.clear();
    lineNumber_ = 0;
    wholeLine_ = false;
    decided_ = false;

    const std::uint64_t size = source.size();
    auto chunk = std::make_unique_for_overwrite<char[]>(chunkSize_);
    std::uint64_t offset = 0;
    std::uint64_t lineStart = 0;
    while (offset < size) {
        const std::size_t length =
            static_cast<std::size_t>(std::min<std::uint64_t>(chunkSize_, size - offset));
        if (!source.readAt(offset, chunk.get(), length)) return GV_ERROR_OPEN;
        if (std::memchr(chunk.get(), '\0', length) != nullptr) return GV_ERROR_FORMAT;
        std::size_t position = 0;
        while (position < length) {
            const char* from = chunk.get() + position;
            const void* found = std::memchr(from, kLineFeed, length - position);
            if (found == nullptr) {
                appendToLine(from, length - position);
                position = length;
                break;
            }
            const std::size_t lineLength = static_cast<const char*>(found) - from;
            appendToLine(from, lineLength);
            position += lineLength + 1;
            const std::uint64_t lineEnd = offset + position;
            if (int code = finishLine(lineEnd); code != GV_OK) return code;
            lineStart = lineEnd;
        }
        offset += length;
    }
    if (lineStart < size) {
        if (int code = finishLine(size); code != GV_OK) return code;
    }
    if (lineNumber_ == 0) return GV_ERROR_FORMAT;  // an empty file has no signature
    return GV_OK;
}

}  // namespace gvread
