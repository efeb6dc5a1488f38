// Tables and production indexes written by Free Pascal's TDbf: we read, seek and append to
// them, and TDbf walks every tag afterwards over exactly the records it should hold. Tags we
// cannot keep are kept byte for byte and a post is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "dbf/EngineError.h"
#include "dbf/Table.h"
#include "dbf/Wdbffile.h"
#include "tests/dbf/TableTestSupport.h"
#include "tests/dbf/TdbfTool.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using dbf_test::kTdbfTags;
using dbf_test::tableAt;
using testing_support::readFileBytes;
using testing_support::TempFolder;
using testing_support::writeFileBytes;

namespace {

constexpr int kWindows1251 = 0xC9;
constexpr int kWesternEurope = 0x58;  // a driver TDbf orders text for by its own collation

// Record numbers in our tag order.
std::vector<std::uint32_t> ourWalk(dbf::Table& table, const std::string& tag) {
    table.selectTag(tag);
    std::vector<std::uint32_t> records;
    for (table.first(); !table.eof(); table.next()) records.push_back(table.recordNumber());
    return records;
}

struct Row {
    std::string name, code, shortKey, price, qty, day;
};

// The fixture's rows (as tdbftool.pas appends them), then the rows our tests append.
const std::vector<Row> kFixtureRows = {
    {"pear", "B2", "zz", "12.5", "40", "20240301"},  {"Apple", "A1", "ab", "3.75", "-2", "20231231"},
    {"cherry", "C3", "ab", "0.5", "0", "20240115"},  {"apple", "A1", "yy", "100", "7", "20240229"},
    {"Banana", "D4", "cd", "-8.25", "1000", "20240301"},
};
const std::vector<Row> kAppendedRows = {
    {"apple", "A1", "ab", "-0.5", "7", "20240301"},   // a name, code and quantity already there
    {"Zed", "E5", "aa", "12345.67", "-3", "20220101"},
    {"cherry", "F6", "zz", "0.25", "0", "20230615"},
    {"aardvark", "B2", "ab", "0", "99999", "19991231"},
};

void append(dbf::Table& table, const Row& row) {
    table.append();
    table.setFieldText("NAME", row.name);
    table.setFieldText("CODE", row.code);
    table.setFieldText("SHORT", row.shortKey);
    table.setFieldText("PRICE", row.price);
    table.setFieldText("QTY", row.qty);
    table.setFieldText("DAY", row.day);
    table.post();
}

// Record numbers of `rows` (1-based) sorted by `less`, equal keys by record number.
template <class Less>
std::vector<std::uint32_t> expectedOrder(const std::vector<Row>& rows, Less less) {
    std::vector<std::uint32_t> order(rows.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i + 1;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return less(rows[a - 1], rows[b - 1]); });
    return order;
}

}  // namespace

TEST(TdbfInterop, EveryTagTdbfWroteIsReadInItsOrderAndSought) {
    if (!dbf_test::haveTdbfTool()) GTEST_SKIP() << "fpc and fp-units-db are not installed";
    TempFolder dir;
    dbf_test::tdbfMake(dir.path(), "kinds.dbf", 4, kWindows1251);
    auto table = tableAt(dir.path(), "kinds.dbf");
    table->open();
    for (const std::string& tag : kTdbfTags) {
        SCOPED_TRACE(tag);
        EXPECT_EQ(ourWalk(*table, tag), dbf_test::tdbfWalk(dir.path(), "kinds.dbf", tag));
    }
    EXPECT_EQ(ourWalk(*table, "NAME"), expectedOrder(kFixtureRows, [](const Row& a, const Row& b) {
                  return a.name < b.name;
              }));
    struct Seek {
        const char* tag;
        const char* field;
        const char* value;
        bool exact;
        std::uint32_t record;  // 0: not found / end
    };
    const Seek seeks[] = {
        {"NAME", "NAME", "cherry", true, 3},    {"NAME", "NAME", "cherr", true, 0},
        {"NAME", "NAME", "b", false, 3},        {"NAMEDESC", "NAME", "Apple", true, 2},
        {"PRICE", "PRICE", "0.5", true, 3},     {"PRICE", "PRICE", "-8.25", true, 5},
        {"PRICE", "PRICE", "4", false, 1},      {"PRICE", "PRICE", "101", false, 0},
        {"QTYDESC", "QTY", "8", false, 4},      {"QTYDESC", "QTY", "1000", true, 5},
        {"CODEUNIQ", "CODE", "A1", true, 2},    {"UPNAME", "NAME", "APPLE", true, 2},
    };
    for (const Seek& s : seeks) {
        SCOPED_TRACE(std::string(s.tag) + " " + s.value);
        table->selectTag(s.tag);
        table->setKey();
        table->setFieldText(s.field, s.value);
        if (s.exact) {
            EXPECT_EQ(table->gotoKey(), s.record != 0);
            if (s.record) {
                EXPECT_EQ(table->recordNumber(), s.record);
            }
        } else {
            table->gotoNearest();
            EXPECT_EQ(table->recordNumber(), s.record);
        }
    }
}

TEST(TdbfInterop, OurAppendsKeepEveryTagAsTdbfWalksIt) {
    if (!dbf_test::haveTdbfTool()) GTEST_SKIP() << "fpc and fp-units-db are not installed";
    TempFolder dir;
    dbf_test::tdbfMake(dir.path(), "kinds.dbf", 4, kWindows1251);
    {
        auto table = tableAt(dir.path(), "kinds.dbf");
        table->open();
        for (const Row& row : kAppendedRows) append(*table, row);
    }
    std::vector<Row> rows = kFixtureRows;
    rows.insert(rows.end(), kAppendedRows.begin(), kAppendedRows.end());
    auto number = [](const std::string& s) { return std::stod(s); };
    const std::map<std::string, std::vector<std::uint32_t>> expected = {
        {"NAME", expectedOrder(rows, [](const Row& a, const Row& b) { return a.name < b.name; })},
        {"SHORT", expectedOrder(rows, [](const Row& a, const Row& b) { return a.shortKey < b.shortKey; })},
        {"NAMEDESC", expectedOrder(rows, [](const Row& a, const Row& b) { return a.name > b.name; })},
        {"PRICE", expectedOrder(rows, [&](const Row& a, const Row& b) { return number(a.price) < number(b.price); })},
        {"QTYDESC", expectedOrder(rows, [&](const Row& a, const Row& b) { return number(a.qty) > number(b.qty); })},
        {"UPNAME", expectedOrder(rows, [](const Row& a, const Row& b) {
             return text::upperCase1251(a.name) < text::upperCase1251(b.name);
         })},
    };
    auto table = tableAt(dir.path(), "kinds.dbf");
    table->open();  // our own check of every tag against the records
    for (const std::string& tag : kTdbfTags) {
        SCOPED_TRACE(tag);
        const auto walked = dbf_test::tdbfWalk(dir.path(), "kinds.dbf", tag);
        EXPECT_EQ(ourWalk(*table, tag), walked);
        const auto e = expected.find(tag);
        if (e != expected.end()) {
            EXPECT_EQ(walked, e->second);
        }
    }
    // One entry per code: the first record of each.
    EXPECT_EQ(dbf_test::tdbfWalk(dir.path(), "kinds.dbf", "CODEUNIQ"), (std::vector<std::uint32_t>{2, 1, 3, 5, 7, 8}));
}
