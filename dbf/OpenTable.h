#pragma once
// Everything a Table holds while it is open, so that closing is dropping one object: the
// record file, the production index with the cursors of the selected tag, the current record
// and the buffers of appends and key searches; and what it does with them (ordered walks,
// key seeks, posts with every tag's upkeep, new tags). Table is its only user.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dbf/EngineMessages.h"
#include "dbf/ExactKeyTable.h"
#include "dbf/ProductionIndex.h"
#include "dbf/RecordFile.h"
#include "dbf/TagCursor.h"

namespace dbf {

enum class Mode { Browse, Append, SetKey };

struct OpenTable {
    OpenTable(const std::string& path, bool exclusive) : records(path, exclusive) {}

    RecordFile records;
    std::unique_ptr<ProductionIndex> index;
    bool indexDamaged = false;
    std::optional<TagCursor> order;  // the selected tag, empty for physical order
    std::optional<TagCursor> probe;  // key searches in the selected tag
    ExactKeyTable exactKeys;         // exact key searches in the selected tag, once they are many

    Mode mode = Mode::Browse;
    std::uint32_t current = 0;  // 0 = end of table
    std::string record;         // bytes of the current record
    std::string edit;           // the appended record
    std::string keyBuffer;      // the record that holds the search key
    std::string spare;          // gotoRecord reads into it, then swaps it with the current record
    // Buffers of key searches, kept so repeated seeks allocate nothing.
    std::string seekKey, recordKey, seekRecord;
    std::vector<std::string> postKeys;
    std::vector<char> skipKey;

    const std::string& path() const { return records.path(); }
    const TableHeader& header() const { return records.header(); }

    void select(std::size_t tag);

    void requireIndexUsable() const;

    [[noreturn]] void indexMismatch() const {
        raise("Индекс не соответствует таблице: ключи тега не совпадают с записями.",
              index ? index->path() : path());
    }

    void openIndex(bool exclusive);

    // A tag that does not hold exactly the keys of the records would give wrong seeks: refuse
    // the index so the caller's repair rebuilds it. Only a tag whose key is plain field
    // concatenation proves that, though: where we evaluate an expression, a difference may be
    // ours, so that tag is kept as it is and only refused for seeks and posts.
    void verifyTag(ProductionIndex::Tag& tag, std::size_t t);

    // Keeps a tag as it is, neither sought nor written.
    static void refuseTag(ProductionIndex::Tag& tag, const char* why);

    // --- positioning ---
    void scanPhysical(std::uint32_t from);

    // From the order cursor on, the first entry whose record is not deleted.
    void settleOnTag();

    // Puts the order cursor on the current record (in a unique tag that does not hold it, on
    // the entry of its key).
    void locate();

    void first();

    void next();

    bool seek(bool exact);

    // Writes the record, then every tag's key, then the count: a failure leaves the record
    // out of the table.
    void post(bool sync);

    void addTag(const std::string& name, const std::string& expression, bool sync);
};

}  // namespace dbf
