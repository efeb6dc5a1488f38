#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "tests/units/ExternalReaders.h"
#include "text/CodePages.h"
#include "units/Tstdedizm.h"
#include "units/Wedizm.h"

namespace {

using external_readers::FieldInfo;
using external_readers::readWithDbfread;
using external_readers::runCommand;
using external_readers::shellQuoted;
using testing_support::RecordingDesktop;
using testing_support::TempFolder;

std::string runTool(const std::string& root) {
    const auto run = runCommand(shellQuoted(KONVIKA_TABLES_TOOL) + " " + shellQuoted(root));
    return run.status == 0 ? std::string()
                           : "status " + std::to_string(run.status) + ": " + run.output;
}

TEST(SampleTables, PriceTemplateHasTheNineFieldsAndNoRecords) {
    TempFolder root;
    ASSERT_EQ(runTool(root.path()), "");
    const auto dump = readWithDbfread(root.file("Morvel/Shablon/Resurs/cenashab.dbf"));
    ASSERT_TRUE(dump.ok) << dump.error;
    struct Expected {
        const char* name;
        char type;
        int length;
        int decimals;
    };
    const Expected expected[] = {
        {"TIP", 'C', 1, 0},  {"SBOR", 'C', 6, 0}, {"TABL", 'C', 5, 0},
        {"POZ", 'C', 5, 0},  {"KEI", 'C', 3, 0},  {"C_1", 'N', 16, 6},
        {"C_2", 'N', 16, 6}, {"C1", 'N', 16, 6},  {"C2", 'N', 16, 6},
    };
    ASSERT_EQ(dump.fields.size(), std::size(expected));
    for (std::size_t i = 0; i < dump.fields.size(); ++i) {
        const FieldInfo& field = dump.fields[i];
        EXPECT_EQ(field.name, expected[i].name);
        EXPECT_EQ(field.type, expected[i].type) << field.name;
        EXPECT_EQ(field.length, expected[i].length) << field.name;
        EXPECT_EQ(field.decimals, expected[i].decimals) << field.name;
    }
    EXPECT_TRUE(dump.records.empty());
}

TEST(SampleTables, UnitsTablesHoldOemNamesWithOneCharacterCodes) {
    TempFolder root;
    ASSERT_EQ(runTool(root.path()), "");
    for (const char* name : {"Ei1.dbf", "Ei2.dbf"}) {
        SCOPED_TRACE(name);
        const std::string path = root.file(std::string("sample/units/") + name);
        const auto dump = readWithDbfread(path);
        ASSERT_TRUE(dump.ok) << dump.error;
        ASSERT_EQ(dump.fields.size(), 2u);
        EXPECT_EQ(dump.fields[0].name, "ED_IZ");
        EXPECT_EQ(dump.fields[0].type, 'C');
        EXPECT_EQ(dump.fields[1].name, "KEI");
        EXPECT_EQ(dump.fields[1].type, 'C');
        EXPECT_EQ(dump.fields[0].length, 40);
        EXPECT_EQ(dump.fields[1].length, 3);

        std::set<std::string> names, codes;
        for (const auto& record : dump.records) {
            ASSERT_EQ(record.size(), 2u);
            EXPECT_EQ(record[1].size(), 1u);
            EXPECT_TRUE(names.insert(record[0]).second) << "repeated unit";
            EXPECT_TRUE(codes.insert(record[1]).second) << "repeated code " << record[1];
        }
        // Read by another reader the names are code page 866 bytes.
        for (const char* unit : {"м", "м2", "м3", "т", "кг", "шт", "100 м", "1000 шт"})
            EXPECT_EQ(names.count(text::ansiToOem(text::utf8ToCp1251(unit))), 1u) << unit;

        TStdEdIzm units;
        RecordingDesktop desktop;
        ASSERT_TRUE(units.LoadFromFile(path));
        EXPECT_EQ(units.Count(), static_cast<int>(dump.records.size()));
        std::string key;
        EXPECT_TRUE(units.GetKeyByName("1000 шт"_w, key));
        EXPECT_TRUE(desktop.messages.empty());
    }
}

TEST(SampleTables, TheUnitsFolderServesBothKindsOfBase) {
    TempFolder root;
    ASSERT_EQ(runTool(root.path()), "");
    const std::string units = root.file("sample/units");
    EXPECT_EQ(WEdIzm("MG419", units, root.path()).GetFileName(), units + "/Ei2.dbf");
    EXPECT_EQ(WEdIzm("MG420", units, root.path()).GetFileName(), units + "/Ei1.dbf");
}

TEST(SampleTables, RunningAgainReplacesTheFiles) {
    TempFolder root;
    ASSERT_EQ(runTool(root.path()), "");
    const std::string path = root.file("sample/units/Ei1.dbf");
    const std::string first = testing_support::readFileBytes(path);
    testing_support::writeFileBytes(root.file("sample/units/Ei1.mdx"), "stale index");
    ASSERT_EQ(runTool(root.path()), "");
    const std::string second = testing_support::readFileBytes(path);
    // Only the date of the last update (bytes 1 to 3) may differ between the two runs.
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(first.substr(4), second.substr(4));
    EXPECT_FALSE(platform::fileExists(root.file("sample/units/Ei1.mdx")));
}

TEST(SampleTables, UnwritableRootFailsWithAMessage) {
    TempFolder root;
    testing_support::writeFileBytes(root.file("plain-file"), "x");
    const auto run =
        runCommand(shellQuoted(KONVIKA_TABLES_TOOL) + " " + shellQuoted(root.file("plain-file")));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("konvika-tables: "), std::string::npos) << run.output;
}

TEST(SampleTables, WithoutARootItShowsItsUsage) {
    const auto run = runCommand(shellQuoted(KONVIKA_TABLES_TOOL));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("usage"), std::string::npos) << run.output;
}

}  // namespace
