#include <gtest/gtest.h>

#include <QString>

#include <string>
#include <vector>

#include "dbf/Wdbffile.h"
#include "dialog/Selectperehod.h"
#include "dialog/UnitsTableModel.h"
#include "tests/dialog/UnitsTableFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using testing_support::RecordingDesktop;
using testing_support::TempFolder;

namespace {

// A units table opened the way the dialog opens it, with its tag.
struct OpenUnits {
    TempFolder folder;
    RecordingDesktop desktop;
    TableSlot slot;

    OpenUnits() {
        const std::string path = folder.file("Ei1.dbf");
        testing_support::writeUnitsTable(path, testing_support::sampleUnits());
        WDbfFile dbf;
        opened = dbf.OpenIndexedTable(slot, path, true, true, TSelectPerehodForm::kUnitsIndexes,
                                      "ED_IZ_IND");
    }
    ~OpenUnits() { WDbfFile().CloseTable(slot); }
    bool opened = false;
};

std::string nameAt(const UnitsTableModel& model, int row) {
    return model.data(model.index(row, 0)).toString().toStdString();
}

std::string currentName(const UnitsTableModel& model) { return nameAt(model, model.currentRow()); }

}  // namespace

TEST(UnitsTableModel, RowsFollowTheIndexAndShowTheNamesConverted) {
    OpenUnits units;
    ASSERT_TRUE(units.opened) << units.desktop.lastTextUtf8();
    UnitsTableModel model(*units.slot, QStringLiteral("Название Единицы измерения"));
    ASSERT_EQ(model.rowCount(), 7);
    EXPECT_EQ(model.columnCount(), 1);
    std::vector<std::string> names;
    for (int row = 0; row < model.rowCount(); ++row) names.push_back(nameAt(model, row));
    EXPECT_EQ(names, testing_support::sampleUnitsInIndexOrder());
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("Название Единицы измерения"));
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::EditRole).isValid());
    EXPECT_FALSE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_EQ(model.currentRow(), 0) << "the table stands on its first record";
}

TEST(UnitsTableModel, DrawingDoesNotMoveTheCurrentRecord) {
    OpenUnits units;
    ASSERT_TRUE(units.opened);
    UnitsTableModel model(*units.slot, QString());
    model.moveToRow(4);
    const std::string code = units.slot->fieldText("KEI");
    for (int row = 0; row < model.rowCount(); ++row) nameAt(model, row);
    EXPECT_EQ(model.currentRow(), 4);
    EXPECT_EQ(units.slot->fieldText("KEI"), code);
    EXPECT_EQ(currentName(model), "м3");
    EXPECT_EQ(code, "4");
}

TEST(UnitsTableModel, MoveToRowMakesItsRecordCurrent) {
    OpenUnits units;
    ASSERT_TRUE(units.opened);
    UnitsTableModel model(*units.slot, QString());
    const char* codesInIndexOrder[] = {"7", "3", "2", "5", "4", "6", "1"};
    for (int row = 0; row < 7; ++row) {
        model.moveToRow(row);
        EXPECT_EQ(model.currentRow(), row);
        EXPECT_EQ(units.slot->fieldText("KEI"), codesInIndexOrder[row]);
    }
    model.moveToRow(7);  // outside: nothing moves
    model.moveToRow(-1);
    EXPECT_EQ(model.currentRow(), 6);
}

TEST(UnitsTableModel, NearestSeek) {
    OpenUnits units;
    ASSERT_TRUE(units.opened);
    UnitsTableModel model(*units.slot, QString());
    struct Case {
        const char* search;
        const char* found;
    } cases[] = {
        {"м2", "м2"}, {"м", "м"},    {"м1", "м2"}, {"к", "кг"},  {"кг", "кг"},
        {"", "100 м"}, {"1", "100 м"}, {"н", "т"},   {"щ", "шт"},
        {"  м3  ", "м3"},  // the search text is trimmed
        {"я", "шт"},       // past the last name: the last record, still highlighted
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.search);
        const int row = model.seekNearest(text::utf8ToCp1251(c.search));
        EXPECT_EQ(row, model.currentRow());
        EXPECT_EQ(currentName(model), c.found);
        EXPECT_FALSE(units.slot->eof());
    }
}

TEST(UnitsTableModel, EmptyTableHasNoRows) {
    TempFolder folder;
    RecordingDesktop desktop;
    const std::string path = folder.file("Ei1.dbf");
    testing_support::writeUnitsTable(path, {});
    TableSlot slot;
    ASSERT_TRUE(WDbfFile().OpenIndexedTable(slot, path, true, true,
                                            TSelectPerehodForm::kUnitsIndexes, "ED_IZ_IND"));
    UnitsTableModel model(*slot, QString());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.currentRow(), -1);
    EXPECT_EQ(model.seekNearest("м"_w), -1);
    WDbfFile().CloseTable(slot);
}
