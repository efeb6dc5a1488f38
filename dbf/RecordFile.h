#pragma once
// The open table file (.dbf) of a Table: its header and field lookup, reading records (held in
// memory for small tables, read ahead for physical scans) and the three writes of an append
// (the record, its removal after a failure, the header count). Table puts the production
// index's upkeep between them. Every failure raises EngineError naming the file.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "dbf/DbfHeader.h"
#include "platform/FileHandle.h"

namespace dbf {

class RecordFile {
public:
    // Opens the table file (read-write when allowed, else read-only) and reads its header.
    RecordFile(const std::string& path, bool exclusive);

    const std::string& path() const { return path_; }
    bool writable() const { return writable_; }
    const TableHeader& header() const { return header_; }

    bool hasField(const std::string& name) const;
    std::size_t fieldIndex(const std::string& name) const;  // raises for an unknown name

    // Reads a record into `into`; `sequential` reads ahead for physical scans.
    void load(std::uint32_t number, bool sequential, std::string& into);
    // True when every record is held in memory; then inMemory() gives any record's bytes
    // (1-based number, valid until the next post).
    bool allInMemory() const { return imageRecords_ == header_.recordCount; }
    const char* inMemory(std::uint32_t number) const {
        return image_.data() + static_cast<std::size_t>(number - 1) * header_.recordLength;
    }
    // Records not marked deleted (counted once, then kept up to date by appends).
    std::uint32_t liveCount();

    // --- the writes of an append, in this order ---
    // The record and the end marker after the counted records; on failure nothing stays.
    void writeUncounted(const std::string& record, bool sync);
    // Cuts what was written after the counted records and puts the end marker back.
    void dropUncounted();
    // Counts the record written last (and dates the header on the first append of an open).
    void commitCount(bool sync);
    // Keeps the newest record in memory, when the records up to it are there already.
    void keepInMemory(const std::string& record);

    // Sets header byte 28: the production index belongs to this table.
    void markProductionIndex();
    // Sets byte 31 of a field's descriptor, as dBASE does for a field that is a tag by itself.
    void markIndexedField(std::size_t field);
    bool sync();

private:
    void readImage();

    std::string path_;
    std::optional<platform::FileHandle> file_;
    bool writable_ = false;
    TableHeader header_;
    std::unordered_map<std::string, std::size_t> fieldByName_;  // upper-case names
    // Fields are mostly named one after another in the same order (a record being filled), so
    // the field after the one named last is tried first. It is taken only under a name that
    // the map gives it as well (fieldByName_[upper-case stored name] is the field itself).
    std::vector<char> ownName_;
    mutable std::size_t nextField_ = 0;
    bool dateStamped_ = false;
    std::optional<std::uint32_t> liveCount_;

    std::string chunk_;
    std::uint32_t chunkFirst_ = 0;
    std::uint32_t chunkRecords_ = 0;
    std::string image_;  // records 1..imageRecords_ end to end
    std::uint32_t imageRecords_ = 0;
    std::string postBuffer_;
};

inline bool isDeletedRecord(const std::string& record) { return !record.empty() && record[0] == '*'; }

}  // namespace dbf
