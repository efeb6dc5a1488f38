#pragma once
// The writer of the output price table: opens the copied template, appends and posts one
// price record at a time (there is no transaction; every record is in the file once posted),
// and closes the table. The converter owns one for its conversions.
#include <cstddef>
#include <string>

#include "dbf/Wdbffile.h"
#include "engine/PriceRecord.h"

namespace engine {

class PriceTableWriter {
public:
    explicit PriceTableWriter(WDbfFile& dbf) : FDbf(dbf) {}
    ~PriceTableWriter();
    PriceTableWriter(const PriceTableWriter&) = delete;
    PriceTableWriter& operator=(const PriceTableWriter&) = delete;

    // Opens the table at path without index handling; the table helper shows its failure.
    bool Open(const std::string& path);
    // Closes the table; a closed one is left alone.
    void Close();

    // Appends the record and posts it, each field given its text. Any failure (a missing
    // field, a value the field rejects, a disk error, no open table) is thrown on, with the
    // half-built record dropped.
    void Write(const PriceRecord& record);

private:
    // The positions of the nine fields in the open table, found by name once per table.
    enum FieldSlot { kTip, kSbor, kTabl, kPoz, kKei, kPrice1, kPrice2, kBlank1, kBlank2, kFieldSlots };
    void FindFields();

    WDbfFile& FDbf;
    TableSlot FPriceTable;
    std::size_t FField[kFieldSlots] = {};
    bool FFieldsFound = false;
};

}  // namespace engine
