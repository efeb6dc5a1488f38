// The table engine on real files: header bytes, records, field values, navigation, locks and
// malformed files.
#include <gtest/gtest.h>

#include "dbf/EngineError.h"
#include "dbf/Table.h"
#include "tests/dbf/TableTestSupport.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using dbf::FieldDef;
using dbf_test::createWithRows;
using dbf_test::readAll;
using dbf_test::tableAt;
using testing_support::readFileBytes;
using testing_support::TempFolder;
using testing_support::writeFileBytes;

namespace {

const std::vector<FieldDef> kPriceFields = {
    {"KOD", 'C', 10, 0}, {"NAME", 'C', 30, 0}, {"PRICE", 'N', 12, 2}, {"QTY", 'N', 5, 0}};

unsigned byteAt(const std::string& bytes, std::size_t at) { return static_cast<unsigned char>(bytes.at(at)); }
unsigned u32At(const std::string& b, std::size_t at) {
    return byteAt(b, at) | byteAt(b, at + 1) << 8 | byteAt(b, at + 2) << 16 | byteAt(b, at + 3) << 24;
}

}  // namespace

TEST(Table, CreateWritesHeaderDescriptorsTerminatorAndEndMarker) {
    TempFolder dir;
    tableAt(dir.path(), "price.dbf")->createTable(kPriceFields);
    const std::string b = readFileBytes(dir.file("price.dbf"));
    ASSERT_EQ(b.size(), 32u + 4 * 32 + 1 + 1);
    EXPECT_EQ(byteAt(b, 0), 0x03u);
    EXPECT_EQ(u32At(b, 4), 0u);
    EXPECT_EQ(byteAt(b, 8) | byteAt(b, 9) << 8, 32u + 4 * 32 + 1);
    EXPECT_EQ(byteAt(b, 10) | byteAt(b, 11) << 8, 1u + 10 + 30 + 12 + 5);
    EXPECT_EQ(byteAt(b, 28), 0u);
    EXPECT_EQ(byteAt(b, 29), 0xC9u);
    EXPECT_EQ(b.substr(32, 4), std::string("KOD\0", 4));
    EXPECT_EQ(b[32 + 11], 'C');
    EXPECT_EQ(byteAt(b, 32 + 32 * 2 + 16), 12u);
    EXPECT_EQ(byteAt(b, 32 + 32 * 2 + 17), 2u);
    EXPECT_EQ(byteAt(b, 32 + 4 * 32), 0x0Du);
    EXPECT_EQ(byteAt(b, b.size() - 1), 0x1Au);
}

TEST(Table, CreateWithOemLanguageDriverMarksTheTable) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "ei1.dbf");
    table->createTable({{"ED_IZ", 'C', 10, 0}}, dbf::kLanguageDriverCp866);
    EXPECT_EQ(byteAt(readFileBytes(dir.file("ei1.dbf")), 29), 0x26u);
    table->open();
    EXPECT_EQ(table->languageDriver(), 0x26u);
    // An index made for it carries the same id.
    table->close();
    table->setExclusive(true);
    table->addTag("ED_IZ_IND", "ED_IZ", dbf::TagOption::Expression, "ED_IZ");
    EXPECT_EQ(byteAt(readFileBytes(dir.file("ei1.mdx")), 31), 0x26u);
}

TEST(Table, RejectsBadFieldDefinitions) {
    TempFolder dir;
    const std::vector<std::vector<FieldDef>> bad = {
        {},
        {{"", 'C', 5, 0}},
        {{"ELEVENCHARS", 'C', 5, 0}},
        {{"A", 'C', 0, 0}},
        {{"A", 'C', 255, 0}},
        {{"A", 'N', 21, 0}},
        {{"A", 'N', 5, 4}},
        {{"A", 'D', 7, 0}},
        {{"A", 'M', 10, 0}},
        {{"A", 'C', 5, 0}, {"a", 'C', 5, 0}},
    };
    for (const auto& fields : bad) {
        EXPECT_THROW(tableAt(dir.path(), "bad.dbf")->createTable(fields), dbf::EngineError);
    }
}

TEST(Table, PostedRecordsReadBackInPhysicalOrder) {
    TempFolder dir;
    createWithRows(
        dir.path(), "price.dbf", kPriceFields,
        {{"A1", "first", "12.5", "3"}, {"B2", "  leading kept", "", ""}, {"C3", "x", "-0.004", "0"}});
    auto table = tableAt(dir.path(), "price.dbf");
    table->open();
    EXPECT_EQ(table->recordCount(), 3u);
    EXPECT_EQ(readAll(*table, {"KOD", "NAME", "PRICE", "QTY"}),
              (std::vector<std::string>{"A1|first|12.50|3", "B2|  leading kept||", "C3|x|0.00|0"}));
}

TEST(Table, OpenStandsOnFirstRecordAndEofOnEmptyTable) {
    TempFolder dir;
    createWithRows(dir.path(), "t.dbf", kPriceFields, {});
    auto table = tableAt(dir.path(), "t.dbf");
    table->open();
    EXPECT_TRUE(table->eof());
    EXPECT_EQ(table->recordNumber(), 0u);
    EXPECT_EQ(table->fieldText("KOD"), "");
    table->close();
    createWithRows(dir.path(), "t.dbf", kPriceFields, {{"K", "N", "1", "1"}});
    table->open();
    EXPECT_FALSE(table->eof());
    EXPECT_EQ(table->recordNumber(), 1u);
    EXPECT_EQ(table->fieldText("kod"), "K");  // names ignore case
}

TEST(Table, CharacterFieldIsCutToWidthAndPaddedWithBlanks) {
    TempFolder dir;
    createWithRows(dir.path(), "c.dbf", {{"S", 'C', 4, 0}}, {{"abcdef"}, {"ab"}});
    const std::string b = readFileBytes(dir.file("c.dbf"));
    const std::size_t data = 32 + 32 + 1;
    EXPECT_EQ(b.substr(data, 5), " abcd");
    EXPECT_EQ(b.substr(data + 5, 5), " ab  ");
    EXPECT_EQ(b.substr(data + 10), "\x1A");
}

TEST(Table, NumericAssignmentFormatsRightAlignedWithDecimals) {
    struct Case {
        int width, decimals;
        const char* value;
        const char* stored;  // nullptr: the assignment raises an error
    };
    const Case cases[] = {
        {8, 2, "12.5", "   12.50"},     {8, 2, "-3.256", "   -3.26"},
        {8, 2, "0.005", "    0.01"},    {8, 2, "-0.001", "    0.00"},
        {8, 2, " 7 ", "    7.00"},      {8, 2, ".5", "    0.50"},
        {8, 2, "99999.99", "99999.99"}, {8, 2, "99999.999", nullptr},
        {8, 2, "100000", nullptr},      {5, 0, "12345", "12345"},
        {5, 0, "-1234", "-1234"},       {5, 0, "-12345", nullptr},
        {5, 0, "9.5", "   10"},         {5, 0, "007", "    7"},
        {5, 0, "+4", "    4"},          {5, 0, "1,5", nullptr},
        {5, 0, "abc", nullptr},         {5, 0, "1e3", nullptr},
        {5, 0, "-", nullptr},           {5, 0, ".", nullptr},
        {6, 3, "1.9995", " 2.000"},     {5, 0, "", "     "},
        {5, 0, "   ", "     "},
        // Carries through every digit, into a new one where the field has room for it.
        {7, 2, "999.995", "1000.00"},   {6, 2, "999.995", nullptr},
        {5, 1, "-9.96", "-10.0"},       {4, 1, "-9.96", nullptr},
        {2, 0, "0009.5", "10"},         {8, 2, "-0.0", "    0.00"},
        {5, 0, "-00", "    0"},        {8, 2, "-000.5", "   -0.50"},
        {1, 0, "000000000000000000000000001", "1"},
        {3, 0, "-0.4", "  0"},          {6, 4, ".99995", "1.0000"},
        {20, 6, "-12345678901.1234565", " -12345678901.123457"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " in N(" + std::to_string(c.width) + "," +
                     std::to_string(c.decimals) + ")");
        TempFolder dir;
        auto table = tableAt(dir.path(), "n.dbf");
        table->createTable({{"V", 'N', c.width, c.decimals}});
        table->open();
        table->append();
        if (!c.stored) {
            EXPECT_THROW(table->setFieldText("V", c.value), dbf::EngineError);
            continue;
        }
        table->setFieldText("V", c.value);
        table->post();
        table->close();
        const std::string b = readFileBytes(dir.file("n.dbf"));
        EXPECT_EQ(b.substr(32 + 32 + 1 + 1, static_cast<std::size_t>(c.width)), c.stored);
    }
}

TEST(Table, DateAndLogicalFieldsTakeOnlyWhatOtherReadersUnderstand) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "d.dbf");
    table->createTable({{"D", 'D', 8, 0}, {"L", 'L', 1, 0}});
    table->open();
    table->append();
    for (const char* bad : {"2024-01-31", "20241301", "20240100", "2024013", "abcdefgh"})
        EXPECT_THROW(table->setFieldText("D", bad), dbf::EngineError) << bad;
    for (const std::string& bad : std::vector<std::string>{"X", "TT", "1", std::string(1, '\0')})
        EXPECT_THROW(table->setFieldText("L", bad), dbf::EngineError) << bad;
    table->setFieldText("D", "20240229");
    table->setFieldText("L", "t");
    table->post();
    table->append();
    table->setFieldText("D", "");
    table->setFieldText("L", " ");
    table->post();
    EXPECT_EQ(readAll(*table, {"D", "L"}), (std::vector<std::string>{"20240229|t", "|"}));
}

TEST(Table, PostWritesRecordEndMarkerAndCountAtOnce) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "p.dbf");
    table->createTable({{"S", 'C', 3, 0}});
    table->open();
    for (const char* v : {"one", "two"}) {
        table->append();
        table->setFieldText("S", v);
        table->post();
    }
    // Still open: the file already holds both records.
    const std::string b = readFileBytes(dir.file("p.dbf"));
    EXPECT_EQ(u32At(b, 4), 2u);
    EXPECT_EQ(b.substr(65), " one two\x1A");
    EXPECT_EQ(table->recordNumber(), 2u);
    EXPECT_EQ(table->fieldText("S"), "two");
}

TEST(Table, RecordNotPostedIsDiscardedByCloseAndByCancel) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "p.dbf");
    table->createTable({{"S", 'C', 3, 0}});
    table->open();
    table->append();
    table->setFieldText("S", "abc");
    EXPECT_EQ(table->fieldText("S"), "abc");
    table->cancel();
    EXPECT_TRUE(table->eof());
    table->append();
    table->setFieldText("S", "def");
    table->close();
    table->open();
    EXPECT_EQ(table->recordCount(), 0u);
    EXPECT_EQ(readFileBytes(dir.file("p.dbf")).size(), 32u + 32 + 1 + 1);
}

TEST(Table, SettingAFieldOutsideAppendOrKeyModeRaises) {
    TempFolder dir;
    createWithRows(dir.path(), "p.dbf", {{"S", 'C', 3, 0}}, {{"a"}});
    auto table = tableAt(dir.path(), "p.dbf");
    table->open();
    EXPECT_THROW(table->setFieldText("S", "b"), dbf::EngineError);
    EXPECT_THROW(table->fieldText("MISSING"), dbf::EngineError);
    EXPECT_THROW(table->fieldWidth("MISSING"), dbf::EngineError);
    EXPECT_FALSE(table->hasField("MISSING"));
    EXPECT_TRUE(table->hasField("s"));
    EXPECT_EQ(table->fieldWidth("S"), 3);
}

TEST(Table, DeletedRecordsAreSkippedAndNotCounted) {
    TempFolder dir;
    createWithRows(dir.path(), "d.dbf", {{"S", 'C', 2, 0}}, {{"a"}, {"b"}, {"c"}, {"d"}});
    std::string b = readFileBytes(dir.file("d.dbf"));
    b[65 + 0 * 3] = '*';
    b[65 + 2 * 3] = '*';
    writeFileBytes(dir.file("d.dbf"), b);
    auto table = tableAt(dir.path(), "d.dbf");
    table->open();
    EXPECT_EQ(table->recordNumber(), 2u);
    EXPECT_EQ(table->recordCount(), 2u);
    EXPECT_EQ(table->recordsInFile(), 4u);
    EXPECT_EQ(readAll(*table, {"S"}), (std::vector<std::string>{"b", "d"}));
    // Reached by its number, a deleted record is read and says so.
    table->gotoRecord(3);
    EXPECT_EQ(table->fieldText("S"), "c");
    EXPECT_TRUE(table->deleted());
    table->next();
    EXPECT_EQ(table->fieldText("S"), "d");
    EXPECT_FALSE(table->deleted());
    table->next();
    EXPECT_TRUE(table->eof());
    EXPECT_THROW(table->gotoRecord(5), dbf::EngineError);
    EXPECT_THROW(table->gotoRecord(0), dbf::EngineError);
}

TEST(Table, UnknownFieldTypesReadAsText) {
    TempFolder dir;
    createWithRows(dir.path(), "u.dbf", {{"M", 'C', 4, 0}, {"D", 'D', 8, 0}, {"L", 'L', 1, 0}},
                   {{"0012", "20240131", "T"}});
    std::string b = readFileBytes(dir.file("u.dbf"));
    b[32 + 11] = 'M';  // a memo block number, which we have no memo file for
    writeFileBytes(dir.file("u.dbf"), b);
    auto table = tableAt(dir.path(), "u.dbf");
    table->open();
    EXPECT_EQ(table->fields()[0].type, 'M');
    EXPECT_EQ(table->fieldText("M"), "0012");
    EXPECT_EQ(table->fieldText("D"), "20240131");
    EXPECT_EQ(table->fieldText("L"), "T");
}

TEST(Table, ExclusiveOpenKeepsOthersOut) {
    TempFolder dir;
    createWithRows(dir.path(), "x.dbf", {{"S", 'C', 2, 0}}, {});
    auto mine = tableAt(dir.path(), "x.dbf", true);
    mine->open();
    auto other = tableAt(dir.path(), "x.dbf");
    EXPECT_THROW(other->open(), dbf::EngineError);
    EXPECT_FALSE(other->active());
    EXPECT_THROW(tableAt(dir.path(), "x.dbf")->createTable({{"S", 'C', 2, 0}}), dbf::EngineError);
    mine->close();
    other->open();
    auto third = tableAt(dir.path(), "x.dbf");
    EXPECT_NO_THROW(third->open());  // shared with shared
    auto exclusive = tableAt(dir.path(), "x.dbf", true);
    EXPECT_THROW(exclusive->open(), dbf::EngineError);
    EXPECT_THROW(other->setExclusive(true), dbf::EngineError);  // only while inactive
}

TEST(Table, ErrorMessagesNameTheFile) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "missing.dbf");
    try {
        table->open();
        FAIL() << "no error";
    } catch (const dbf::EngineError& e) {
        EXPECT_NE(std::string(e.what()).find(dir.file("missing.dbf")), std::string::npos);
        EXPECT_NE(text::cp1251ToUtf8(e.what()).find("не найдена"), std::string::npos);
    }
}

TEST(Table, MalformedFilesRaiseEngineErrors) {
    TempFolder dir;
    createWithRows(dir.path(), "m.dbf", kPriceFields, {{"A", "B", "1", "2"}, {"C", "D", "3", "4"}});
    const std::string good = readFileBytes(dir.file("m.dbf"));
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", ""});
    cases.push_back({"short header", good.substr(0, 20)});
    std::string countBeyond = good;
    countBeyond[4] = 3;
    cases.push_back({"count beyond file", countBeyond});
    std::string recordLength = good;
    recordLength[10] = static_cast<char>(recordLength[10] + 1);
    cases.push_back({"record length", recordLength});
    std::string headerLength = good;
    headerLength[8] = 40;
    headerLength[9] = 0;
    cases.push_back({"header length", headerLength});
    std::string noTerminator = good;
    noTerminator[32 + 4 * 32] = 'X';
    cases.push_back({"no terminator", noTerminator});
    cases.push_back({"truncated in a record", good.substr(0, good.size() - 10)});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFileBytes(dir.file("bad.dbf"), c.bytes);
        auto table = tableAt(dir.path(), "bad.dbf");
        EXPECT_THROW(table->open(), dbf::EngineError);
        EXPECT_FALSE(table->active());
    }
    // Every prefix of a good file opens or raises our error, nothing else.
    for (std::size_t n = 0; n < good.size(); ++n) {
        writeFileBytes(dir.file("cut.dbf"), good.substr(0, n));
        auto table = tableAt(dir.path(), "cut.dbf");
        try {
            table->open();
            readAll(*table, {"KOD", "PRICE"});
        } catch (const dbf::EngineError&) {
        }
    }
}

TEST(Table, AppendAfterCrashOverwritesUncountedBytes) {
    TempFolder dir;
    createWithRows(dir.path(), "c.dbf", {{"S", 'C', 3, 0}}, {{"one"}});
    // A record written without its count, as a crash between the two writes leaves it.
    std::string b = readFileBytes(dir.file("c.dbf"));
    b.pop_back();
    b += " zzz\x1A";
    writeFileBytes(dir.file("c.dbf"), b);
    auto table = tableAt(dir.path(), "c.dbf");
    table->open();
    EXPECT_EQ(table->recordCount(), 1u);
    table->append();
    table->setFieldText("S", "two");
    table->post();
    table->close();
    table->open();
    EXPECT_EQ(readAll(*table, {"S"}), (std::vector<std::string>{"one", "two"}));
}
