#pragma once
// The units-of-measure table as a one-column list for the correspondence dialog's grid: the
// names of field "ED_IZ" in the order of the selected index tag, converted from the table's
// OEM code page for display. The table's current record is the answer the dialog gives, so the
// model moves it (moveToRow, seekNearest) and reports it (currentRow); drawing never moves it.
// The model knows nothing of widgets.
#include <QAbstractTableModel>
#include <QString>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace dbf {
class Table;
}

class UnitsTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // Reads the rows of the open table in the order of its selected tag and leaves the table on
    // its first record.
    UnitsTableModel(dbf::Table& table, const QString& columnTitle, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The row of the table's current record; -1 when the table stands on no record.
    int currentRow() const;
    // Makes the record of a row the table's current record.
    void moveToRow(int row);
    // Nearest seek in the tag "ED_IZ_IND": the first name, in index order, not less than the
    // trimmed search text (Windows-1251, compared in the table's OEM code page). Past the last
    // name the table stands on the last record, so that a row is always highlighted. Returns the
    // row of the record found (-1 for an empty table).
    int seekNearest(const std::string& searchText);

    static constexpr const char* kNameField = "ED_IZ";
    static constexpr const char* kCodeField = "KEI";
    static constexpr const char* kNameTag = "ED_IZ_IND";

private:
    struct Row {
        std::uint32_t recordNumber;
        QString name;
    };

    dbf::Table& table_;
    QString title_;
    std::vector<Row> rows_;
    std::unordered_map<std::uint32_t, int> rowOfRecord_;
};
