#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/Files.h"
#include "tests/support/TempFolder.h"

using testing_support::readFileBytes;
using testing_support::TempFolder;
using testing_support::writeFileBytes;

namespace {

TEST(PlatformFiles, JoinPathPutsOneSeparatorBetweenEveryPiece) {
    const std::string sep(1, platform::kPathSeparator);
    EXPECT_EQ(platform::joinPath("root", {"Morvel", "TKonvika", "kodper.dbf"}),
              "root" + sep + "Morvel" + sep + "TKonvika" + sep + "kodper.dbf");
    EXPECT_EQ(platform::joinPath("root" + sep, {"a"}), "root" + sep + "a");
    EXPECT_EQ(platform::joinPath("", {"a", "b"}), "a" + sep + "b");
    EXPECT_EQ(platform::joinPath("root", {}), "root");
}

TEST(PlatformFiles, RenameReplacesAnExistingTargetWhole) {
    TempFolder folder;
    writeFileBytes(folder.file("new.dbf"), "new bytes");
    writeFileBytes(folder.file("old.dbf"), "old and longer bytes");
    ASSERT_TRUE(platform::renameReplacing(folder.file("new.dbf"), folder.file("old.dbf")));
    EXPECT_FALSE(platform::fileExists(folder.file("new.dbf")));
    EXPECT_EQ(readFileBytes(folder.file("old.dbf")), "new bytes");
    EXPECT_FALSE(platform::renameReplacing(folder.file("missing"), folder.file("old.dbf")));
    EXPECT_EQ(readFileBytes(folder.file("old.dbf")), "new bytes");
}

TEST(PlatformFiles, SameFileSeesOneFileUnderTwoSpellingsAndNothingElse) {
    TempFolder folder;
    writeFileBytes(folder.file("a.dbf"), "x");
    writeFileBytes(folder.file("b.dbf"), "x");
    const std::string roundabout = platform::joinPath(folder.path(), {".", "a.dbf"});
    EXPECT_TRUE(platform::sameFile(folder.file("a.dbf"), roundabout));
    EXPECT_FALSE(platform::sameFile(folder.file("a.dbf"), folder.file("b.dbf")));
    EXPECT_FALSE(platform::sameFile(folder.file("a.dbf"), folder.file("missing.dbf")));
    EXPECT_FALSE(platform::sameFile(folder.file("missing.dbf"), folder.file("missing.dbf")));
}

TEST(PlatformFiles, OpenStreamWritesBytesUnchangedAndFailsForAMissingFolder) {
    TempFolder folder;
    std::FILE* stream = platform::openStream(folder.file("log.txt"), "wb");
    ASSERT_NE(stream, nullptr);
    const std::string bytes = "\xD6\xE5\xED\xFB\r\n\r";
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), stream), bytes.size());
    ASSERT_EQ(std::fclose(stream), 0);
    EXPECT_EQ(readFileBytes(folder.file("log.txt")), bytes);
    EXPECT_EQ(platform::openStream(platform::joinPath(folder.path(), {"no", "log.txt"}), "wb"),
              nullptr);
}

}  // namespace
