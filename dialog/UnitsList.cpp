#include "dialog/UnitsList.h"

#include "dbf/Table.h"
#include "text/CodePages.h"
#include "text/Wastring.h"

namespace dialog {

const SIndexDesc UnitsList::kIndexes[] = {
    {"ED_IZ_IND", "ED_IZ", "ED_IZ"},
    {"NULL", "NULL", "NULL"},
};

UnitsList::UnitsList(dbf::Table& table) : table_(table) {
    // Read once: the dialog never changes the table, and drawing a row must not move the
    // current record, which is the user's choice.
    for (table_.first(); !table_.eof(); table_.next()) {
        const std::uint32_t record = table_.recordNumber();
        rowOfRecord_.emplace(record, static_cast<int>(rows_.size()));
        rows_.push_back({record, text::oemToAnsi(table_.fieldText(kNameField))});
    }
    table_.first();
}

std::string UnitsList::RowText(int row) const {
    if (row < 0 || row >= RowCount()) return std::string();
    return rows_[static_cast<std::size_t>(row)].name;
}

int UnitsList::CurrentRow() const {
    if (!table_.active() || table_.eof()) return -1;
    const auto found = rowOfRecord_.find(table_.recordNumber());
    return found == rowOfRecord_.end() ? -1 : found->second;
}

void UnitsList::MoveToRow(int row) {
    if (row < 0 || row >= RowCount()) return;
    if (CurrentRow() == row) return;
    table_.gotoRecord(rows_[static_cast<std::size_t>(row)].recordNumber);
}

int UnitsList::SeekNearest(const std::string& searchText) {
    table_.selectTag(kNameTag);
    table_.setKey();
    table_.setFieldText(kNameField, text::ansiToOem(text::trimmed(searchText)));
    table_.gotoNearest();
    if (table_.eof() && !rows_.empty()) table_.gotoRecord(rows_.back().recordNumber);
    return CurrentRow();
}

std::string UnitsList::CurrentCode() const {
    if (!table_.active() || table_.eof()) return std::string();
    return table_.fieldText(kCodeField);
}

}  // namespace dialog
