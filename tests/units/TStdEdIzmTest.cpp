#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbf/EngineError.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "tests/units/ExternalReaders.h"
#include "tests/units/UnitsTables.h"
#include "text/CodePages.h"
#include "units/Tstdedizm.h"

namespace {

using testing_support::RecordingDesktop;
using testing_support::TempFolder;
using units_tables::UnitRow;
using units_tables::writeUnitsTable;

// A unit name as the suite stores it: code page 866.
std::string oem(const std::string& cp1251) { return text::ansiToOem(cp1251); }

struct LoadCase {
    const char* title;
    std::vector<UnitRow> rows;
    std::string expectedKeyNames;  // Windows-1251
};

TEST(TStdEdIzm, LoadsEveryUnitUnderItsTrimmedName) {
    const std::vector<LoadCase> cases = {
        {"two units come out in name order",
         {{oem("шт"_w), "2"}, {oem("м"_w), "1"}},
         "1=м\n2=шт\n"_w},
        {"blanks around a name are not part of it",
         {{oem("  м2"_w), "5"}, {oem("т   "_w), "7"}},
         "5=м2\n7=т\n"_w},
        {"the first record keeps a repeated name",
         {{oem("кг"_w), "3"}, {oem("кг"_w), "8"}, {oem(" кг "_w), "9"}},
         "3=кг\n"_w},
        {"names with digits and blanks inside",
         {{oem("1000 шт"_w), "B"}, {oem("100 м"_w), "A"}, {oem("100 м2"_w), "C"}},
         "A=100 м\nC=100 м2\nB=1000 шт\n"_w},
        {"an empty table", {}, ""},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.title);
        TempFolder folder;
        writeUnitsTable(folder.file("Ei1.dbf"), c.rows);
        RecordingDesktop desktop;
        TStdEdIzm units;
        ASSERT_TRUE(units.LoadFromFile(folder.file("Ei1.dbf")));
        std::string keyNames;
        units.GetKeyNames(keyNames);
        EXPECT_EQ(text::cp1251ToUtf8(keyNames), text::cp1251ToUtf8(c.expectedKeyNames));
        EXPECT_TRUE(desktop.messages.empty());
    }
}

TEST(TStdEdIzm, TwoUnitsGiveTheirKeysInNameOrder) {
    TempFolder folder;
    writeUnitsTable(folder.file("Ei1.dbf"), {{oem("шт"_w), "2"}, {oem("м"_w), "1"}});
    TStdEdIzm units;
    ASSERT_TRUE(units.LoadFromFile(folder.file("Ei1.dbf")));
    std::string keys;
    units.GetKeys(keys);
    EXPECT_EQ(keys, "1\n2\n");
    EXPECT_EQ(units.Count(), 2);
}

TEST(TStdEdIzm, NameStoredWithBlanksIsFoundOnlyTrimmed) {
    TempFolder folder;
    writeUnitsTable(folder.file("Ei1.dbf"), {{oem("шт   "_w), "2"}});
    TStdEdIzm units;
    ASSERT_TRUE(units.LoadFromFile(folder.file("Ei1.dbf")));
    std::string key = "none";
    EXPECT_FALSE(units.GetKeyByName("шт   "_w, key));
    EXPECT_EQ(key, "none");
    EXPECT_TRUE(units.GetKeyByName("шт"_w, key));
    EXPECT_EQ(key, "2");
}

TEST(TStdEdIzm, SharedKeyGivesTheNameFirstInByteOrder) {
    TempFolder folder;
    writeUnitsTable(folder.file("Ei1.dbf"), {{oem("т"_w), "6"}, {oem("м"_w), "6"}});
    TStdEdIzm units;
    ASSERT_TRUE(units.LoadFromFile(folder.file("Ei1.dbf")));
    EXPECT_EQ(units.GetNameByKey("6"), "м"_w);
    EXPECT_EQ(units.IndexOfKey("6"), 0);
}

TEST(TStdEdIzm, KeyIsTakenAsTheFieldGivesIt) {
    TempFolder folder;
    // A leading blank stays, and a code in code page 866 is not converted.
    writeUnitsTable(folder.file("Ei1.dbf"), {{oem("м"_w), " 7"}, {oem("т"_w), oem("Т1"_w)}}, 20, 3);
    TStdEdIzm units;
    ASSERT_TRUE(units.LoadFromFile(folder.file("Ei1.dbf")));
    std::string key;
    ASSERT_TRUE(units.GetKeyByName("м"_w, key));
    EXPECT_EQ(key, " 7");
    ASSERT_TRUE(units.GetKeyByName("т"_w, key));
    EXPECT_EQ(key, oem("Т1"_w));
}

TEST(TStdEdIzm, EveryCharacterSurvivesTheCodePageRoundTrip) {
    // Every Windows-1251 byte above the blank, in one name of 223 characters.
    std::string name;
    for (int c = 33; c <= 255; ++c) name += static_cast<char>(c);
    TempFolder folder;
    writeUnitsTable(folder.file("Ei2.dbf"), {{oem(name), "Z"}}, 254);
    TStdEdIzm units;
    ASSERT_TRUE(units.LoadFromFile(folder.file("Ei2.dbf")));
    std::string key;
    EXPECT_TRUE(units.GetKeyByName(name, key));
    EXPECT_EQ(key, "Z");
    std::string names;
    units.GetNames(names);
    EXPECT_EQ(names, name + "\n");
}

TEST(TStdEdIzm, LoadingReplacesTheEarlierUnits) {
    TempFolder folder;
    writeUnitsTable(folder.file("Ei1.dbf"), {{oem("м"_w), "1"}, {oem("т"_w), "2"}});
    writeUnitsTable(folder.file("Ei2.dbf"), {{oem("шт"_w), "3"}});
    TStdEdIzm units;
    ASSERT_TRUE(units.LoadFromFile(folder.file("Ei1.dbf")));
    ASSERT_TRUE(units.LoadFromFile(folder.file("Ei2.dbf")));
    std::string keyNames;
    units.GetKeyNames(keyNames);
    EXPECT_EQ(keyNames, "3=шт\n"_w);
}

TEST(TStdEdIzm, MissingTableIsReportedAndTheEarlierUnitsStay) {
    TempFolder folder;
    writeUnitsTable(folder.file("Ei1.dbf"), {{oem("м"_w), "1"}});
    TStdEdIzm units;
    ASSERT_TRUE(units.LoadFromFile(folder.file("Ei1.dbf")));

    RecordingDesktop desktop;
    const std::string missing = folder.file("DOP/Ei1.dbf");
    EXPECT_FALSE(units.LoadFromFile(missing));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Файл:"_w + missing + "\nне найден!"_w);
    EXPECT_EQ(desktop.messages[0].caption, "Класс WDbfFile"_w);
    EXPECT_EQ(desktop.messages[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(units.Count(), 1);
}

TEST(TStdEdIzm, TableWithoutKeiFieldRaisesAnEngineErrorAndKeepsTheUnits) {
    TempFolder folder;
    writeUnitsTable(folder.file("Ei1.dbf"), {{oem("м"_w), "1"}});
    writeUnitsTable(folder.file("Ei2.dbf"), {{oem("т"_w), ""}}, 20, 1, false);
    TStdEdIzm units;
    ASSERT_TRUE(units.LoadFromFile(folder.file("Ei1.dbf")));
    EXPECT_THROW(units.LoadFromFile(folder.file("Ei2.dbf")), dbf::EngineError);
    std::string keyNames;
    units.GetKeyNames(keyNames);
    EXPECT_EQ(keyNames, "1=м\n"_w);
}

TEST(TStdEdIzm, TableOfAnotherProgramLoadsWithoutItsDeletedRecords) {
    // The suite's own tables: more fields, a numeric code, a record marked deleted, written in
    // code page 866 by an independent dBASE writer.
    TempFolder folder;
    const std::string script =
        "import sys, dbf\n"
        "t = dbf.Table(sys.argv[1], \"ED_IZ C(30); KEI N(3,0); NAIM C(40)\","
        " dbf_type=\"db3\", codepage=\"cp866\")\n"
        "t.open(dbf.READ_WRITE)\n"
        "t.append((\"м3\", 113, \"кубический метр\"))\n"
        "t.append((\"шт\", 796, \"штука\"))\n"
        "t.append((\"т\", 168, \"тонна\"))\n"
        "dbf.delete(t[1])\n"
        "t.close()\n";
    const auto run = external_readers::runCommand(
        std::string(external_readers::kPython) + " -c " + external_readers::shellQuoted(script) +
        " " + external_readers::shellQuoted(folder.file("Ei1.dbf")));
    ASSERT_EQ(run.status, 0) << run.output;

    TStdEdIzm units;
    ASSERT_TRUE(units.LoadFromFile(folder.file("Ei1.dbf")));
    std::string keyNames;
    units.GetKeyNames(keyNames);
    EXPECT_EQ(text::cp1251ToUtf8(keyNames), "113=м3\n168=т\n");
}

TEST(TStdEdIzm, DescriptionNamesTheClass) {
    const TStdEdIzm units;
    EXPECT_EQ(units.FDescription, "TStdEdIzm");
    EXPECT_EQ(units.Count(), 0);
}

}  // namespace
