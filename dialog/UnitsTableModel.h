#pragma once
// The correspondence dialog's units list as a one-column Qt model for its grid: each row's
// unit name from dialog::UnitsList, under the column title. The list keeps the chosen row; the
// model only shows it and is read-only.
#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace dialog {
class UnitsList;
}

class UnitsTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    UnitsTableModel(const dialog::UnitsList& units, const QString& columnTitle,
                    QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QString title_;
    std::vector<QString> names_;  // converted once for drawing
};
