// Exact key seeks of a table that is sought often: after enough seeks they are answered from a
// table of the tag's keys in memory instead of the tree, and must give exactly what the tree
// gives, through duplicates, deleted records, posts between seeks and walks on from a hit.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "dbf/EngineError.h"
#include "dbf/Table.h"
#include "tests/dbf/TableTestSupport.h"
#include "tests/support/TempFolder.h"

using dbf_test::tableAt;
using testing_support::readFileBytes;
using testing_support::TempFolder;
using testing_support::writeFileBytes;

namespace {

constexpr int kSeeksBeyondTheThreshold = 300;  // more than the tree seeks before a key table

const std::vector<dbf::FieldDef> kFields = {{"NAME", 'C', 12, 0}, {"ROST", 'C', 2, 0}, {"CODE", 'C', 8, 0}};

struct Row {
    std::string name, rost;
};

// Names from a small alphabet, so that many rows share keys and long prefixes.
std::vector<Row> randomRows(std::size_t count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> length(1, 12), letter(0, 2), rost(1, 3);
    std::vector<Row> rows;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name;
        for (int n = length(rng) % 4 + 1; n > 0; --n) name += static_cast<char>('a' + letter(rng));
        rows.push_back({name, std::to_string(rost(rng))});
    }
    return rows;
}

void append(dbf::Table& table, const Row& row, std::uint32_t number) {
    table.append();
    table.setFieldText("NAME", row.name);
    table.setFieldText("ROST", row.rost);
    table.setFieldText("CODE", "C" + std::to_string(number));
    table.post();
}

// The record an exact seek must stand on: the first record of the key that is not deleted
// (keys of equal value stand in the tag in the order they were added), 0 for none.
class Expected {
public:
    void add(const Row& row, std::uint32_t number) { firstOf_.emplace(keyOf(row), number); }
    std::uint32_t of(const Row& row) const {
        const auto found = firstOf_.find(keyOf(row));
        return found == firstOf_.end() ? 0 : found->second;
    }

private:
    static std::string keyOf(const Row& row) { return row.name + "|" + row.rost; }
    std::map<std::string, std::uint32_t> firstOf_;
};

std::uint32_t seek(dbf::Table& table, const Row& row) {
    table.setKey();
    table.setFieldText("NAME", row.name);
    table.setFieldText("ROST", row.rost);
    return table.gotoKey() ? table.recordNumber() : 0;
}

// Every key that may be asked: the stored ones and some that never were.
std::vector<Row> probes(const std::vector<Row>& stored) {
    std::vector<Row> all = stored;
    for (const Row& row : randomRows(40, 99)) all.push_back({row.name + "z", row.rost});
    all.push_back({"", "1"});
    all.push_back({"a", "4"});
    return all;
}

}  // namespace

TEST(ExactSeek, ManySeeksGiveWhatTheTreeGives) {
    TempFolder dir;
    const std::vector<Row> rows = randomRows(400, 7);
    {
        auto table = tableAt(dir.path(), "t.dbf", true);
        table->createTable(kFields);
        table->addTag("NR", "NAME+ROST", dbf::TagOption::Expression, "NAME");
        table->open();
        for (std::size_t i = 0; i < rows.size(); ++i) append(*table, rows[i], static_cast<std::uint32_t>(i + 1));
    }
    // Records 1 and 2 deleted by another program; dBASE keeps their keys in the tag.
    std::string bytes = readFileBytes(dir.file("t.dbf"));
    const std::size_t header = 32 + 32 * kFields.size() + 1, length = 1 + 12 + 2 + 8;
    bytes[header] = '*';
    bytes[header + length] = '*';
    writeFileBytes(dir.file("t.dbf"), bytes);
    Expected expected;
    for (std::size_t i = 2; i < rows.size(); ++i) expected.add(rows[i], static_cast<std::uint32_t>(i + 1));

    auto table = tableAt(dir.path(), "t.dbf");
    table->selectTag("NR");
    table->open();
    const std::vector<Row> asked = probes(rows);
    // Several rounds: the first ones go down the tree, the later ones use the key table.
    for (int round = 0; round < 4; ++round)
        for (const Row& row : asked)
            ASSERT_EQ(seek(*table, row), expected.of(row)) << "round " << round << " key " << row.name << "|" << row.rost;
    // Record 1's key, deleted there, leads to the next record holding it, if any.
    EXPECT_EQ(seek(*table, rows[0]), expected.of(rows[0]));
}

TEST(ExactSeek, PostsBetweenSeeksAreFoundAtOnce) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "t.dbf", true);
    table->createTable(kFields);
    table->addTag("NR", "NAME+ROST", dbf::TagOption::Expression, "NAME");
    table->open();
    table->selectTag("NR");
    const std::vector<Row> rows = randomRows(200, 11);
    Expected expected;
    std::uint32_t number = 0;
    for (const Row& row : rows) {
        append(*table, row, ++number);
        expected.add(row, number);
    }
    for (int i = 0; i < kSeeksBeyondTheThreshold; ++i) {
        const Row& row = rows[static_cast<std::size_t>(i) % rows.size()];
        ASSERT_EQ(seek(*table, row), expected.of(row));
    }
    // New keys, and keys that are there already (the first record of a key stays the answer),
    // each sought right after its post; more posts than the key table has room for at first.
    const std::vector<Row> later = randomRows(2500, 12);
    for (std::size_t i = 0; i < later.size(); ++i) {
        const Row row{later[i].name + (i % 3 == 0 ? "n" : ""), later[i].rost};
        append(*table, row, ++number);
        expected.add(row, number);
        ASSERT_EQ(seek(*table, row), expected.of(row)) << "after post " << number;
        const Row& old = rows[i % rows.size()];
        ASSERT_EQ(seek(*table, old), expected.of(old)) << "after post " << number;
    }
    for (const Row& row : probes(later)) ASSERT_EQ(seek(*table, row), expected.of(row));
}

TEST(ExactSeek, WalkGoesOnInTagOrderFromAHit) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "t.dbf", true);
    table->createTable(kFields);
    table->addTag("NR", "NAME+ROST", dbf::TagOption::Expression, "NAME");
    table->open();
    table->selectTag("NR");
    const std::vector<Row> rows = randomRows(150, 21);
    std::uint32_t number = 0;
    for (const Row& row : rows) append(*table, row, ++number);
    // The records in tag order, as a walk from the first one gives them.
    std::vector<std::uint32_t> order;
    for (table->first(); !table->eof(); table->next()) order.push_back(table->recordNumber());
    ASSERT_EQ(order.size(), rows.size());
    for (int round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < rows.size(); i += 7) {
            const std::uint32_t hit = seek(*table, rows[i]);
            ASSERT_NE(hit, 0u);
            std::size_t at = 0;
            while (order[at] != hit) ++at;
            // Two steps on, as from the same record reached by a walk.
            for (std::size_t step = 1; step <= 2 && at + step < order.size(); ++step) {
                table->next();
                ASSERT_EQ(table->recordNumber(), order[at + step]) << "round " << round << " from " << hit;
            }
        }
        // A miss leaves the table where it stood.
        const std::uint32_t before = table->recordNumber();
        EXPECT_EQ(seek(*table, {"zzzz", "1"}), 0u);
        EXPECT_EQ(table->recordNumber(), before);
        for (int i = 0; i < 100; ++i) seek(*table, rows[static_cast<std::size_t>(i)]);
    }
}

TEST(ExactSeek, FieldsReadByPositionAreTheTextsReadByName) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "t.dbf", true);
    table->createTable({{"NAME", 'C', 20, 0}, {"PRICE", 'N', 10, 2}, {"NOTE", 'C', 9, 0}});
    table->open();
    const std::vector<std::vector<std::string>> values = {
        {"plain", "12.5", "x"}, {"", "", ""}, {"trailing   ", "-3", "  lead"}, {"exactly twenty chars", "0", "123456789"}};
    for (const auto& row : values) {
        table->append();
        table->setFieldText("NAME", row[0]);
        table->setFieldText("PRICE", row[1]);
        table->setFieldText("NOTE", row[2]);
        table->post();
    }
    const std::vector<std::string> names = {"NAME", "PRICE", "NOTE"};
    int records = 0;
    for (table->first(); !table->eof(); table->next(), ++records)
        for (std::size_t f = 0; f < names.size(); ++f) {
            EXPECT_EQ(table->fieldPosition(names[f]), f);
            EXPECT_EQ(std::string(table->fieldView(f)), table->fieldText(names[f]));
        }
    EXPECT_EQ(records, 4);
    EXPECT_EQ(table->fieldPosition("note"), 2u);
    table->first();
    EXPECT_EQ(table->fieldView(1), "12.50");
    EXPECT_EQ(table->fieldView(2), "x");
    table->next();
    EXPECT_EQ(table->fieldView(0), "");
    EXPECT_THROW(table->fieldView(3), dbf::EngineError);
    EXPECT_THROW(table->fieldPosition("MISSING"), dbf::EngineError);
}
