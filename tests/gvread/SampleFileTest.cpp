// Source price files written by konvika-sample and the shipped sample, read back through the
// reader: the generator's options, its records and its reproducibility.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <regex>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "gvread/Reader.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

extern char** environ;

using gvread::Reader;
using testing_support::readFileBytes;
using testing_support::TempFolder;

namespace {

int runSampleTool(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{KONVIKA_SAMPLE_TOOL};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Keep the test output clean: the usage text of refused options goes nowhere.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

std::vector<std::vector<std::string>> readTables(const std::string& path) {
    Reader reader;
    EXPECT_EQ(reader.open(path.c_str()), GV_OK) << path;
    std::vector<std::vector<std::string>> tables;
    const GvTableId* ids = reader.tables();
    for (int t = 0; t < reader.tableCount(); ++t) {
        const char* const* records = reader.records(ids[t]);
        EXPECT_EQ(reader.lastError(), GV_OK);
        std::vector<std::string> table;
        for (int r = 0; r < reader.recordCount(); ++r) table.push_back(records[r]);
        tables.push_back(table);
    }
    return tables;
}

std::vector<std::string> fields(const std::string& record) {
    std::vector<std::string> result(1);
    for (char c : record) {
        if (c == '@') {
            result.emplace_back();
        } else {
            result.back() += c;
        }
    }
    return result;
}

std::vector<std::string> allRecords(const std::vector<std::vector<std::string>>& tables) {
    std::vector<std::string> records;
    for (const auto& table : tables) records.insert(records.end(), table.begin(), table.end());
    return records;
}

const std::regex kValidNumeric("[0-9]{3}-[0-9]{4}|[0-9]{3}-[0-9]{4}-[1-9][0-9]{0,2}|[0-9]{9}|[0-9]{2}-[0-9]{4}");
const std::regex kPrice("[1-9][0-9]*|(0|[1-9][0-9]*)[,.][0-9]{2}");

class SampleTool : public ::testing::Test {
protected:
    std::string generate(const std::vector<std::string>& options, const std::string& name = "s.txt") {
        std::vector<std::string> arguments{"--output", folder_.file(name)};
        arguments.insert(arguments.end(), options.begin(), options.end());
        EXPECT_EQ(runSampleTool(arguments), 0);
        return folder_.file(name);
    }
    TempFolder folder_;
};

}  // namespace

TEST_F(SampleTool, RecordsAreSpreadOverTheTablesThatAreNotEmpty) {
    const auto tables = readTables(generate({"--tables", "7", "--records", "23", "--empty-tables", "2"}));
    ASSERT_EQ(tables.size(), 7u);
    std::vector<std::size_t> counts;
    for (const auto& t : tables) counts.push_back(t.size());
    // 23 over 5 tables: 5 5 5 4 4; the empty ones at positions 1 and 5.
    EXPECT_EQ(counts, (std::vector<std::size_t>{5, 0, 5, 5, 4, 0, 4}));
}

TEST_F(SampleTool, ValidRecordsHaveSevenFieldsStandardUnitsAndPrices) {
    const auto records = allRecords(readTables(generate({"--tables", "4", "--records", "400", "--seed", "3"})));
    ASSERT_EQ(records.size(), 400u);
    const std::set<std::string> standard = {"м"_w, "м2"_w, "м3"_w, "т"_w, "кг"_w, "шт"_w, "компл"_w,
                                            "100 м"_w, "100 м2"_w, "100 м3"_w, "1000 шт"_w, "10 м"_w,
                                            "чел.-ч"_w, "маш.-ч"_w};
    std::set<std::string> types;
    std::set<std::string> names;
    for (const std::string& record : records) {
        const auto f = fields(record);
        ASSERT_EQ(f.size(), 7u) << record;
        types.insert(f[0]);
        EXPECT_TRUE(std::regex_match(f[1], kValidNumeric)) << f[1];
        EXPECT_FALSE(f[2].empty());
        EXPECT_EQ(f[2].find_first_of("\r\n\t"), std::string::npos);
        names.insert(f[2]);
        EXPECT_EQ(standard.count(f[3]), 1u) << text::cp1251ToUtf8(f[3]);
        for (int p : {4, 5, 6}) EXPECT_TRUE(std::regex_match(f[p], kPrice)) << f[p];
        EXPECT_EQ(f[4], f[6]);
    }
    EXPECT_EQ(types, (std::set<std::string>{"1", "3", "4"}));
    EXPECT_GT(names.size(), 350u);  // names key the code mapping, so they rarely repeat
}

TEST_F(SampleTool, InvalidCodesAndOddUnitsInTheirProportions) {
    const auto records = allRecords(readTables(
        generate({"--records", "2000", "--invalid-percent", "30", "--odd-units-percent", "100"})));
    int invalid = 0;
    const std::set<std::string> odd = {"кв.м"_w, "куб.м"_w, "шт."_w, "тн"_w, "пог.м"_w, "м.кв."_w, "Т"_w, "штук"_w};
    for (const std::string& record : records) {
        const auto f = fields(record);
        ASSERT_EQ(f.size(), 7u);
        if (!std::regex_match(f[1], kValidNumeric)) ++invalid;
        EXPECT_EQ(odd.count(f[3]), 1u) << text::cp1251ToUtf8(f[3]);
    }
    EXPECT_GT(invalid, 480);
    EXPECT_LT(invalid, 720);
}

TEST_F(SampleTool, EveryCodeInvalidWhenAskedFor) {
    const std::regex invalidForms("[0-9]{3}-[0-9]-5-|[0-9]{3}\\.[0-9]|[0-9]{2}-[0-9]{2}|[0-9]{3}-[0-9]{4}-5\xE0" "1");
    for (const std::string& record : allRecords(readTables(generate({"--records", "300", "--invalid-percent", "100"})))) {
        const auto f = fields(record);
        EXPECT_EQ(f[0], "4");
        EXPECT_TRUE(std::regex_match(f[1], invalidForms)) << text::cp1251ToUtf8(f[1]);
    }
}

TEST_F(SampleTool, BaseLetterMWritesLetteredDottedCodesOfTypeTwo) {
    const std::regex dotted("[0-9]{1,2}\\.[0-9]{1,4}-[0-9]{1,4}-[0-9]{1,3}");
    const std::set<char> letters = {"С"_w[0], "Х"_w[0], "З"_w[0]};
    for (const std::string& record : allRecords(readTables(generate({"--base", "M", "--records", "200"})))) {
        const auto f = fields(record);
        EXPECT_EQ(f[0], "2");
        ASSERT_FALSE(f[1].empty());
        EXPECT_EQ(letters.count(f[1][0]), 1u) << text::cp1251ToUtf8(f[1]);
        EXPECT_TRUE(std::regex_match(f[1].substr(1), dotted)) << text::cp1251ToUtf8(f[1]);
    }
}

TEST_F(SampleTool, SameSeedSameBytesOtherSeedOtherBytes) {
    const std::string a = readFileBytes(generate({"--records", "100", "--seed", "42"}, "a.txt"));
    const std::string b = readFileBytes(generate({"--records", "100", "--seed", "42"}, "b.txt"));
    const std::string c = readFileBytes(generate({"--records", "100", "--seed", "43"}, "c.txt"));
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(a.compare(0, 10, "GARVENA 1\n"), 0);
}

TEST_F(SampleTool, CrLfFileHoldsTheSameRecords) {
    const std::string lf = generate({"--records", "50", "--seed", "5"}, "lf.txt");
    const std::string crlf = generate({"--records", "50", "--seed", "5", "--crlf"}, "crlf.txt");
    EXPECT_NE(readFileBytes(crlf).find("\r\n"), std::string::npos);
    EXPECT_EQ(readTables(crlf), readTables(lf));
}

TEST_F(SampleTool, OwnUnitListsAreUsed) {
    for (const std::string& record : allRecords(readTables(
             generate({"--records", "60", "--units", "м,шт", "--odd-units", "штука", "--odd-units-percent", "50"})))) {
        const std::string unit = fields(record)[3];
        EXPECT_TRUE(unit == "м"_w || unit == "шт"_w || unit == "штука"_w) << text::cp1251ToUtf8(unit);
    }
}

TEST_F(SampleTool, RefusesBadOptionsAndUnwritableOutput) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"--output"},
        {"--output", folder_.file("x"), "--tables", "-1"},
        {"--output", folder_.file("x"), "--tables", "2x"},
        {"--output", folder_.file("x"), "--invalid-percent", "101"},
        {"--output", folder_.file("x"), "--base", "MG"},
        {"--output", folder_.file("x"), "--tables", "2", "--empty-tables", "3"},
        {"--output", folder_.file("x"), "--tables", "0", "--records", "1"},
        {"--output", folder_.file("x"), "--units", "a@b"},
        {"--output", folder_.file("x"), "--colour", "red"},
    };
    for (const auto& arguments : refused) EXPECT_EQ(runSampleTool(arguments), 2) << arguments.size();
    EXPECT_EQ(runSampleTool({"--output", folder_.file("no/such/folder/x.txt")}), 1);
}

TEST_F(SampleTool, NoTablesGivesTheSignatureAlone) {
    EXPECT_EQ(readFileBytes(generate({"--tables", "0", "--records", "0"})), "GARVENA 1\n");
}

TEST(ShippedSample, ReadsAsDocumented) {
    const auto tables = readTables(std::string(KONVIKA_SOURCE_DIR_FOR_TESTS) + "/sample/prices.txt");
    std::vector<std::size_t> counts;
    for (const auto& t : tables) counts.push_back(t.size());
    EXPECT_EQ(counts, (std::vector<std::size_t>{8, 11, 9, 0, 9}));
    int empty = 0;
    for (const std::string& record : allRecords(tables)) {
        if (record.empty()) {
            ++empty;
            continue;
        }
        EXPECT_EQ(fields(record).size(), 7u) << text::cp1251ToUtf8(record);
        // Windows-1251 has no character at 0x98; UTF-8 would show its lead bytes 0xD0/0xD1
        // followed by bytes 0x80-0xBF all over.
        EXPECT_EQ(record.find('\x98'), std::string::npos);
        EXPECT_EQ(text::utf8ToCp1251(text::cp1251ToUtf8(record)), record);
    }
    EXPECT_EQ(empty, 1);
}
