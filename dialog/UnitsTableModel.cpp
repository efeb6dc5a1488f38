#include "dialog/UnitsTableModel.h"

#include "dialog/UnitsList.h"
#include "text/CodePages.h"

UnitsTableModel::UnitsTableModel(const dialog::UnitsList& units, const QString& columnTitle,
                                 QObject* parent)
    : QAbstractTableModel(parent), title_(columnTitle) {
    names_.reserve(static_cast<std::size_t>(units.RowCount()));
    for (int row = 0; row < units.RowCount(); ++row) {
        names_.push_back(QString::fromStdString(text::cp1251ToUtf8(units.RowText(row))));
    }
}

int UnitsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(names_.size());
}

int UnitsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant UnitsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() != 0 || index.row() < 0 ||
        index.row() >= static_cast<int>(names_.size())) {
        return QVariant();
    }
    if (role == Qt::DisplayRole) return names_[static_cast<std::size_t>(index.row())];
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
