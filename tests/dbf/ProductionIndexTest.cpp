// Index tags of the production index on real files: building, upkeep on every post, key
// search, tag order, and the file as libdbd-xbase-perl's index_dump reads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "dbf/EngineError.h"
#include "dbf/Table.h"
#include "tests/dbf/ExternalTool.h"
#include "tests/dbf/IndexTestSupport.h"
#include "tests/dbf/TableTestSupport.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using dbf::FieldDef;
using dbf_test::dumpTag;
using dbf_test::dumpTagNames;
using dbf_test::tableAt;
using testing_support::readFileBytes;
using testing_support::TempFolder;
using testing_support::writeFileBytes;

namespace {

const std::vector<FieldDef> kMappingFields = {
    {"NAME_SP", 'C', 50, 0}, {"ROST", 'C', 2, 0}, {"KOD_ORN", 'C', 20, 0}};

std::string pad(std::string s, std::size_t width) {
    s.resize(width, ' ');
    return s;
}

std::string randomName(std::mt19937& rng) {
    static const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefgh" + "АБВГДЕЖЗИЙабвгдеёжз"_w;
    std::uniform_int_distribution<std::size_t> length(1, 60), pick(0, letters.size() - 1);
    std::string s;
    for (std::size_t n = length(rng); n > 0; --n) s += letters[pick(rng)];
    return s;
}

bool haveIndexDump() { return dbf_test::toolExists(dbf_test::kIndexDump); }

// Appends rows (NAME_SP, ROST) to an open table.
void appendRows(dbf::Table& table, const std::vector<std::pair<std::string, std::string>>& rows) {
    for (const auto& [name, rost] : rows) {
        table.append();
        table.setFieldText("NAME_SP", name);
        table.setFieldText("ROST", rost);
        table.setFieldText("KOD_ORN", "K" + rost);
        table.post();
    }
}

// Sorted (key, record number) pairs the tag NAME_SP+ROST must hold for these rows.
std::vector<std::pair<std::string, unsigned>> expectedKeys(
    const std::vector<std::pair<std::string, std::string>>& rows) {
    std::vector<std::pair<std::string, unsigned>> keys;
    for (std::size_t i = 0; i < rows.size(); ++i)
        keys.emplace_back(pad(rows[i].first.substr(0, 50), 50) + pad(rows[i].second, 2),
                          static_cast<unsigned>(i + 1));
    std::sort(keys.begin(), keys.end());
    return keys;
}

void expectDumpMatches(const std::string& mdx, const std::string& tag,
                       const std::vector<std::pair<std::string, unsigned>>& expected) {
    const auto dumped = dumpTag(mdx, tag, expected.empty() ? 1 : expected.front().first.size());
    ASSERT_EQ(dumped.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(dumped[i].key, expected[i].first) << "key " << i;
        ASSERT_EQ(dumped[i].record, expected[i].second) << "key " << i;
    }
}

std::vector<std::pair<std::string, std::string>> randomRows(std::size_t count, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::pair<std::string, std::string>> rows;
    for (std::size_t i = 0; i < count; ++i)
        rows.emplace_back(randomName(rng), std::to_string(rng() % 20 + 1));
    return rows;
}

unsigned byteAt(const std::string& b, std::size_t at) { return static_cast<unsigned char>(b.at(at)); }

}  // namespace

TEST(ProductionIndex, AddTagBuildsFromRecordsAndFlagsTheTable) {
    TempFolder dir;
    const auto rows = randomRows(300, 1);
    auto table = tableAt(dir.path(), "kodper.dbf", true);
    table->createTable(kMappingFields);
    table->open();
    appendRows(*table, rows);
    table->addTag("NR_IND", "NAME_SP+ROST", dbf::TagOption::Expression, "NAME_SP");
    table->close();
    const std::string dbfBytes = readFileBytes(dir.file("kodper.dbf"));
    EXPECT_EQ(byteAt(dbfBytes, 28), 1u);
    const std::string mdx = readFileBytes(dir.file("kodper.mdx"));
    ASSERT_GE(mdx.size(), 4096u);
    EXPECT_EQ(mdx.size() % 512, 0u);
    EXPECT_EQ(byteAt(mdx, 0), 2u);
    EXPECT_EQ(mdx.substr(4, 7), std::string("KODPER\0", 7));
    EXPECT_EQ(byteAt(mdx, 31), byteAt(dbfBytes, 29));
    EXPECT_EQ(mdx.size() / 512, byteAt(mdx, 32) | byteAt(mdx, 33) << 8);
    if (!haveIndexDump()) GTEST_SKIP() << "index_dump (libdbd-xbase-perl) is not installed";
    EXPECT_EQ(dumpTagNames(dir.file("kodper.mdx")), std::vector<std::string>{"NR_IND"});
    expectDumpMatches(dir.file("kodper.mdx"), "NR_IND", expectedKeys(rows));
}

TEST(ProductionIndex, EveryPostMaintainsEveryTag) {
    TempFolder dir;
    {
        auto table = tableAt(dir.path(), "kodper.dbf", true);
        table->createTable(kMappingFields);
        table->addTag("NR_IND", "NAME_SP+ROST", dbf::TagOption::Expression, "NAME_SP");
        table->addTag("KOD", "KOD_ORN", dbf::TagOption::Expression, "KOD_ORN");
        table->addTag("ROST_NAME", "rost + name_sp", dbf::TagOption::Expression, "ROST");
    }
    // Enough rows for interior nodes and splits at every level of a three-level tree.
    const auto rows = randomRows(6000, 2);
    auto table = tableAt(dir.path(), "kodper.dbf");
    table->open();
    appendRows(*table, rows);
    table->close();
    table->open();  // reopening checks every tag against the records
    table->selectTag("nr_ind");
    EXPECT_EQ(table->selectedTag(), "NR_IND");
    std::vector<std::string> inOrder;
    for (table->first(); !table->eof(); table->next())
        inOrder.push_back(pad(table->fieldText("NAME_SP"), 50) + pad(table->fieldText("ROST"), 2));
    const auto expected = expectedKeys(rows);
    ASSERT_EQ(inOrder.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(inOrder[i], expected[i].first);
    if (!haveIndexDump()) GTEST_SKIP() << "index_dump (libdbd-xbase-perl) is not installed";
    EXPECT_EQ(dumpTagNames(dir.file("kodper.mdx")), (std::vector<std::string>{"KOD", "NR_IND", "ROST_NAME"}));
    expectDumpMatches(dir.file("kodper.mdx"), "NR_IND", expected);
    std::vector<std::pair<std::string, unsigned>> byRost;
    for (std::size_t i = 0; i < rows.size(); ++i)
        byRost.emplace_back(pad(rows[i].second, 2) + pad(rows[i].first.substr(0, 50), 50),
                            static_cast<unsigned>(i + 1));
    std::sort(byRost.begin(), byRost.end());
    expectDumpMatches(dir.file("kodper.mdx"), "ROST_NAME", byRost);
}

TEST(ProductionIndex, AscendingAppendsStillGiveAValidTree) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "edizper.dbf", true);
    table->createTable({{"EDIZ_SP", 'C', 6, 0}});
    table->addTag("EZ_SP_IND", "EDIZ_SP", dbf::TagOption::Expression, "EDIZ_SP");
    table->open();
    std::vector<std::pair<std::string, unsigned>> expected;
    for (unsigned i = 1; i <= 20000; ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "%06u", i);
        table->append();
        table->setFieldText("EDIZ_SP", key);
        table->post();
        expected.emplace_back(key, i);
    }
    table->close();
    EXPECT_NO_THROW(table->open());
    if (!haveIndexDump()) GTEST_SKIP() << "index_dump (libdbd-xbase-perl) is not installed";
    expectDumpMatches(dir.file("edizper.mdx"), "EZ_SP_IND", expected);
}

TEST(ProductionIndex, BuildingATagOverManyRecordsGivesAThreeLevelTree) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "big.dbf", true);
    table->createTable({{"NAME", 'C', 40, 0}});  // 23 keys a node: 3000 keys need three levels
    table->open();
    std::mt19937 rng(3);
    std::vector<std::pair<std::string, unsigned>> expected;
    for (unsigned i = 1; i <= 3000; ++i) {
        const std::string name = randomName(rng).substr(0, 40);
        table->append();
        table->setFieldText("NAME", name);
        table->post();
        expected.emplace_back(pad(name, 40), i);
    }
    table->addTag("NAME", "NAME", dbf::TagOption::Expression, "NAME");
    table->close();
    std::sort(expected.begin(), expected.end());
    const std::string mdx = readFileBytes(dir.file("big.mdx"));
    EXPECT_GT(mdx.size(), (1 + 3000 / 23 + 3000 / 23 / 23 + 1) * 1024u);
    EXPECT_NO_THROW(table->open());
    table->selectTag("NAME");
    std::size_t probe = 1234;
    while (expected[probe - 1].first == expected[probe].first) ++probe;  // the first of equal keys
    table->setKey();
    table->setFieldText("NAME", expected[probe].first);
    ASSERT_TRUE(table->gotoKey());
    EXPECT_EQ(table->recordNumber(), expected[probe].second);
    if (!haveIndexDump()) GTEST_SKIP() << "index_dump (libdbd-xbase-perl) is not installed";
    expectDumpMatches(dir.file("big.mdx"), "NAME", expected);
}

TEST(ProductionIndex, ExactAndNearestSeek) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "kodper.dbf", true);
    table->createTable(kMappingFields);
    table->addTag("NR_IND", "NAME_SP+ROST", dbf::TagOption::Expression, "NAME_SP");
    table->open();
    appendRows(*table, {{"beta", "1"}, {"alpha", "2"}, {"alpha", "1"}, {"gamma", "1"}, {"alpha", "1"}});
    table->selectTag("NR_IND");
    table->gotoRecord(4);

    table->setKey();
    table->setFieldText("NAME_SP", "alpha");
    table->setFieldText("ROST", "1");
    ASSERT_TRUE(table->gotoKey());
    EXPECT_EQ(table->recordNumber(), 3u);  // the first of two equal keys
    table->next();
    EXPECT_EQ(table->recordNumber(), 5u);
    table->next();
    EXPECT_EQ(table->recordNumber(), 2u);

    table->setKey();
    table->setFieldText("NAME_SP", "alpha");
    table->setFieldText("ROST", "3");
    EXPECT_FALSE(table->gotoKey());
    EXPECT_EQ(table->recordNumber(), 2u);  // a miss leaves the position alone
    EXPECT_EQ(table->fieldText("NAME_SP"), "alpha");

    table->setKey();
    table->setFieldText("NAME_SP", "b");
    table->gotoNearest();
    EXPECT_EQ(table->fieldText("NAME_SP"), "beta");
    table->setKey();
    table->setFieldText("NAME_SP", "zzz");
    table->gotoNearest();
    EXPECT_TRUE(table->eof());
    table->setKey();
    table->setFieldText("NAME_SP", "");
    table->gotoNearest();
    EXPECT_EQ(table->recordNumber(), 3u);
}

TEST(ProductionIndex, SeekSkipsDeletedRecords) {
    TempFolder dir;
    {
        auto table = tableAt(dir.path(), "e.dbf", true);
        table->createTable({{"EDIZ_SP", 'C', 6, 0}});
        table->addTag("EZ", "EDIZ_SP", dbf::TagOption::Expression, "EDIZ_SP");
        table->open();
        for (const char* v : {"m", "kg", "m", "t"}) {
            table->append();
            table->setFieldText("EDIZ_SP", v);
            table->post();
        }
    }
    std::string b = readFileBytes(dir.file("e.dbf"));
    b[32 + 32 + 1] = '*';  // record 1 ("m") deleted; dBASE keeps its key in the tag
    writeFileBytes(dir.file("e.dbf"), b);
    auto table = tableAt(dir.path(), "e.dbf");
    table->selectTag("ez");  // checked when the table opens
    table->open();
    EXPECT_EQ(dbf_test::readAll(*table, {"EDIZ_SP"}), (std::vector<std::string>{"kg", "m", "t"}));
    table->setKey();
    table->setFieldText("EDIZ_SP", "m");
    ASSERT_TRUE(table->gotoKey());
    EXPECT_EQ(table->recordNumber(), 3u);
}

TEST(ProductionIndex, TagSelectionAndDefinitions) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "t.dbf");
    table->createTable(kMappingFields);
    table->refreshIndexDefs();
    EXPECT_TRUE(table->indexDefNames().empty());
    EXPECT_THROW(table->addTag("NR_IND", "NAME_SP+ROST", dbf::TagOption::Expression, ""), dbf::EngineError);
    table->setExclusive(true);
    table->addTag("NR_IND", "NAME_SP+ROST", dbf::TagOption::Expression, "");
    EXPECT_THROW(table->addTag("nr_ind", "ROST", dbf::TagOption::Expression, ""), dbf::EngineError);
    table->refreshIndexDefs();
    EXPECT_EQ(table->indexDefNames(), std::vector<std::string>{"NR_IND"});
    table->setExclusive(false);
    table->selectTag("MISSING");
    EXPECT_THROW(table->open(), dbf::EngineError);
    EXPECT_FALSE(table->active());
    table->selectTag("");
    table->open();
    EXPECT_THROW(table->selectTag("MISSING"), dbf::EngineError);
    table->selectTag("Nr_Ind");
    EXPECT_EQ(table->selectedTag(), "NR_IND");
    table->refreshIndexDefs();
    EXPECT_EQ(table->indexDefNames(), std::vector<std::string>{"NR_IND"});
    EXPECT_THROW(table->addTag("OTHER", "ROST", dbf::TagOption::Expression, ""), dbf::EngineError);  // shared
}

TEST(ProductionIndex, RefusesExpressionsItCannotKeep) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "t.dbf", true);
    table->createTable({{"NAME", 'C', 60, 0}, {"MORE", 'C', 50, 0}, {"PRICE", 'N', 10, 2}});
    for (const char* expression : {"PRICE", "UPPER(NAME)", "NAME+", "NOSUCH", "NAME+MORE", "", "NAME-MORE"}) {
        SCOPED_TRACE(expression);
        EXPECT_THROW(table->addTag("T", expression, dbf::TagOption::Expression, ""), dbf::EngineError);
    }
    EXPECT_THROW(table->addTag("ELEVENCHARS", "NAME", dbf::TagOption::Expression, ""), dbf::EngineError);
    EXPECT_THROW(table->addTag("", "NAME", dbf::TagOption::Expression, ""), dbf::EngineError);
    table->refreshIndexDefs();
    EXPECT_TRUE(table->indexDefNames().empty());
    EXPECT_FALSE(testing_support::readFileBytes(dir.file("t.dbf")).at(28));
}

TEST(ProductionIndex, AnIndexThatDoesNotMatchTheTableIsRefused) {
    TempFolder dir;
    {
        auto table = tableAt(dir.path(), "e.dbf", true);
        table->createTable({{"EDIZ_SP", 'C', 6, 0}});
        table->open();
        for (const char* v : {"m", "kg", "t"}) {
            table->append();
            table->setFieldText("EDIZ_SP", v);
            table->post();
        }
        table->addTag("EZ", "EDIZ_SP", dbf::TagOption::Expression, "EDIZ_SP");
    }
    const std::string dbfGood = readFileBytes(dir.file("e.dbf"));
    const std::string mdxGood = readFileBytes(dir.file("e.mdx"));
    const std::size_t root = 3072;  // the tag header is at page 4, the one leaf at page 6
    struct Case {
        const char* what;
        std::string dbf, mdx;
    };
    std::vector<Case> cases;
    std::string changedRecord = dbfGood;
    changedRecord[32 + 32 + 1 + 1] = 'x';  // record 1 no longer has the key the tag holds
    cases.push_back({"record changed behind the index", changedRecord, mdxGood});
    std::string extraRecord = dbfGood;
    extraRecord.insert(extraRecord.size() - 1, " zzzzzz");
    extraRecord[4] = 4;
    cases.push_back({"record the tag lacks", extraRecord, mdxGood});
    std::string swapped = mdxGood;
    std::swap_ranges(swapped.begin() + root + 8, swapped.begin() + root + 8 + 12,
                     swapped.begin() + root + 20);
    cases.push_back({"keys out of order", dbfGood, swapped});
    std::string loop = mdxGood;
    loop[2048] = 8;  // root pointer to page 8, beyond the file
    cases.push_back({"root outside the file", dbfGood, loop});
    std::string selfLoop = mdxGood;
    selfLoop[root + 8 + 3 * 12] = 6;  // the leaf becomes an interior node pointing at itself
    cases.push_back({"node pointing at itself", dbfGood, selfLoop});
    std::string tooMany = mdxGood;
    tooMany[root] = 100;
    cases.push_back({"count above the maximum", dbfGood, tooMany});
    cases.push_back({"truncated", dbfGood, mdxGood.substr(0, 3000)});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFileBytes(dir.file("e.dbf"), c.dbf);
        writeFileBytes(dir.file("e.mdx"), c.mdx);
        auto table = tableAt(dir.path(), "e.dbf");
        try {
            table->open();
            ADD_FAILURE() << "opened";
        } catch (const dbf::EngineError& e) {
            // The fault is reported against the index, which the table helper then rebuilds.
            EXPECT_NE(std::string(e.what()).find(dir.file("e.mdx")), std::string::npos)
                << text::cp1251ToUtf8(e.what());
        }
        EXPECT_FALSE(table->active());
    }
    writeFileBytes(dir.file("e.dbf"), dbfGood);
    writeFileBytes(dir.file("e.mdx"), mdxGood);
    EXPECT_NO_THROW(tableAt(dir.path(), "e.dbf")->open());
}

TEST(ProductionIndex, TableWithoutTheHeaderFlagIgnoresItsIndex) {
    TempFolder dir;
    {
        auto table = tableAt(dir.path(), "e.dbf", true);
        table->createTable({{"EDIZ_SP", 'C', 6, 0}});
        table->addTag("EZ", "EDIZ_SP", dbf::TagOption::Expression, "EDIZ_SP");
    }
    std::string b = readFileBytes(dir.file("e.dbf"));
    b[28] = 0;
    writeFileBytes(dir.file("e.dbf"), b);
    auto table = tableAt(dir.path(), "e.dbf");
    table->open();
    EXPECT_THROW(table->selectTag("EZ"), dbf::EngineError);
    table->close();
    table->refreshIndexDefs();
    EXPECT_TRUE(table->indexDefNames().empty());
}

TEST(ProductionIndex, AFieldThatIsATagByItselfIsMarkedInItsDescriptor) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "k.dbf", true);
    table->createTable({{"NAME_SP", 'C', 20, 0}, {"ROST", 'C', 2, 0}, {"KOD", 'C', 5, 0}});
    table->addTag("NR_IND", "NAME_SP+ROST", dbf::TagOption::Expression, "NAME_SP");
    const auto descriptorFlag = [&](int field) {
        return static_cast<int>(readFileBytes(dir.file("k.dbf")).at(32 + 32 * field + 31));
    };
    EXPECT_EQ(descriptorFlag(0), 0);  // part of a longer key only
    EXPECT_EQ(descriptorFlag(1), 0);
    table->addTag("KOD", "KOD", dbf::TagOption::Expression, "KOD");
    EXPECT_EQ(descriptorFlag(0), 0);
    EXPECT_EQ(descriptorFlag(1), 0);
    EXPECT_EQ(descriptorFlag(2), 1);
    table->open();  // the flag does not disturb reading the table
    EXPECT_EQ(table->fields().size(), 3u);
}
