#include "dbf/ExactKeyTable.h"

#include <algorithm>
#include <cstring>

#include "dbf/TagCursor.h"
#include "dbf/TagKey.h"

namespace dbf {
namespace {

// Tree seeks after which a table is built: the build reads every entry once, about what a
// sixteenth of them in seeks costs, so it pays for itself and never costs much more than the
// seeks made without it.
constexpr std::uint64_t kMinTreeSeeks = 64;
constexpr std::uint64_t kRecordsPerTreeSeek = 16;

}  // namespace

void ExactKeyTable::clear() {
    slots_.clear();
    used_ = 0;
    built_ = false;
    treeSeeks_ = 0;
}

bool ExactKeyTable::ready(ProductionIndex& index, std::size_t tag, RecordFile& records) {
    if (built_ && generation_ == index.generation() && tag_ == tag && records.allInMemory()) return true;
    built_ = false;
    if (countedGeneration_ != index.generation() || tag_ != tag) {
        countedGeneration_ = index.generation();
        tag_ = tag;
        treeSeeks_ = 0;
    }
    if (treeSeeks_ < std::max<std::uint64_t>(kMinTreeSeeks, records.header().recordCount / kRecordsPerTreeSeek))
        return false;
    treeSeeks_ = 0;  // a tag refused for a table waits as long again before the next try
    return build(index, tag, records);
}

// A multiply-and-shift hash of the key's eight-byte words: keys are long and differ in a few
// bytes (a number inside a name), and this costs a quarter of the library's byte hash.
std::uint64_t ExactKeyTable::hashOf(const std::string& key) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t hash = key.size() * kMultiplier;
    std::size_t at = 0;
    for (; at + 8 <= key.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, key.data() + at, 8);
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 29;
    }
    if (at < key.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, key.data() + at, key.size() - at);
        hash = (hash ^ word) * kMultiplier;
    }
    // Both halves are used (slot and check), so every input bit must reach both.
    hash ^= hash >> 32;
    hash *= 0xD6E8FEB86659FD93ull;
    hash ^= hash >> 32;
    return hash;
}

bool ExactKeyTable::recordHasKey(const ProductionIndex::Tag& tag, const RecordFile& records, std::uint32_t record,
                                 const std::string& key) {
    const char* bytes = records.inMemory(record);
    const TableHeader& header = records.header();
    if (tag.plain) {  // the fields compared where they stand
        std::size_t at = 0;
        for (int field : tag.plain->fields) {
            const auto i = static_cast<std::size_t>(field);
            const auto width = static_cast<std::size_t>(header.fields[i].width);
            if (key.compare(at, width, bytes + header.offsets[i], width) != 0) return false;
            at += width;
        }
        return at == key.size();
    }
    makeTagKey(tag, header, bytes, recordKey_);
    return recordKey_ == key;
}

std::uint32_t ExactKeyTable::find(const ProductionIndex& index, const std::string& key, const RecordFile& records) {
    const ProductionIndex::Tag& tag = index.tag(tag_);
    const std::uint64_t hash = hashOf(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint64_t entry = slots_[slot];
        if (entry == 0) return 0;
        const auto record = static_cast<std::uint32_t>(entry);
        if ((entry >> 32) == (hash >> 32) && recordHasKey(tag, records, record, key)) return record;
    }
}

void ExactKeyTable::insertFirst(const ProductionIndex::Tag& tag, const std::string& key, std::uint32_t record,
                                const RecordFile& records) {
    const std::uint64_t hash = hashOf(key);
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hash & mask;
    for (; slots_[slot] != 0; slot = (slot + 1) & mask)
        if ((slots_[slot] >> 32) == (hash >> 32) && recordHasKey(tag, records, static_cast<std::uint32_t>(slots_[slot]), key))
            return;
    slots_[slot] = (hash >> 32 << 32) | record;
    ++used_;
}

bool ExactKeyTable::build(ProductionIndex& index, std::size_t tag, RecordFile& records) {
    slots_.clear();
    used_ = 0;
    const ProductionIndex::Tag& t = index.tag(tag);
    // Numeric keys that compare equal may differ in their bytes; those tags keep the tree.
    if (!t.seekable() || t.keyType == 'N' || t.keyType == 'F' || !records.allInMemory()) return false;
    const std::uint32_t count = records.header().recordCount;
    std::size_t size = 16;
    while (size < 2 * (static_cast<std::size_t>(count) + 1024)) size *= 2;  // room for posts to come
    slots_.assign(size, 0);
    const auto keyLength = static_cast<std::size_t>(t.keyLength);
    std::string previous, key;
    TagCursor cursor(index, tag);
    for (cursor.seekToFirst(); cursor.valid(); cursor.next()) {
        key.assign(cursor.keyData(), keyLength);
        if (!previous.empty() && compareKeys(t, previous.data(), key.data()) > 0) break;
        const std::uint32_t record = cursor.record();
        if (record < 1 || record > count) break;
        previous.swap(key);
        if (records.inMemory(record)[0] == '*') continue;  // deleted: a seek passes over it
        if (!recordHasKey(t, records, record, previous)) break;
        insertFirst(t, previous, record, records);
    }
    if (cursor.valid()) {  // left early: the tag is not what the tree seek relies on
        slots_.clear();
        used_ = 0;
        return false;
    }
    built_ = true;
    generation_ = index.generation();
    // The walk decoded every node of the tag; seeks no longer need them, and the few that
    // posts and walks need are read again.
    index.dropCache();
    return true;
}

void ExactKeyTable::posted(const ProductionIndex& index, std::uint64_t generationBefore, const std::string& key,
                           bool added, std::uint32_t record, const RecordFile& records) {
    if (!built_) return;
    if (generation_ != generationBefore || !records.allInMemory() || 2 * (used_ + 1) > slots_.size()) {
        built_ = false;
        return;
    }
    if (added) insertFirst(index.tag(tag_), key, record, records);
    generation_ = index.generation();
}

}  // namespace dbf
