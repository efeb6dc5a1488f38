#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "dbf/EngineError.h"
#include "dbf/Wdbffile.h"
#include "engine/MappingTableLayout.h"
#include "engine/MappingTables.h"
#include "platform/Files.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "tests/units/ExternalReaders.h"
#include "text/CodePages.h"

namespace {

using external_readers::readWithDbfread;
using testing_support::RecordingDesktop;
using testing_support::TempFolder;

// The converter keeps both files in "Morvel/TKonvika" beside the program.
struct Files {
    explicit Files(const TempFolder& root)
        : kod(root.file("Morvel/TKonvika/kodper.dbf")),
          edIz(root.file("Morvel/TKonvika/edizper.dbf")) {}
    std::string kod;
    std::string edIz;
    std::string kodMdx() const { return kod.substr(0, kod.size() - 4) + ".mdx"; }
    std::string edIzMdx() const { return edIz.substr(0, edIz.size() - 4) + ".mdx"; }
};

// One conversion's view of the tables: opened on construction, closed on destruction.
class Session {
public:
    explicit Session(const Files& files)
        : tables_(std::make_unique<MappingTables>(files.kod, files.edIz, dbf_, "TKonvika")) {
        opened = tables_->OpenMappingTables();
    }
    MappingTables& tables() { return *tables_; }

    bool opened = false;

private:
    WDbfFile dbf_;
    std::unique_ptr<MappingTables> tables_;
};

// A name of the given length whose every character depends on a seed and the position, so
// that two names of different seeds differ in every piece.
std::string makeName(std::size_t length, char seed) {
    const std::string letters = "абвгдежзиклмнопрстуфхцчшщэюяАБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЩЭЮЯ"_w;
    std::string name;
    for (std::size_t i = 0; i < length; ++i)
        name += letters[(i * 7 + static_cast<std::size_t>(seed) * 13) % letters.size()];
    return name;
}

std::vector<std::vector<std::string>> rowsOf(const std::string& path) {
    const auto dump = readWithDbfread(path);
    EXPECT_TRUE(dump.ok) << dump.error;
    return dump.records;
}

std::string withoutTrailingBlanks(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

TEST(MappingTables, FirstOpeningCreatesTheFolderBothFilesAndTheirTags) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    {
        Session session(files);
        ASSERT_TRUE(session.opened);
        EXPECT_TRUE(session.tables().IsKodTableOpen());
        EXPECT_TRUE(session.tables().IsEdIzTableOpen());
        EXPECT_EQ(text::upperCase1251(session.tables().SelectedKodTag()), "NR_IND");
        EXPECT_EQ(text::upperCase1251(session.tables().SelectedEdIzTag()), "EZ_SP_IND");
    }
    EXPECT_TRUE(desktop.messages.empty());

    struct FieldCase {
        const std::string* path;
        std::vector<external_readers::FieldInfo> fields;
    };
    const FieldCase cases[] = {
        {&files.kod, {{"NAME_SP", 'C', 50, 0}, {"ROST", 'C', 2, 0}, {"KOD_ORN", 'C', 60, 0}}},
        {&files.edIz, {{"EDIZ_SP", 'C', 60, 0}, {"KEI_ORN", 'C', 1, 0}, {"K_PRIV", 'C', 20, 0}}},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(*c.path);
        const auto dump = readWithDbfread(*c.path);
        ASSERT_TRUE(dump.ok) << dump.error;
        ASSERT_EQ(dump.fields.size(), c.fields.size());
        for (std::size_t i = 0; i < c.fields.size(); ++i) {
            EXPECT_EQ(dump.fields[i].name, c.fields[i].name);
            EXPECT_EQ(dump.fields[i].type, c.fields[i].type);
            EXPECT_EQ(dump.fields[i].length, c.fields[i].length);
        }
        EXPECT_TRUE(dump.records.empty());
    }
    EXPECT_EQ(external_readers::mdxTags(files.kodMdx()), std::vector<std::string>{"NR_IND"});
    EXPECT_EQ(external_readers::mdxTags(files.edIzMdx()), std::vector<std::string>{"EZ_SP_IND"});
}

TEST(MappingTables, IndexListsEndWithNullEntries) {
    const SIndexDesc* kodIndexes = engine::kod_table::kIndexes;
    const SIndexDesc* edIzIndexes = engine::ediz_table::kIndexes;
    EXPECT_STREQ(kodIndexes[0].Name, "NR_IND");
    EXPECT_STREQ(kodIndexes[0].Expression, "NAME_SP+ROST");
    EXPECT_STREQ(kodIndexes[0].Fields, "NAME_SP");
    EXPECT_STREQ(kodIndexes[1].Name, "NULL");
    EXPECT_STREQ(edIzIndexes[0].Name, "EZ_SP_IND");
    EXPECT_STREQ(edIzIndexes[0].Expression, "EDIZ_SP");
    EXPECT_STREQ(edIzIndexes[0].Fields, "EDIZ_SP");
    EXPECT_STREQ(edIzIndexes[1].Expression, "NULL");
}

TEST(MappingTables, FileThatCannotBeCreatedIsReported) {
    struct Case {
        const char* title;
        bool kodBlocked;
        std::string message;
    };
    const Case cases[] = {
        {"code table", true, "CreateKodFile: Ошибка при формировании файла: "_w},
        {"unit table", false, "CreateEdIzFile: Ошибка при формировании файла: "_w},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        TempFolder root;
        // A plain file where the folder of the blocked table should be.
        testing_support::writeFileBytes(root.file("blocked"), "x");
        const std::string kod =
            c.kodBlocked ? root.file("blocked/kodper.dbf") : root.file("ok/kodper.dbf");
        const std::string edIz =
            c.kodBlocked ? root.file("ok/edizper.dbf") : root.file("blocked/edizper.dbf");
        RecordingDesktop desktop;
        WDbfFile dbf;
        MappingTables tables(kod, edIz, dbf, "TKonvika");
        EXPECT_FALSE(tables.OpenMappingTables());
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].caption, "TKonvika");
        EXPECT_EQ(desktop.messages[0].kind, platform::MessageKind::Error);
        EXPECT_EQ(desktop.messages[0].text, c.message + (c.kodBlocked ? kod : edIz));
        // The code table opens before the unit table is created.
        EXPECT_EQ(tables.IsKodTableOpen(), !c.kodBlocked);
        EXPECT_FALSE(tables.IsEdIzTableOpen());
    }
}

TEST(MappingTables, CreatingNeverReplacesAnExistingFile) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    {
        Session session(files);
        ASSERT_TRUE(session.opened);
        session.tables().StoreKod("Песок"_w, "КОД-1"_w);
        session.tables().StoreEdIz("м3"_w, "3", "1.0");
    }
    WDbfFile dbf;
    MappingTables tables(files.kod, files.edIz, dbf, "TKonvika");
    EXPECT_FALSE(tables.CreateKodFile(files.kod));
    EXPECT_FALSE(tables.CreateEdIzFile(files.edIz));
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[0].text,
              "CreateKodFile: Ошибка при формировании файла: "_w + files.kod);
    EXPECT_EQ(desktop.messages[1].text,
              "CreateEdIzFile: Ошибка при формировании файла: "_w + files.edIz);
    EXPECT_EQ(rowsOf(files.kod).size(), 1u);
    EXPECT_EQ(rowsOf(files.edIz).size(), 1u);
}

TEST(MappingTables, CreatingOverAnExistingFolderKeepsItsFiles) {
    TempFolder root;
    ASSERT_TRUE(platform::createDirectories(root.file("Morvel/TKonvika")));
    testing_support::writeFileBytes(root.file("Morvel/TKonvika/other.txt"), "keep");
    const Files files(root);
    RecordingDesktop desktop;
    Session session(files);
    ASSERT_TRUE(session.opened);
    EXPECT_EQ(testing_support::readFileBytes(root.file("Morvel/TKonvika/other.txt")), "keep");
}

struct PieceCase {
    std::size_t length;
    std::size_t rows;
};

// 50 fits one row; 51 needs a second row with only the last character; 1200 keeps its
// first 1000 characters in 20 rows.
const PieceCase kPieceCases[] = {{1, 1},   {49, 1},   {50, 1},    {51, 2},    {100, 2},  {101, 3},
                                 {120, 3}, {999, 20}, {1000, 20}, {1001, 20}, {1200, 20}};

TEST(MappingTables, NamesAreStoredInPiecesOfFifty) {
    for (const PieceCase& c : kPieceCases) {
        SCOPED_TRACE("length " + std::to_string(c.length));
        TempFolder root;
        const Files files(root);
        RecordingDesktop desktop;
        const std::string name = makeName(c.length, 1);
        const std::string code = "Е101-0001-5"_w;
        {
            Session session(files);
            ASSERT_TRUE(session.opened);
            EXPECT_TRUE(session.tables().StoreKod(name, code));
        }
        const auto rows = rowsOf(files.kod);
        ASSERT_EQ(rows.size(), c.rows);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i].size(), 3u);
            EXPECT_EQ(rows[i][0], name.substr(i * 50, 50)) << "piece " << i + 1;
            EXPECT_EQ(rows[i][1], std::to_string(i + 1));
            EXPECT_EQ(rows[i][2], code);
        }
    }
}

TEST(MappingTables, StoredNamesAreFoundAfterReopening) {
    for (const PieceCase& c : kPieceCases) {
        SCOPED_TRACE("length " + std::to_string(c.length));
        TempFolder root;
        const Files files(root);
        RecordingDesktop desktop;
        const std::string name = makeName(c.length, 2);
        {
            Session session(files);
            ASSERT_TRUE(session.opened);
            std::string code = "untouched";
            EXPECT_FALSE(session.tables().FindKod(name, code));
            EXPECT_EQ(code, "untouched");
            session.tables().StoreKod(name, "С101-0001-5"_w);
            // Visible at once to the next record of the same conversion.
            EXPECT_TRUE(session.tables().FindKod(name, code));
            EXPECT_EQ(code, "С101-0001-5"_w);
        }
        Session later(files);
        ASSERT_TRUE(later.opened);
        std::string code;
        EXPECT_TRUE(later.tables().FindKod(name, code));
        EXPECT_EQ(code, "С101-0001-5"_w);
        // Nothing was stored twice.
        EXPECT_EQ(rowsOf(files.kod).size(), c.rows);
    }
}

TEST(MappingTables, NameIsNotFoundThroughPiecesOfOtherNames) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    Session session(files);
    ASSERT_TRUE(session.opened);
    MappingTables& tables = session.tables();

    const std::string stored = makeName(120, 3);
    tables.StoreKod(stored, "КОД-1"_w);

    struct Case {
        const char* title;
        std::string name;
    };
    const std::string other = makeName(120, 4);
    const Case cases[] = {
        {"shares only the last piece", other.substr(0, 100) + stored.substr(100)},
        {"shares only the first piece", stored.substr(0, 50) + other.substr(50)},
        {"shares the first and the last piece",
         stored.substr(0, 50) + other.substr(50, 50) + stored.substr(100)},
        {"last piece alone, as a short name", stored.substr(100)},
        {"one character longer", stored + "я"_w},
        {"differs in the last character", stored.substr(0, 119) + "\xFF"},
        {"different name", other},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::string code = "untouched";
        EXPECT_FALSE(tables.FindKod(c.name, code));
        EXPECT_EQ(code, "untouched");
    }
}

TEST(MappingTables, NamesSharingTheirFirstPieceKeepTheirOwnCodes) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    const std::string first = makeName(50, 5) + makeName(30, 6);
    const std::string second = makeName(50, 5) + makeName(30, 7);
    const std::string shortName = makeName(50, 5);
    {
        Session session(files);
        ASSERT_TRUE(session.opened);
        session.tables().StoreKod(first, "КОД-1"_w);
        session.tables().StoreKod(second, "КОД-2"_w);
        session.tables().StoreKod(shortName, "КОД-3"_w);
    }
    Session later(files);
    ASSERT_TRUE(later.opened);
    std::string code;
    EXPECT_TRUE(later.tables().FindKod(first, code));
    EXPECT_EQ(code, "КОД-1"_w);
    EXPECT_TRUE(later.tables().FindKod(second, code));
    EXPECT_EQ(code, "КОД-2"_w);
    EXPECT_TRUE(later.tables().FindKod(shortName, code));
    EXPECT_EQ(code, "КОД-3"_w);
}

TEST(MappingTables, LongNamesAreToldApartByTheirFirstThousandCharacters) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    Session session(files);
    ASSERT_TRUE(session.opened);
    const std::string stored = makeName(1200, 8);
    session.tables().StoreKod(stored, "КОД-1"_w);
    std::string code;
    // What lies beyond the stored pieces is not compared.
    EXPECT_TRUE(session.tables().FindKod(stored.substr(0, 1000) + "x", code));
    EXPECT_EQ(code, "КОД-1"_w);
    EXPECT_FALSE(session.tables().FindKod("x" + stored.substr(1), code));
}

TEST(MappingTables, EmptyNameIsNeverFound) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    Session session(files);
    ASSERT_TRUE(session.opened);
    EXPECT_TRUE(session.tables().StoreKod("", "КОД-1"_w));
    std::string code = "untouched";
    EXPECT_FALSE(session.tables().FindKod("", code));
    EXPECT_EQ(code, "untouched");
    const auto rows = rowsOf(files.kod);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "");
    EXPECT_EQ(rows[0][1], "1");
}

TEST(MappingTables, NameIsStoredAsItCameWithoutTrimming) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    const std::string name = "  Бетон тяжёлый"_w;
    {
        Session session(files);
        ASSERT_TRUE(session.opened);
        session.tables().StoreKod(name, "С101-0001-5"_w);
        std::string code;
        EXPECT_FALSE(session.tables().FindKod("Бетон тяжёлый"_w, code));
        EXPECT_FALSE(session.tables().FindKod("  БЕТОН ТЯЖЁЛЫЙ"_w, code));
        EXPECT_TRUE(session.tables().FindKod(name, code));
    }
    EXPECT_EQ(rowsOf(files.kod)[0][0], name);
}

// Nobody else holds the tables, so the code tag stays selected from the opening on.
TEST(MappingTables, FindKodLeavesTheCodeTagSelected) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    Session session(files);
    ASSERT_TRUE(session.opened);
    session.tables().StoreKod("Песок"_w, "С101-0001-5"_w);
    std::string code;
    EXPECT_TRUE(session.tables().FindKod("Песок"_w, code));
    EXPECT_EQ(text::upperCase1251(session.tables().SelectedKodTag()), "NR_IND");
}

TEST(MappingTables, RowsWrittenByAnotherProgramAreFound) {
    TempFolder root;
    const Files files(root);
    ASSERT_TRUE(platform::createDirectories(platform::folderOf(files.kod)));
    // An earlier run's file, written by an independent dBASE writer, without an index yet, and
    // with the pieces of a name not in consecutive rows.
    const std::string script =
        "import sys, dbf\n"
        "t = dbf.Table(sys.argv[1], \"NAME_SP C(50); ROST C(2); KOD_ORN C(60)\","
        " dbf_type=\"db3\", codepage=\"cp1251\")\n"
        "t.open(dbf.READ_WRITE)\n"
        "name = \"Щебень \" * 12\n"
        "t.append((name[0:50], \"1\", \"С101-0002-1\"))\n"
        "t.append((\"Песок\", \"1\", \"С101-0003-7\"))\n"
        "t.append((name[50:84], \"2\", \"С101-0002-1\"))\n"
        "t.close()\n";
    const auto run = external_readers::runCommand(std::string(external_readers::kPython) + " -c " +
                                                  external_readers::shellQuoted(script) + " " +
                                                  external_readers::shellQuoted(files.kod));
    ASSERT_EQ(run.status, 0) << run.output;

    RecordingDesktop desktop;
    Session session(files);
    ASSERT_TRUE(session.opened);
    std::string code;
    EXPECT_TRUE(session.tables().FindKod("Песок"_w, code));
    EXPECT_EQ(code, "С101-0003-7"_w);
    std::string longName;
    for (int i = 0; i < 12; ++i) longName += "Щебень "_w;
    // The source name keeps its trailing blank; the file cannot tell it from none.
    EXPECT_TRUE(session.tables().FindKod(longName, code));
    EXPECT_EQ(code, "С101-0002-1"_w);
    EXPECT_TRUE(session.tables().FindKod(withoutTrailingBlanks(longName), code));
}

TEST(MappingTables, CodeIndexIsReadableByAnIndependentReader) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    const std::string name = makeName(120, 9);
    {
        Session session(files);
        ASSERT_TRUE(session.opened);
        session.tables().StoreKod(name, "КОД-1"_w);
        session.tables().StoreKod("Песок"_w, "КОД-2"_w);
    }
    const auto keys = external_readers::mdxKeys(files.kodMdx(), "NR_IND");
    ASSERT_EQ(keys.status, 0) << keys.output;
    // Four keys, each the 50-character piece followed by the piece number, in key order.
    std::vector<std::string> lines;
    std::string line;
    for (char ch : keys.output) {
        if (ch == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += ch;
        }
    }
    ASSERT_EQ(lines.size(), 4u) << keys.output;
    std::vector<std::string> expected = {name.substr(0, 50) + "1 ", name.substr(50, 50) + "2 ",
                                         name.substr(100) + std::string(30, ' ') + "3 ",
                                         "Песок"_w + std::string(45, ' ') + "1 "};
    std::sort(expected.begin(), expected.end());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].substr(0, 52), expected[i]) << "key " << i;
}

struct UnitCase {
    const char* title;
    std::string unit;
    std::string kei;
    std::string coefficient;
    std::string storedUnit;
    std::string storedKei;
    std::string storedCoefficient;
};

TEST(MappingTables, UnitsAreStoredTrimmedAndFoundAgain) {
    const UnitCase cases[] = {
        {"plain", "м2"_w, "2", "1.0", "м2"_w, "2", "1.0"},
        {"blanks around unit and coefficient", "  100 м \t"_w, "7", " 0.01 ", "100 м"_w, "7",
         "0.01"},
        {"a longer unit code keeps its first character", "т"_w, "AB", "1000", "т"_w, "A", "1000"},
        {"an empty unit code", "шт."_w, "", "1", "шт."_w, "", "1"},
    };
    for (const UnitCase& c : cases) {
        SCOPED_TRACE(c.title);
        TempFolder root;
        const Files files(root);
        RecordingDesktop desktop;
        {
            Session session(files);
            ASSERT_TRUE(session.opened);
            std::string kei = "k", coefficient = "c";
            EXPECT_FALSE(session.tables().FindEdIz(c.unit, kei, coefficient));
            EXPECT_EQ(kei, "k");
            EXPECT_EQ(coefficient, "c");
            session.tables().StoreEdIz(c.unit, c.kei, c.coefficient);
        }
        const auto rows = rowsOf(files.edIz);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0],
                  (std::vector<std::string>{c.storedUnit, c.storedKei, c.storedCoefficient}));

        Session later(files);
        ASSERT_TRUE(later.opened);
        for (const std::string& spelling : {c.unit, c.storedUnit, " " + c.storedUnit + " "}) {
            std::string kei, coefficient;
            EXPECT_TRUE(later.tables().FindEdIz(spelling, kei, coefficient));
            EXPECT_EQ(kei, c.storedKei);
            EXPECT_EQ(coefficient, c.storedCoefficient);
        }
    }
}

TEST(MappingTables, UnitLookupIsExactApartFromTrimming) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    Session session(files);
    ASSERT_TRUE(session.opened);
    session.tables().StoreEdIz("м3"_w, "3", "1.0");
    session.tables().StoreEdIz("100 м3"_w, "A", "0.01");
    for (const std::string& unit : {"М3"_w, "м"_w, "м3."_w, "100м3"_w, std::string()}) {
        std::string kei, coefficient;
        EXPECT_FALSE(session.tables().FindEdIz(unit, kei, coefficient)) << text::cp1251ToUtf8(unit);
    }
    std::string kei, coefficient;
    EXPECT_TRUE(session.tables().FindEdIz("100 м3"_w, kei, coefficient));
    EXPECT_EQ(kei, "A");
    EXPECT_EQ(coefficient, "0.01");
}

TEST(MappingTables, UnitIndexIsReadableByAnIndependentReader) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    {
        Session session(files);
        ASSERT_TRUE(session.opened);
        session.tables().StoreEdIz("т"_w, "4", "1.0");
        session.tables().StoreEdIz("кг"_w, "5", "0.001");
    }
    const auto keys = external_readers::mdxKeys(files.edIzMdx(), "EZ_SP_IND");
    ASSERT_EQ(keys.status, 0) << keys.output;
    EXPECT_EQ(keys.output.find("кг"_w), 0u) << keys.output;
    EXPECT_NE(keys.output.find("\n" + "т"_w), std::string::npos) << keys.output;
}

TEST(MappingTables, RowsOfAnEarlierRunAreKeptAndFound) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    {
        Session first(files);
        ASSERT_TRUE(first.opened);
        first.tables().StoreKod("Песок"_w, "КОД-1"_w);
        first.tables().StoreEdIz("м3"_w, "3", "1.0");
    }
    {
        Session second(files);
        ASSERT_TRUE(second.opened);
        second.tables().StoreKod("Щебень"_w, "КОД-2"_w);
        second.tables().StoreEdIz("т"_w, "4", "1.0");
    }
    Session third(files);
    ASSERT_TRUE(third.opened);
    std::string code, kei, coefficient;
    EXPECT_TRUE(third.tables().FindKod("Песок"_w, code));
    EXPECT_EQ(code, "КОД-1"_w);
    EXPECT_TRUE(third.tables().FindKod("Щебень"_w, code));
    EXPECT_EQ(code, "КОД-2"_w);
    EXPECT_TRUE(third.tables().FindEdIz("м3"_w, kei, coefficient));
    EXPECT_EQ(kei, "3");
    EXPECT_TRUE(third.tables().FindEdIz("т"_w, kei, coefficient));
    EXPECT_EQ(kei, "4");
    EXPECT_EQ(rowsOf(files.kod).size(), 2u);
    EXPECT_EQ(rowsOf(files.edIz).size(), 2u);
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(MappingTables, LostIndexIsRebuiltFromTheRows) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    const std::string name = makeName(120, 10);
    {
        Session session(files);
        ASSERT_TRUE(session.opened);
        session.tables().StoreKod(name, "КОД-1"_w);
        session.tables().StoreEdIz("кг"_w, "5", "0.001");
    }
    ASSERT_TRUE(platform::deleteFile(files.kodMdx()));
    ASSERT_TRUE(platform::deleteFile(files.edIzMdx()));
    Session later(files);
    ASSERT_TRUE(later.opened);
    std::string code, kei, coefficient;
    EXPECT_TRUE(later.tables().FindKod(name, code));
    EXPECT_EQ(code, "КОД-1"_w);
    EXPECT_TRUE(later.tables().FindEdIz("кг"_w, kei, coefficient));
    EXPECT_EQ(coefficient, "0.001");
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(MappingTables, ClosedTablesAreLeftAloneAndUnitOperationsRefuse) {
    TempFolder root;
    const Files files(root);
    RecordingDesktop desktop;
    WDbfFile dbf;
    MappingTables tables(files.kod, files.edIz, dbf, "TKonvika");
    tables.CloseTables();
    std::string kei, coefficient;
    EXPECT_THROW(tables.FindEdIz("м"_w, kei, coefficient), dbf::EngineError);
    EXPECT_THROW(tables.StoreEdIz("м"_w, "1", "1.0"), dbf::EngineError);
    ASSERT_TRUE(tables.OpenMappingTables());
    tables.CloseTables();
    EXPECT_FALSE(tables.IsKodTableOpen());
    EXPECT_FALSE(tables.IsEdIzTableOpen());
    std::string code;
    EXPECT_THROW(tables.FindKod("Песок"_w, code), dbf::EngineError);
    EXPECT_THROW(tables.StoreKod("Песок"_w, "1"), dbf::EngineError);
    tables.CloseTables();
}

}  // namespace
