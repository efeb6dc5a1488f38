// Less travelled paths of the table engine: read-only files, stale indexes, seeks without a
// tag, tag order across posts, flushing posts.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "dbf/EngineError.h"
#include "dbf/Table.h"
#include "platform/Files.h"
#include "tests/dbf/TableTestSupport.h"
#include "tests/support/TempFolder.h"

using dbf_test::createWithRows;
using dbf_test::readAll;
using dbf_test::tableAt;
using testing_support::readFileBytes;
using testing_support::TempFolder;

TEST(TableEdge, ReadOnlyFileOpensForReadingAndRefusesAppends) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes read-only files anyway";
    TempFolder dir;
    createWithRows(dir.path(), "r.dbf", {{"S", 'C', 2, 0}}, {{"a"}});
    ASSERT_EQ(::chmod(dir.file("r.dbf").c_str(), 0444), 0);
    auto table = tableAt(dir.path(), "r.dbf");
    table->open();
    EXPECT_EQ(table->fieldText("S"), "a");
    EXPECT_THROW(table->append(), dbf::EngineError);
}

TEST(TableEdge, CreatingATableRemovesAStaleIndex) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "s.dbf", true);
    table->createTable({{"S", 'C', 2, 0}});
    table->addTag("S", "S", dbf::TagOption::Expression, "S");
    ASSERT_TRUE(platform::fileExists(dir.file("s.mdx")));
    table->createTable({{"T", 'C', 4, 0}});
    EXPECT_FALSE(platform::fileExists(dir.file("s.mdx")));
    table->open();
    EXPECT_TRUE(table->hasField("T"));
    EXPECT_FALSE(table->hasField("S"));
    EXPECT_THROW(table->createTable({{"T", 'C', 4, 0}}), dbf::EngineError);  // not over an open table
}

TEST(TableEdge, KeySearchNeedsASelectedTag) {
    TempFolder dir;
    createWithRows(dir.path(), "k.dbf", {{"S", 'C', 2, 0}}, {{"a"}});
    auto table = tableAt(dir.path(), "k.dbf");
    table->open();
    table->setKey();
    table->setFieldText("S", "a");
    EXPECT_THROW(table->gotoKey(), dbf::EngineError);
    EXPECT_THROW(table->gotoNearest(), dbf::EngineError);
}

TEST(TableEdge, TagOrderGoesOnFromAPostedRecord) {
    TempFolder dir;
    auto table = tableAt(dir.path(), "o.dbf", true);
    table->createTable({{"S", 'C', 3, 0}});
    table->addTag("S", "S", dbf::TagOption::Expression, "S");
    table->open();
    table->selectTag("S");
    for (const char* v : {"d", "b", "f", "a"}) {
        table->append();
        table->setFieldText("S", v);
        table->post();
    }
    table->append();
    table->setFieldText("S", "c");
    table->post();
    EXPECT_EQ(table->fieldText("S"), "c");  // the posted record is the current one
    table->next();
    EXPECT_EQ(table->fieldText("S"), "d");
    table->gotoRecord(2);
    table->next();
    EXPECT_EQ(table->fieldText("S"), "c");
    table->selectTag("");
    table->next();
    EXPECT_TRUE(table->eof());  // "c" is the last record physically
    table->gotoRecord(3);
    table->next();
    EXPECT_EQ(table->fieldText("S"), "a");
    table->selectTag("S");
    EXPECT_EQ(readAll(*table, {"S"}), (std::vector<std::string>{"a", "b", "c", "d", "f"}));
}

TEST(TableEdge, FlushedPostsWriteTheSameBytes) {
    TempFolder plain, flushed;
    for (const auto* dir : {&plain, &flushed}) {
        auto table = tableAt(dir->path(), "f.dbf", true);
        table->createTable({{"S", 'C', 3, 0}, {"N", 'N', 6, 1}});
        table->addTag("S", "S", dbf::TagOption::Expression, "S");
        table->setSyncOnPost(dir == &flushed);
        table->open();
        for (int i = 0; i < 50; ++i) {
            table->append();
            table->setFieldText("S", std::to_string(i * 37 % 50));
            table->setFieldText("N", std::to_string(i) + ".25");
            table->post();
        }
    }
    // Dates aside (bytes 1-3 of both files), the files are the same.
    std::string a = readFileBytes(plain.file("f.dbf")), b = readFileBytes(flushed.file("f.dbf"));
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(a.substr(4), b.substr(4));
    EXPECT_EQ(readFileBytes(plain.file("f.mdx")).substr(2048), readFileBytes(flushed.file("f.mdx")).substr(2048));
}

TEST(TableEdge, NavigationDropsAnUnpostedRecord) {
    TempFolder dir;
    createWithRows(dir.path(), "n.dbf", {{"S", 'C', 2, 0}}, {{"a"}, {"b"}});
    auto table = tableAt(dir.path(), "n.dbf");
    table->open();
    table->append();
    table->setFieldText("S", "zz");
    EXPECT_FALSE(table->eof());
    EXPECT_EQ(table->recordNumber(), 0u);
    table->next();
    EXPECT_EQ(table->fieldText("S"), "b");
    table->post();  // nothing is pending any more
    table->close();
    table->open();
    EXPECT_EQ(table->recordCount(), 2u);
}
