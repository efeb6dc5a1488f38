// The table helper on real files: the checks and repairs before an open, the three attempts,
// re-created tags, and the messages it shows.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fcntl.h>

#include "dbf/Wdbffile.h"
#include "platform/FileHandle.h"
#include "platform/Files.h"
#include "tests/dbf/ExternalTool.h"
#include "tests/dbf/IndexTestSupport.h"
#include "tests/dbf/TableTestSupport.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using dbf::FieldDef;
using dbf_test::tableAt;
using platform::FileHandle;
using testing_support::readFileBytes;
using testing_support::RecordingDesktop;
using testing_support::TempFolder;
using testing_support::writeFileBytes;

namespace {

const SIndexDesc kKodperIndexes[] = {{"NR_IND", "NAME_SP+ROST", "NAME_SP"}, {"NULL", "NULL", "NULL"}};
const std::vector<FieldDef> kKodperFields = {
    {"NAME_SP", 'C', 50, 0}, {"ROST", 'C', 2, 0}, {"KOD_ORN", 'C', 20, 0}};

// kodper.dbf with three rows and, when asked, its tag NR_IND.
std::string makeKodper(const TempFolder& dir, bool withTag) {
    dbf_test::createWithRows(dir.path(), "kodper.dbf", kKodperFields,
                             {{"zeta", "1", "Z"}, {"alpha", "1", "A"}, {"mid", "2", "M"}});
    if (withTag)
        tableAt(dir.path(), "kodper.dbf", true)
            ->addTag("NR_IND", "NAME_SP+ROST", dbf::TagOption::Expression, "NAME_SP");
    return dir.file("kodper.dbf");
}

unsigned flagByte(const std::string& path) { return static_cast<unsigned char>(readFileBytes(path).at(28)); }

void setFlagByte(const std::string& path, char value) {
    std::string b = readFileBytes(path);
    b[28] = value;
    writeFileBytes(path, b);
}

void setWriteTime(const std::string& path, time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::vector<std::string> namesIn(dbf::Table& table, const std::string& field) {
    return dbf_test::readAll(table, {field});
}

}  // namespace

TEST(WDbfFile, MissingFileShowsItsMessageAndLeavesTheSlotAlone) {
    TempFolder dir;
    RecordingDesktop desktop;
    WDbfFile helper;
    TableSlot slot;
    ASSERT_TRUE(helper.OpenTable(slot, makeKodper(dir, false), true));
    dbf::Table* previous = slot.get();
    const std::string missing = dir.file("nothing.dbf");
    EXPECT_FALSE(helper.OpenTable(slot, missing, false));
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_FALSE(helper.OpenTable(slot, missing, true));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].caption, "Класс WDbfFile"_w);
    EXPECT_EQ(desktop.messages[0].text, "Файл:"_w + missing + "\nне найден!"_w);
    EXPECT_EQ(desktop.messages[0].kind, platform::MessageKind::Error);
    ASSERT_FALSE(desktop.cursors.empty());
    EXPECT_EQ(desktop.cursors.back(), platform::CursorShape::Arrow);
    EXPECT_EQ(slot.get(), previous);
    EXPECT_TRUE(slot->active());
}

TEST(WDbfFile, OpenTableStandsOnTheFirstRecordAndCloseTableEmptiesTheSlot) {
    TempFolder dir;
    WDbfFile helper;
    TableSlot slot;
    EXPECT_FALSE(helper.CloseTable(slot));
    ASSERT_TRUE(helper.OpenTable(slot, makeKodper(dir, false), true));
    EXPECT_TRUE(slot->active());
    EXPECT_FALSE(slot->exclusive());
    EXPECT_EQ(slot->fieldText("NAME_SP"), "zeta");
    EXPECT_TRUE(helper.CloseTable(slot));
    EXPECT_EQ(slot, nullptr);
    EXPECT_FALSE(helper.CloseTable(slot));
}

TEST(WDbfFile, IndexWithoutHeaderFlagIsDeleted) {
    TempFolder dir;
    const std::string path = makeKodper(dir, true);
    setFlagByte(path, 0);
    WDbfFile helper;
    TableSlot slot;
    ASSERT_TRUE(helper.OpenTable(slot, path, true));
    EXPECT_FALSE(platform::fileExists(dir.file("kodper.mdx")));
    helper.CloseTable(slot);
    // With indexes the tags are made again.
    setFlagByte(path, 0);
    ASSERT_TRUE(helper.OpenIndexedTable(slot, path, true, true, kKodperIndexes, "NR_IND"));
    EXPECT_TRUE(platform::fileExists(dir.file("kodper.mdx")));
    EXPECT_EQ(flagByte(path), 1u);
    EXPECT_EQ(namesIn(*slot, "NAME_SP"), (std::vector<std::string>{"alpha", "mid", "zeta"}));
}

TEST(WDbfFile, HeaderFlagWithoutIndexIsCleared) {
    TempFolder dir;
    const std::string path = makeKodper(dir, false);
    setFlagByte(path, 1);
    WDbfFile helper;
    TableSlot slot;
    ASSERT_TRUE(helper.OpenTable(slot, path, true));
    EXPECT_EQ(flagByte(path), 0u);
    EXPECT_EQ(slot->recordCount(), 3u);
}

TEST(WDbfFile, NewerClipperIndexRemovesTheProductionIndexBeforeTheOpen) {
    TempFolder dir;
    const std::string path = makeKodper(dir, true);
    writeFileBytes(dir.file("kodper1.ntx"), "clipper");
    setWriteTime(dir.file("kodper.mdx"), 1'000'000'000);
    setWriteTime(dir.file("kodper1.ntx"), 1'000'000'100);
    WDbfFile helper;
    EXPECT_EQ(helper.CheckIndexFiles(path, false), 1);
    EXPECT_FALSE(platform::fileExists(dir.file("kodper.mdx")));
    EXPECT_EQ(flagByte(path), 0u);
    EXPECT_TRUE(platform::fileExists(dir.file("kodper1.ntx")));  // not ours to delete
}

TEST(WDbfFile, OlderClipperIndexKeepsTheProductionIndex) {
    TempFolder dir;
    const std::string path = makeKodper(dir, true);
    for (const char* name : {"kodper.ntx", "kodper2.ntx"}) {
        writeFileBytes(dir.file(name), "clipper");
        setWriteTime(dir.file(name), 1'000'000'000);
    }
    WDbfFile helper;
    TableSlot slot;
    ASSERT_TRUE(helper.OpenIndexedTable(slot, path, true, true, kKodperIndexes, "NR_IND"));
    EXPECT_EQ(helper.CheckIndexFiles(path, false), 1);
    EXPECT_TRUE(platform::fileExists(dir.file("kodper.mdx")));
    EXPECT_EQ(slot->selectedTag(), "NR_IND");
}

TEST(WDbfFile, CheckIndexFilesResults) {
    TempFolder dir;
    const std::string path = makeKodper(dir, true);
    WDbfFile helper;
    writeFileBytes(dir.file("kodper.ntx"), "clipper");
    setWriteTime(dir.file("kodper.ntx"), 1'000'000'000);
    {
        auto heldIndex =
            FileHandle::open(dir.file("kodper.mdx"), FileHandle::Access::Read, FileHandle::Share::Exclusive);
        ASSERT_TRUE(heldIndex);
        EXPECT_EQ(helper.CheckIndexFiles(path, false), -2);
    }
    {
        auto heldClipper =
            FileHandle::open(dir.file("kodper.ntx"), FileHandle::Access::Read, FileHandle::Share::Exclusive);
        ASSERT_TRUE(heldClipper);
        EXPECT_EQ(helper.CheckIndexFiles(path, false), -3);
    }
    EXPECT_EQ(helper.CheckIndexFiles(path, false), 1);
    std::remove(dir.file("kodper.mdx").c_str());
    EXPECT_EQ(helper.CheckIndexFiles(path, false), 0);
    auto heldTable = FileHandle::open(path, FileHandle::Access::Read, FileHandle::Share::Shared);
    EXPECT_EQ(helper.CheckIndexFiles(path, false), -1);  // the flag cannot be written meanwhile
}

TEST(WDbfFile, IndexedOpenWithoutIndexCreatesEveryTagAndSelectsTheRequestedOne) {
    TempFolder dir;
    const std::string path = makeKodper(dir, false);
    const SIndexDesc indexes[] = {
        {"NR_IND", "NAME_SP+ROST", "NAME_SP"}, {"KOD_IND", "KOD_ORN", "KOD_ORN"}, {"NULL", "NULL", "NULL"}};
    WDbfFile helper;
    TableSlot slot;
    ASSERT_TRUE(helper.OpenIndexedTable(slot, path, true, true, indexes, "KOD_IND"));
    EXPECT_EQ(slot->selectedTag(), "KOD_IND");
    EXPECT_FALSE(slot->exclusive());
    EXPECT_EQ(namesIn(*slot, "KOD_ORN"), (std::vector<std::string>{"A", "M", "Z"}));
    slot->refreshIndexDefs();
    EXPECT_EQ(slot->indexDefNames(), (std::vector<std::string>{"NR_IND", "KOD_IND"}));
    if (!dbf_test::toolExists(dbf_test::kIndexDump))
        GTEST_SKIP() << "index_dump (libdbd-xbase-perl) is not installed";
    const auto keys = dbf_test::dumpTag(dir.file("kodper.mdx"), "NR_IND", 52);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].record, 2u);
    EXPECT_EQ(keys[1].record, 3u);
    EXPECT_EQ(keys[2].record, 1u);
}

TEST(WDbfFile, OnlyTheMissingTagIsCreatedNamesIgnoringCase) {
    TempFolder dir;
    const std::string path = makeKodper(dir, true);
    const std::string before = readFileBytes(dir.file("kodper.mdx"));
    const SIndexDesc indexes[] = {
        {"nr_ind", "NAME_SP+ROST", "NAME_SP"}, {"KOD_IND", "KOD_ORN", "KOD_ORN"}, {"NULL", "NULL", "NULL"}};
    WDbfFile helper;
    TableSlot slot;
    ASSERT_TRUE(helper.OpenIndexedTable(slot, path, true, true, indexes, "nr_ind"));
    slot->refreshIndexDefs();
    EXPECT_EQ(slot->indexDefNames(), (std::vector<std::string>{"NR_IND", "KOD_IND"}));
    const std::string after = readFileBytes(dir.file("kodper.mdx"));
    // The existing tag's header and nodes are untouched; the new tag follows them.
    EXPECT_EQ(after.substr(2048, before.size() - 2048), before.substr(2048));
    EXPECT_GT(after.size(), before.size());
}

TEST(WDbfFile, ListEndsAtAnyNullText) {
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        TempFolder dir;
        const std::string path = makeKodper(dir, false);
        SIndexDesc indexes[] = {{"NR_IND", "NAME_SP+ROST", "NAME_SP"}, {"NULL", "NULL", "NULL"}};
        if (which == 0) indexes[0].Name = "NULL";
        if (which == 1) indexes[0].Expression = "NULL";
        if (which == 2) indexes[0].Fields = "NULL";
        WDbfFile helper;
        TableSlot slot;
        ASSERT_TRUE(helper.OpenIndexedTable(slot, path, true, true, indexes, ""));
        slot->refreshIndexDefs();
        EXPECT_TRUE(slot->indexDefNames().empty());
        EXPECT_FALSE(platform::fileExists(dir.file("kodper.mdx")));
    }
}

TEST(WDbfFile, ReadOnlyTableLosesItsReadOnlyAttribute) {
    TempFolder dir;
    const std::string path = makeKodper(dir, false);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    WDbfFile helper;
    TableSlot slot;
    ASSERT_TRUE(helper.OpenTable(slot, path, true));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IWUSR, 0u);
    slot->append();  // writable again
    slot->setFieldText("NAME_SP", "new");
    slot->post();
}

TEST(WDbfFile, LockedTableFailsAfterThreeAttemptsWithItsMessages) {
    TempFolder dir;
    RecordingDesktop desktop;
    const std::string path = makeKodper(dir, false);
    auto other = tableAt(dir.path(), "kodper.dbf", true);
    other->open();
    WDbfFile helper;
    TableSlot slot;
    EXPECT_FALSE(helper.OpenTable(slot, path, true));
    EXPECT_EQ(slot, nullptr);
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[0].caption, "Удаление индексов"_w);
    EXPECT_EQ(desktop.messages[0].text,
              "Ошибка при открытии файла:\n"_w + path + "!\nВозможно он используется другой программой."_w);
    EXPECT_EQ(desktop.messages[1].caption, "Класс WDbfFile"_w);
    EXPECT_EQ(desktop.messages[1].text, "Ошибка при чтении файла: "_w + path);
    EXPECT_EQ(desktop.cursors.back(), platform::CursorShape::Arrow);
    desktop.messages.clear();
    EXPECT_FALSE(helper.OpenTable(slot, path, false));
    EXPECT_TRUE(desktop.messages.empty());
    other->close();
    EXPECT_TRUE(helper.OpenTable(slot, path, false));
}

TEST(WDbfFile, IndexOfATableInUseIsNotDeleted) {
    TempFolder dir;
    RecordingDesktop desktop;
    const std::string path = makeKodper(dir, true);
    auto other = tableAt(dir.path(), "kodper.dbf", true);
    other->open();
    WDbfFile helper;
    TableSlot slot;
    EXPECT_FALSE(helper.OpenIndexedTable(slot, path, false, true, kKodperIndexes, "NR_IND"));
    EXPECT_FALSE(helper.RemoveIndexes(path, false));
    EXPECT_TRUE(platform::fileExists(dir.file("kodper.mdx")));
    EXPECT_EQ(flagByte(path), 1u);
    // The other opener's posts still reach the index it holds.
    other->append();
    other->setFieldText("NAME_SP", "new");
    other->post();
    other->close();
    ASSERT_TRUE(helper.OpenIndexedTable(slot, path, false, true, kKodperIndexes, "NR_IND"));
    EXPECT_EQ(namesIn(*slot, "NAME_SP"), (std::vector<std::string>{"alpha", "mid", "new", "zeta"}));
}

TEST(WDbfFile, IndexThatDoesNotMatchItsTableIsRebuilt) {
    TempFolder dir;
    const std::string path = makeKodper(dir, true);
    std::string b = readFileBytes(path);
    b[32 + 3 * 32 + 1 + 1] = 'q';  // record 1 changed behind the index: "zeta" -> "qeta"
    writeFileBytes(path, b);
    RecordingDesktop desktop;
    WDbfFile helper;
    TableSlot slot;
    ASSERT_TRUE(helper.OpenIndexedTable(slot, path, true, true, kKodperIndexes, "NR_IND"));
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(namesIn(*slot, "NAME_SP"), (std::vector<std::string>{"alpha", "mid", "qeta"}));
    slot->setKey();
    slot->setFieldText("NAME_SP", "zeta");
    slot->setFieldText("ROST", "1");
    EXPECT_FALSE(slot->gotoKey());
    slot->setKey();
    slot->setFieldText("NAME_SP", "qeta");
    slot->setFieldText("ROST", "1");
    EXPECT_TRUE(slot->gotoKey());
    EXPECT_EQ(slot->recordNumber(), 1u);
}

TEST(WDbfFile, RandomBytesInTheIndexAreRepaired) {
    TempFolder dir;
    const std::string path = makeKodper(dir, true);
    std::string junk(8192, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 7919 + 13) % 251);
    writeFileBytes(dir.file("kodper.mdx"), junk);
    WDbfFile helper;
    TableSlot slot;
    ASSERT_TRUE(helper.OpenIndexedTable(slot, path, true, true, kKodperIndexes, "NR_IND"));
    EXPECT_EQ(namesIn(*slot, "NAME_SP"), (std::vector<std::string>{"alpha", "mid", "zeta"}));
}

TEST(WDbfFile, RemoveIndexesAndHasProductionIndex) {
    TempFolder dir;
    const std::string path = makeKodper(dir, true);
    RecordingDesktop desktop;
    WDbfFile helper;
    EXPECT_TRUE(helper.HasProductionIndex(path, true));
    {
        auto held = FileHandle::open(path, FileHandle::Access::Read, FileHandle::Share::Exclusive);
        EXPECT_FALSE(helper.HasProductionIndex(path, true));
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].caption, "Удаление индексов"_w);
    }
    EXPECT_TRUE(helper.RemoveIndexes(path, true));
    EXPECT_FALSE(platform::fileExists(dir.file("kodper.mdx")));
    EXPECT_EQ(flagByte(path), 0u);
    EXPECT_FALSE(helper.HasProductionIndex(path, true));
    EXPECT_TRUE(helper.ResetEngineConfig());
    // Another extension: the companion index is the name followed by "x".
    writeFileBytes(dir.file("table.dat"), readFileBytes(path));
    writeFileBytes(dir.file("table.datx"), "index");
    EXPECT_TRUE(helper.RemoveIndexes(dir.file("table.dat"), false));
    EXPECT_FALSE(platform::fileExists(dir.file("table.datx")));
    // Upper-case extension.
    writeFileBytes(dir.file("UP.DBF"), readFileBytes(path));
    writeFileBytes(dir.file("UP.mdx"), "index");
    EXPECT_TRUE(helper.RemoveIndexes(dir.file("UP.DBF"), false));
    EXPECT_FALSE(platform::fileExists(dir.file("UP.mdx")));
}
