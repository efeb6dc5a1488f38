#pragma once
// A position in one tag of a production index, walked like an iterator: seekToFirst() or
// seek(key), then next() while valid(); key() and record() read the entry it stands on.
// Table keeps one for the order in use and one for key searches. A cursor remembers the
// index's change count, so after a post it knows its path may no longer hold.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "dbf/ProductionIndex.h"

namespace dbf {

class TagCursor {
public:
    TagCursor(ProductionIndex& index, std::size_t tag) : index_(&index), tag_(tag) {}

    const ProductionIndex::Tag& tag() const { return index_->tag(tag_); }
    std::size_t tagNumber() const { return tag_; }

    bool valid() const { return valid_; }
    void seekToFirst();
    void seek(const std::string& key);  // the first key not less than `key`
    void next();

    std::string key() const;
    void keyInto(std::string& key) const;  // the same, reusing the string's memory
    // The same in place: the tag's key length of bytes in the cached node, valid until the
    // index changes or its cache is trimmed (the next move of any cursor).
    const char* keyData() const;
    std::uint32_t record() const;

    // True when the cursor is valid on `record` and no tag has changed since it moved there.
    bool standsOn(std::uint32_t record) const;

private:
    const ProductionIndex::Node& leaf() const;
    void descendLeftmost(std::uint32_t page);
    void settle();

    ProductionIndex* index_;
    std::size_t tag_;
    std::vector<std::pair<std::uint32_t, std::size_t>> path_;  // (page, item) from the root
    bool valid_ = false;
    std::uint64_t generation_ = 0;
};

}  // namespace dbf
