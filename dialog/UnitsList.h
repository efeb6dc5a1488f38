#pragma once
// The units-of-measure table as the correspondence dialog's list: the unit names (field "ED_IZ",
// shown in Windows-1251) in the order of the tag "ED_IZ_IND", and the row the user has chosen,
// which is always the table's current record. No window: the Qt grid and a Win32 virtual list
// both draw rows by index from it.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "dbf/Wdbffile.h"

namespace dbf {
class Table;
}

namespace dialog {

class UnitsList {
public:
    // Reads the rows of the open table in the order of its selected tag and leaves the table on
    // its first record.
    explicit UnitsList(dbf::Table& table);

    int RowCount() const { return static_cast<int>(rows_.size()); }
    // The unit name of a row, Windows-1251; empty outside the list.
    std::string RowText(int row) const;

    // The row of the table's current record; -1 when the table stands on no record.
    int CurrentRow() const;
    // Makes the record of a row the table's current record; rows outside the list change nothing.
    void MoveToRow(int row);
    // Nearest seek in the tag "ED_IZ_IND": the first name, in index order, not less than the
    // trimmed search text (Windows-1251, compared in the table's OEM code page). Past the last
    // name the table stands on the last record, so that a row is always highlighted. Returns the
    // row of the record found (-1 for an empty table).
    int SeekNearest(const std::string& searchText);
    // The unit code (field "KEI") of the current record; empty when it stands on none.
    std::string CurrentCode() const;

    static constexpr const char* kNameField = "ED_IZ";
    static constexpr const char* kCodeField = "KEI";
    static constexpr const char* kNameTag = "ED_IZ_IND";
    // The tag the list needs, as the table helper's index list.
    static const SIndexDesc kIndexes[];

private:
    struct Row {
        std::uint32_t recordNumber;
        std::string name;
    };

    dbf::Table& table_;
    std::vector<Row> rows_;
    std::unordered_map<std::uint32_t, int> rowOfRecord_;
};

}  // namespace dialog
