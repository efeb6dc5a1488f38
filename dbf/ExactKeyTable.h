#pragma once
// A hash table of one tag's keys for exact key seeks: each key the tag holds for a record that
// is not deleted leads to the first such record in tag order, the record an exact seek down
// the tag's tree stands on. It holds record numbers with part of their key's hash; a key whose
// hash agrees is compared with the key of the record in memory. Built from a walk of the tag
// once the table has been sought often, kept up to date by posts, and used only while nothing
// else has changed the index and every record is in memory, so it answers exactly as the tree
// would. OpenTable keeps one for the selected tag.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dbf/ProductionIndex.h"
#include "dbf/RecordFile.h"

namespace dbf {

class ExactKeyTable {
public:
    // Forgets everything (another tag selected).
    void clear();

    // True when find() may answer for the tag now: built for the index as it is, or built
    // here because seeks down the tree have been many since the last change. A tag that cannot
    // be trusted for it (entries out of order, a record outside the table, an entry whose
    // record has another key) is left to the tree, which reports the damage where it meets it.
    bool ready(ProductionIndex& index, std::size_t tag, RecordFile& records);
    // Counts a seek made down the tree.
    void soughtInTree() { ++treeSeeks_; }

    // The record an exact seek of `key` stands on, 0 for none. Only after ready().
    std::uint32_t find(const ProductionIndex& index, const std::string& key, const RecordFile& records);

    // After a post added `key` for `record` to the tag (after the entries of an equal key, as
    // insertKey places it) and nothing else changed the index since `generationBefore`; a
    // tag that skipped the key (unique) passes `added` false.
    void posted(const ProductionIndex& index, std::uint64_t generationBefore, const std::string& key, bool added,
                std::uint32_t record, const RecordFile& records);

private:
    bool build(ProductionIndex& index, std::size_t tag, RecordFile& records);
    bool recordHasKey(const ProductionIndex::Tag& tag, const RecordFile& records, std::uint32_t record,
                      const std::string& key);
    // Adds the record unless its key is there already (the first in tag order stays).
    void insertFirst(const ProductionIndex::Tag& tag, const std::string& key, std::uint32_t record,
                     const RecordFile& records);
    static std::uint64_t hashOf(const std::string& key);

    std::size_t tag_ = 0;
    // The hash's high half above the record number (0 = empty); a power of two of them.
    std::vector<std::uint64_t> slots_;
    std::size_t used_ = 0;
    bool built_ = false;
    std::uint64_t generation_ = 0;  // of the index the table describes
    std::uint64_t countedGeneration_ = 0;
    std::uint64_t treeSeeks_ = 0;   // since the index last changed
    std::string recordKey_;
};

}  // namespace dbf
