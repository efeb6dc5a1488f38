#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "dbf/Wdbffile.h"
#include "engine/PriceRecord.h"
#include "engine/PriceTableLayout.h"
#include "engine/PriceTableWriter.h"
#include "tests/support/ProgramTables.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "tests/units/ExternalReaders.h"

namespace {

using external_readers::readWithDbfread;
using testing_support::TempFolder;

engine::PriceRecord record(const char* poz, const char* c1, const char* c2) {
    engine::PriceRecord r;
    r.TIP = "\x91";  // С in code page 866
    r.SBOR = "   101";
    r.TABL = " 0001";
    r.POZ = poz;
    r.KEI = "3";
    r.C_1 = c1;
    r.C_2 = c2;
    return r;
}

TEST(PriceTableWriter, PostedRecordsReadBackByAnIndependentReader) {
    TempFolder folder;
    const std::string path = folder.file("price.dbf");
    testing_support::createEmptyTable(path, engine::price_table::templateFields());
    {
        WDbfFile dbf;
        engine::PriceTableWriter writer(dbf);
        ASSERT_TRUE(writer.Open(path));
        writer.Write(record("    5", "250.25", ""));
        writer.Write(record("   17", "0.001", "1000.0"));
        writer.Close();
        writer.Close();  // a closed table is left alone
    }
    const auto dump = readWithDbfread(path);
    ASSERT_TRUE(dump.ok) << dump.error;
    using Row = std::vector<std::string>;
    ASSERT_EQ(dump.records.size(), 2u);
    // Character values without trailing blanks; an empty price leaves the numeric field blank.
    EXPECT_EQ(dump.records[0], (Row{"\x91", "   101", " 0001", "    5", "3", "250.25", "", "", ""}));
    EXPECT_EQ(dump.records[1], (Row{"\x91", "   101", " 0001", "   17", "3", "0.001", "1000.0", "", ""}));
}

TEST(PriceTableWriter, EachTableIsWrittenByItsOwnFieldPositions) {
    // A template of another make may order its fields differently: the positions found for one
    // table must not be used for the next.
    TempFolder folder;
    const std::string first = folder.file("first.dbf"), second = folder.file("second.dbf");
    std::vector<dbf::FieldDef> fields = engine::price_table::templateFields();
    testing_support::createEmptyTable(first, fields);
    std::reverse(fields.begin(), fields.end());
    testing_support::createEmptyTable(second, fields);
    {
        WDbfFile dbf;
        engine::PriceTableWriter writer(dbf);
        for (const std::string& path : {first, second}) {
            ASSERT_TRUE(writer.Open(path));
            writer.Write(record("    5", "250.25", "7"));
            writer.Close();
        }
    }
    using Row = std::vector<std::string>;
    const Row inOrder{"\x91", "   101", " 0001", "    5", "3", "250.25", "7.0", "", ""};
    const auto one = readWithDbfread(first), two = readWithDbfread(second);
    ASSERT_TRUE(one.ok && two.ok) << one.error << two.error;
    ASSERT_EQ(one.records.size(), 1u);
    ASSERT_EQ(two.records.size(), 1u);
    EXPECT_EQ(one.records[0], inOrder);
    EXPECT_EQ(two.records[0], Row(inOrder.rbegin(), inOrder.rend()));
}

TEST(PriceTableWriter, FailedWriteThrowsAndPostsNothing) {
    TempFolder folder;
    const std::string path = folder.file("price.dbf");
    std::vector<dbf::FieldDef> fields = engine::price_table::templateFields();
    std::erase_if(fields, [](const dbf::FieldDef& field) { return field.name == "KEI"; });
    testing_support::createEmptyTable(path, fields);
    {
        WDbfFile dbf;
        engine::PriceTableWriter writer(dbf);
        ASSERT_TRUE(writer.Open(path));
        EXPECT_ANY_THROW(writer.Write(record("    5", "1.0", "2.0")));
        EXPECT_ANY_THROW(writer.Write(record("    6", "1.0", "2.0")));
    }
    const auto dump = readWithDbfread(path);
    ASSERT_TRUE(dump.ok) << dump.error;
    EXPECT_TRUE(dump.records.empty());
}

TEST(PriceTableWriter, WriteWithoutAnOpenTableThrows) {
    WDbfFile dbf;
    engine::PriceTableWriter writer(dbf);
    EXPECT_THROW(writer.Write(record("    5", "1.0", "2.0")), std::logic_error);
}

TEST(PriceTableWriter, TableThatCannotBeOpenedIsReported) {
    TempFolder folder;
    testing_support::RecordingDesktop desktop;
    WDbfFile dbf;
    engine::PriceTableWriter writer(dbf);
    EXPECT_FALSE(writer.Open(folder.file("missing.dbf")));
    EXPECT_EQ(desktop.messages.size(), 1u);
}

}  // namespace
