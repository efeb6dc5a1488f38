#include "dbf/TagCursor.h"

#include <cstring>

#include "dbf/TagKey.h"

namespace dbf {
namespace {

// The first item of a node whose key is not less than `key` in the tag's order.
std::size_t firstNotLess(const ProductionIndex::Node& n, std::size_t keyLength, const char* key,
                         const ProductionIndex::Tag& tag) {
    std::size_t lo = 0, hi = n.count();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (compareKeys(tag, n.keys.data() + mid * keyLength, key) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// The same for keys in byte order (all but numeric ones), compared in place: seeks spend
// most of their time here.
std::size_t firstNotLess(const ProductionIndex::Node& n, std::size_t keyLength, const char* key,
                         bool descending) {
    const char* keys = n.keys.data();
    std::size_t lo = 0, hi = n.count();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const int order = std::memcmp(keys + mid * keyLength, key, keyLength);
        if (descending ? order > 0 : order < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

}  // namespace

const ProductionIndex::Node& TagCursor::leaf() const {
    const ProductionIndex::Node& n = index_->node(tag(), path_.back().first);
    if (path_.back().second >= n.count()) index_->damaged("неверная позиция в теге.");
    return n;
}

void TagCursor::descendLeftmost(std::uint32_t page) {
    for (int depth = 0;; ++depth) {
        if (path_.size() > static_cast<std::size_t>(kMaxTagDepth) || depth > kMaxTagDepth)
            index_->damaged("цикл в дереве тега.");
        const ProductionIndex::Node& n = index_->node(tag(), page);
        path_.emplace_back(page, 0);
        if (n.leaf()) return;
        page = n.count() > 0 ? n.pointers[0] : n.trailing;
    }
}

// Moves a cursor that stands past the end of its leaf to the next existing item.
void TagCursor::settle() {
    generation_ = index_->generation();
    while (!path_.empty()) {
        const auto [page, item] = path_.back();
        const ProductionIndex::Node& n = index_->node(tag(), page);
        if (n.leaf()) {
            if (item < n.count()) {
                valid_ = true;
                return;
            }
            path_.pop_back();
            continue;
        }
        if (item + 1 > n.count()) {  // the trailing child was the last one
            path_.pop_back();
            continue;
        }
        path_.back().second = item + 1;
        const std::uint32_t child = item + 1 < n.count() ? n.pointers[item + 1] : n.trailing;
        descendLeftmost(child);
    }
    valid_ = false;
}

void TagCursor::seekToFirst() {
    index_->trimCache();
    path_.clear();
    valid_ = false;
    descendLeftmost(tag().root);
    settle();
}

void TagCursor::seek(const std::string& key) {
    index_->trimCache();
    path_.clear();
    valid_ = false;
    const ProductionIndex::Tag& t = tag();
    const auto keyLength = static_cast<std::size_t>(t.keyLength);
    std::string copy;
    if (key.size() != keyLength) {
        copy = key;
        copy.resize(keyLength, ' ');
    }
    const std::string& padded = key.size() == keyLength ? key : copy;
    const bool byteOrder = t.keyType != 'N' && t.keyType != 'F';  // as compareKeys orders them
    std::uint32_t page = t.root;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxTagDepth) index_->damaged("цикл в дереве тега.");
        const ProductionIndex::Node& n = index_->node(t, page);
        // First item whose key is not less: binary search over the fixed-width keys.
        const std::size_t lo = byteOrder ? firstNotLess(n, keyLength, padded.data(), t.descending)
                                         : firstNotLess(n, keyLength, padded.data(), t);
        path_.emplace_back(page, lo);
        if (n.leaf()) break;
        page = lo < n.count() ? n.pointers[lo] : n.trailing;
    }
    settle();
}

void TagCursor::next() {
    if (!valid_ || path_.empty()) {
        valid_ = false;
        return;
    }
    index_->trimCache();
    path_.back().second += 1;
    settle();
}

std::uint32_t TagCursor::record() const { return leaf().pointers[path_.back().second]; }

void TagCursor::keyInto(std::string& key) const {
    const auto keyLength = static_cast<std::size_t>(tag().keyLength);
    key.assign(leaf().keys, path_.back().second * keyLength, keyLength);
}

const char* TagCursor::keyData() const {
    return leaf().keys.data() + path_.back().second * static_cast<std::size_t>(tag().keyLength);
}

std::string TagCursor::key() const {
    std::string k;
    keyInto(k);
    return k;
}

bool TagCursor::standsOn(std::uint32_t recordNumber) const {
    return valid_ && generation_ == index_->generation() && record() == recordNumber;
}

}  // namespace dbf
