#include "dialog/UnitsTableModel.h"

#include "dbf/Table.h"
#include "text/CodePages.h"
#include "text/Wastring.h"

UnitsTableModel::UnitsTableModel(dbf::Table& table, const QString& columnTitle, QObject* parent)
    : QAbstractTableModel(parent), table_(table), title_(columnTitle) {
    // Read once: the dialog never changes the table, and drawing a cell must not move the
    // current record, which is the user's choice.
    for (table_.first(); !table_.eof(); table_.next()) {
        const std::uint32_t record = table_.recordNumber();
        const std::string name = text::oemToAnsi(table_.fieldText(kNameField));
        rowOfRecord_.emplace(record, static_cast<int>(rows_.size()));
        rows_.push_back({record, QString::fromStdString(text::cp1251ToUtf8(name))});
    }
    table_.first();
}

int UnitsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int UnitsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant UnitsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() != 0 || index.row() < 0 ||
        index.row() >= static_cast<int>(rows_.size())) {
        return QVariant();
    }
    if (role == Qt::DisplayRole) return rows_[static_cast<std::size_t>(index.row())].name;
    return QVariant();
}

QVariant UnitsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QVariant();
    if (orientation == Qt::Horizontal) return section == 0 ? QVariant(title_) : QVariant();
    return QVariant();
}

Qt::ItemFlags UnitsTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;  // read-only
}

int UnitsTableModel::currentRow() const {
    if (table_.eof()) return -1;
    const auto found = rowOfRecord_.find(table_.recordNumber());
    return found == rowOfRecord_.end() ? -1 : found->second;
}

void UnitsTableModel::moveToRow(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    if (currentRow() == row) return;
    table_.gotoRecord(rows_[static_cast<std::size_t>(row)].recordNumber);
}

int UnitsTableModel::seekNearest(const std::string& searchText) {
    table_.selectTag(kNameTag);
    table_.setKey();
    table_.setFieldText(kNameField, text::ansiToOem(text::trimmed(searchText)));
    table_.gotoNearest();
    if (table_.eof() && !rows_.empty()) table_.gotoRecord(rows_.back().recordNumber);
    return currentRow();
}
