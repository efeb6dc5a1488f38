#include "gvread/Reader.h"

#include <climits>
#include <new>
#include <stdexcept>

#include "gvread/FileSource.h"

namespace gvread {
namespace {

// Handed out for an open file without tables, so that the array is never null while open.
const GvTableId kNoTables[1] = {0};

}  // namespace

void Reader::forget() noexcept {
    records_.release();
    std::vector<GvTableId>().swap(identifiers_);
    index_ = TableIndex(scanChunk_);
    source_.reset();
}

int Reader::open(const char* path) noexcept {
    forget();
    lastError_ = GV_OK;
    if (path == nullptr) return GV_ERROR_OPEN;
    try {
        std::unique_ptr<FileSource> file = FileSource::open(path);
        if (!file) return GV_ERROR_OPEN;
        return open(std::move(file));
    } catch (const std::bad_alloc&) {
        return GV_ERROR_MEMORY;
    }
}

int Reader::open(std::unique_ptr<ByteSource> source) noexcept {
    forget();
    lastError_ = GV_OK;
    if (!source) return GV_ERROR_OPEN;
    try {
        int code = index_.build(*source);
        if (code != GV_OK) {
            forget();
            return code;
        }
        identifiers_.reserve(index_.tables().size());
        for (std::size_t i = 0; i < index_.tables().size(); ++i) {
            identifiers_.push_back(kFirstTableId + static_cast<GvTableId>(i));
        }
    } catch (const std::bad_alloc&) {
        forget();
        return GV_ERROR_MEMORY;
    } catch (const std::length_error&) {
        forget();
        return GV_ERROR_MEMORY;
    }
    source_ = std::move(source);
    return GV_OK;
}

int Reader::close() noexcept {
    if (!isOpen()) return GV_ERROR_NOT_OPEN;
    forget();
    lastError_ = GV_OK;
    return GV_OK;
}

const GvTableId* Reader::tables() noexcept {
    if (!isOpen()) {
        lastError_ = GV_ERROR_NOT_OPEN;
        return nullptr;
    }
    lastError_ = GV_OK;
    return identifiers_.empty() ? kNoTables : identifiers_.data();
}

int Reader::tableCount() const noexcept {
    return isOpen() ? static_cast<int>(identifiers_.size()) : 0;
}

const char* Reader::tableTitle(GvTableId table) const noexcept {
    if (!isOpen() || table < kFirstTableId || table - kFirstTableId >= identifiers_.size()) {
        return nullptr;
    }
    return index_.tables()[table - kFirstTableId].title.c_str();
}

const char* const* Reader::records(GvTableId table) noexcept {
    records_.release();
    if (!isOpen()) {
        lastError_ = GV_ERROR_NOT_OPEN;
        return nullptr;
    }
    if (table < kFirstTableId || table - kFirstTableId >= identifiers_.size()) {
        lastError_ = GV_ERROR_RANGE;
        return nullptr;
    }
    lastError_ = records_.load(*source_, index_.tables()[table - kFirstTableId]);
    return lastError_ == GV_OK ? records_.records() : nullptr;
}

const char* Reader::record(int index) const noexcept {
    if (index < 0 || index >= records_.count()) return nullptr;
    return records_.records()[index];
}

int Reader::heldBytes() const noexcept {
    const std::uint64_t bytes = records_.heldBytes();
    return bytes > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(bytes);
}

}  // namespace gvread
