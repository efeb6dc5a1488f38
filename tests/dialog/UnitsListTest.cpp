#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbf/Table.h"
#include "dbf/Wdbffile.h"
#include "dialog/UnitsList.h"
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

    OpenUnits() {
        const std::string path = folder.file("Ei1.dbf");
        testing_support::writeUnitsTable(path, testing_support::sampleUnits());
        WDbfFile dbf;
        opened = dbf.OpenIndexedTable(slot, path, true, true, UnitsList::kIndexes, "ED_IZ_IND");
    }
    ~OpenUnits() { WDbfFile().CloseTable(slot); }
    bool opened = false;
};

std::string nameAt(const UnitsList& list, int row) { return text::cp1251ToUtf8(list.RowText(row)); }

std::string currentName(const UnitsList& list) { return nameAt(list, list.CurrentRow()); }

}  // namespace

TEST(UnitsList, RowsFollowTheIndexAndShowTheNamesConverted) {
    OpenUnits units;
    ASSERT_TRUE(units.opened) << units.desktop.lastTextUtf8();
    UnitsList list(*units.slot);
    ASSERT_EQ(list.RowCount(), 7);
    std::vector<std::string> names;
    for (int row = 0; row < list.RowCount(); ++row) names.push_back(nameAt(list, row));
    EXPECT_EQ(names, testing_support::sampleUnitsInIndexOrder());
    EXPECT_EQ(list.RowText(-1), "");
    EXPECT_EQ(list.RowText(7), "");
    EXPECT_EQ(list.CurrentRow(), 0) << "the table stands on its first record";
    EXPECT_EQ(list.CurrentCode(), "7");
}

TEST(UnitsList, ReadingRowsDoesNotMoveTheCurrentRecord) {
    OpenUnits units;
    ASSERT_TRUE(units.opened);
    UnitsList list(*units.slot);
    list.MoveToRow(4);
    const std::string code = units.slot->fieldText("KEI");
    for (int row = 0; row < list.RowCount(); ++row) nameAt(list, row);
    EXPECT_EQ(list.CurrentRow(), 4);
    EXPECT_EQ(units.slot->fieldText("KEI"), code);
    EXPECT_EQ(currentName(list), "м3");
    EXPECT_EQ(code, "4");
    EXPECT_EQ(list.CurrentCode(), "4");
}

TEST(UnitsList, MoveToRowMakesItsRecordCurrent) {
    OpenUnits units;
    ASSERT_TRUE(units.opened);
    UnitsList list(*units.slot);
    const char* codesInIndexOrder[] = {"7", "3", "2", "5", "4", "6", "1"};
    for (int row = 0; row < 7; ++row) {
        list.MoveToRow(row);
        EXPECT_EQ(list.CurrentRow(), row);
        EXPECT_EQ(units.slot->fieldText("KEI"), codesInIndexOrder[row]);
        EXPECT_EQ(list.CurrentCode(), codesInIndexOrder[row]);
    }
    list.MoveToRow(7);  // outside: nothing moves
    list.MoveToRow(-1);
    EXPECT_EQ(list.CurrentRow(), 6);
}

TEST(UnitsList, NearestSeek) {
    OpenUnits units;
    ASSERT_TRUE(units.opened);
    UnitsList list(*units.slot);
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
        const int row = list.SeekNearest(text::utf8ToCp1251(c.search));
        EXPECT_EQ(row, list.CurrentRow());
        EXPECT_EQ(currentName(list), c.found);
        EXPECT_FALSE(units.slot->eof());
    }
}

TEST(UnitsList, EmptyTableHasNoRows) {
    TempFolder folder;
    RecordingDesktop desktop;
    const std::string path = folder.file("Ei1.dbf");
    testing_support::writeUnitsTable(path, {});
    TableSlot slot;
    ASSERT_TRUE(
        WDbfFile().OpenIndexedTable(slot, path, true, true, UnitsList::kIndexes, "ED_IZ_IND"));
    UnitsList list(*slot);
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.CurrentRow(), -1);
    EXPECT_EQ(list.SeekNearest("м"_w), -1);
    EXPECT_EQ(list.CurrentCode(), "") << "no record, no unit";
    WDbfFile().CloseTable(slot);
}
