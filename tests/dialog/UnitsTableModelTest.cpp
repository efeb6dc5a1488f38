#include <gtest/gtest.h>

#include <QString>

#include <string>
#include <vector>

#include "dbf/Table.h"
#include "dbf/Wdbffile.h"
#include "dialog/UnitsList.h"
#include "dialog/UnitsTableModel.h"
#include "tests/dialog/UnitsTableFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using dialog::UnitsList;
using testing_support::RecordingDesktop;
using testing_support::TempFolder;

namespace {

// A units table opened the way the dialog opens it, with its tag.
struct OpenUnits {
    TempFolder folder;
    RecordingDesktop desktop;
    TableSlot slot;

    explicit OpenUnits(const std::vector<testing_support::UnitRow>& rows) {
        const std::string path = folder.file("Ei1.dbf");
        testing_support::writeUnitsTable(path, rows);
        WDbfFile dbf;
        opened = dbf.OpenIndexedTable(slot, path, true, true, UnitsList::kIndexes, "ED_IZ_IND");
    }
    ~OpenUnits() { WDbfFile().CloseTable(slot); }
    bool opened = false;
};

std::string nameAt(const UnitsTableModel& model, int row) {
    return model.data(model.index(row, 0)).toString().toStdString();
}

}  // namespace

TEST(UnitsTableModel, RowsFollowTheIndexAndShowTheNamesConverted) {
    OpenUnits units(testing_support::sampleUnits());
    ASSERT_TRUE(units.opened) << units.desktop.lastTextUtf8();
    UnitsList list(*units.slot);
    UnitsTableModel model(list, QStringLiteral("Название Единицы измерения"));
    ASSERT_EQ(model.rowCount(), 7);
    EXPECT_EQ(model.columnCount(), 1);
    std::vector<std::string> names;
    for (int row = 0; row < model.rowCount(); ++row) names.push_back(nameAt(model, row));
    EXPECT_EQ(names, testing_support::sampleUnitsInIndexOrder());
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("Название Единицы измерения"));
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::EditRole).isValid());
    EXPECT_FALSE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_EQ(list.CurrentRow(), 0) << "the table stands on its first record";
}

TEST(UnitsTableModel, DrawingDoesNotMoveTheCurrentRecord) {
    OpenUnits units(testing_support::sampleUnits());
    ASSERT_TRUE(units.opened);
    UnitsList list(*units.slot);
    UnitsTableModel model(list, QString());
    list.MoveToRow(4);
    const std::string code = units.slot->fieldText("KEI");
    for (int row = 0; row < model.rowCount(); ++row) nameAt(model, row);
    EXPECT_EQ(list.CurrentRow(), 4);
    EXPECT_EQ(units.slot->fieldText("KEI"), code);
    EXPECT_EQ(nameAt(model, list.CurrentRow()), "м3");
    EXPECT_EQ(code, "4");
}

TEST(UnitsTableModel, EmptyTableHasNoRows) {
    OpenUnits units({});
    ASSERT_TRUE(units.opened);
    UnitsList list(*units.slot);
    UnitsTableModel model(list, QString());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.data(model.index(0, 0)).isValid());
}
