// The Win32 file services under folders with Cyrillic names and blanks: names reach the file
// system as the same characters, share modes keep other openers out, and a file held by
// another process is free again once that process is terminated.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/FileHandle.h"
#include "platform/Files.h"
#include "platform/win32/WideText.h"
#include "tests/support/TempFolder.h"
#include "tests/support/win32/HelperProcess.h"
#include "text/CodePages.h"

using platform::FileHandle;
using testing_support::readFileBytes;
using testing_support::TempFolder;
using testing_support::writeFileBytes;
using testing_support::win32::HelperProcess;
using testing_support::win32::helperVariable;

namespace {

class CyrillicFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = platform::joinPath(temp_.path(), "Цены Гарвена 2005"_w);
        ASSERT_TRUE(platform::createDirectories(platform::joinPath(folder_, {"Ед изм", "DOP"})));
    }
    std::string in(const std::string& name) const { return platform::joinPath(folder_, name); }

    TempFolder temp_;
    std::string folder_;
};

TEST_F(CyrillicFolder, NamesReachTheFileSystemAsTheSameCharacters) {
    writeFileBytes(in("прайс лист.txt"_w), "abc");
    const std::wstring wide = platform::win32::widen(folder_) + L"\\прайс лист.txt";
    EXPECT_NE(::GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(platform::fileExists(in("прайс лист.txt"_w)));
    EXPECT_FALSE(platform::fileExists(folder_));
    EXPECT_TRUE(platform::directoryExists(platform::joinPath(folder_, {"Ед изм", "DOP"})));
}

TEST_F(CyrillicFolder, CopyReplacesTheTargetAndReadOnlyClears) {
    writeFileBytes(in("шаблон.dbf"_w), "template");
    writeFileBytes(in("цены.dbf"_w), "old and longer");
    ASSERT_TRUE(platform::copyFile(in("шаблон.dbf"_w), in("цены.dbf"_w)));
    EXPECT_EQ(readFileBytes(in("цены.dbf"_w)), "template");
    EXPECT_FALSE(platform::copyFile(in("нет.dbf"_w), in("цены.dbf"_w)));

    const std::wstring wide = platform::win32::widen(in("цены.dbf"_w));
    ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(FileHandle::open(in("цены.dbf"_w), FileHandle::Access::ReadWrite,
                                  FileHandle::Share::Shared));
    ASSERT_TRUE(platform::clearReadOnly(in("цены.dbf"_w)));
    EXPECT_EQ(::GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(FileHandle::open(in("цены.dbf"_w), FileHandle::Access::ReadWrite,
                                 FileHandle::Share::Shared));
    EXPECT_TRUE(platform::deleteFile(in("цены.dbf"_w)));
    EXPECT_FALSE(platform::fileExists(in("цены.dbf"_w)));
    EXPECT_FALSE(platform::clearReadOnly(in("цены.dbf"_w)));
}

TEST_F(CyrillicFolder, RenameReplacesAndSameFileSeesThroughSpellings) {
    writeFileBytes(in("новый.dbf"_w), "new");
    writeFileBytes(in("старый.dbf"_w), "old, longer");
    ASSERT_TRUE(platform::renameReplacing(in("новый.dbf"_w), in("старый.dbf"_w)));
    EXPECT_EQ(readFileBytes(in("старый.dbf"_w)), "new");
    // Another spelling of the same file: forward slashes and a "." piece, other letter case.
    const std::string other = folder_ + "/./СТАРЫЙ.DBF"_w;
    EXPECT_TRUE(platform::sameFile(in("старый.dbf"_w), other));
    writeFileBytes(in("другой.dbf"_w), "new");
    EXPECT_FALSE(platform::sameFile(in("старый.dbf"_w), in("другой.dbf"_w)));
}

TEST_F(CyrillicFolder, BytesGoAndComeAtOffsets) {
    auto file = FileHandle::create(in("таблица.dbf"_w), FileHandle::Share::Exclusive);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->writeAt(10, "0123456789", 10));
    EXPECT_EQ(file->size(), 20u);
    char buffer[6] = {};
    ASSERT_TRUE(file->readAt(12, buffer, 5));
    EXPECT_EQ(std::string(buffer), "23456");
    EXPECT_FALSE(file->readAt(18, buffer, 5));  // short read
    EXPECT_EQ(file->readSomeAt(18, buffer, 5), 2u);
    ASSERT_TRUE(file->truncate(4));
    EXPECT_EQ(file->size(), 4u);
    EXPECT_TRUE(file->sync());
    file->close();
    EXPECT_EQ(readFileBytes(in("таблица.dbf"_w)), std::string(4, '\0'));
    // Creating again empties the file.
    writeFileBytes(in("таблица.dbf"_w), "content");
    EXPECT_TRUE(FileHandle::create(in("таблица.dbf"_w), FileHandle::Share::Shared));
    EXPECT_EQ(readFileBytes(in("таблица.dbf"_w)), "");
}

TEST_F(CyrillicFolder, LastWriteTimeIsTheMomentOfWriting) {
    writeFileBytes(in("журнал.log"_w), "x");
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const std::int64_t ticks = (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const std::int64_t nowNs = (ticks - 116444736000000000LL) * 100;
    const auto written = platform::lastWriteTime(in("журнал.log"_w));
    ASSERT_TRUE(written);
    EXPECT_LE(*written, nowNs + 1000000000LL);
    EXPECT_GE(*written, nowNs - 60LL * 1000000000LL);
    EXPECT_FALSE(platform::lastWriteTime(in("нет.log"_w)));
}

TEST_F(CyrillicFolder, StreamsOpenUnderCyrillicNames) {
    std::FILE* stream = platform::openStream(in("протокол.log"_w), "wb");
    ASSERT_NE(stream, nullptr);
    std::fputs("line\r", stream);
    std::fclose(stream);
    EXPECT_EQ(readFileBytes(in("протокол.log"_w)), "line\r");
    EXPECT_EQ(platform::openStream(platform::joinPath(folder_, {"нет", "x.log"}), "wb"), nullptr);
}

TEST_F(CyrillicFolder, ExclusiveKeepsEveryoneOutAndSharedOnlyExclusiveOpeners) {
    writeFileBytes(in("кодпер.dbf"_w), "table");
    {
        auto held = FileHandle::open(in("кодпер.dbf"_w), FileHandle::Access::ReadWrite,
                                     FileHandle::Share::Exclusive);
        ASSERT_TRUE(held);
        EXPECT_FALSE(FileHandle::open(in("кодпер.dbf"_w), FileHandle::Access::Read,
                                      FileHandle::Share::Shared));
        // Nor may anybody else read it, with whatever API.
        EXPECT_EQ(platform::openStream(in("кодпер.dbf"_w), "rb"), nullptr);
    }
    auto shared = FileHandle::open(in("кодпер.dbf"_w), FileHandle::Access::Read,
                                   FileHandle::Share::Shared);
    ASSERT_TRUE(shared);
    EXPECT_TRUE(FileHandle::open(in("кодпер.dbf"_w), FileHandle::Access::ReadWrite,
                                 FileHandle::Share::Shared));
    EXPECT_FALSE(FileHandle::open(in("кодпер.dbf"_w), FileHandle::Access::ReadWrite,
                                  FileHandle::Share::Exclusive));
    EXPECT_FALSE(FileHandle::create(in("кодпер.dbf"_w), FileHandle::Share::Exclusive));
    EXPECT_EQ(readFileBytes(in("кодпер.dbf"_w)), "table");  // not emptied by the refused create
    shared->close();
    EXPECT_TRUE(FileHandle::open(in("кодпер.dbf"_w), FileHandle::Access::ReadWrite,
                                 FileHandle::Share::Exclusive));
}

TEST_F(CyrillicFolder, FoldersAndDevicesAreNoFiles) {
    EXPECT_FALSE(FileHandle::open(folder_, FileHandle::Access::Read, FileHandle::Share::Shared));
    EXPECT_FALSE(FileHandle::open("NUL", FileHandle::Access::Read, FileHandle::Share::Shared));
}

// Helper: holds a file exclusively until it is terminated.
TEST(HeldFileHelper, DISABLED_HoldsTheFileExclusively) {
    auto held = FileHandle::open(helperVariable("KONVIKA_HELD_FILE"), FileHandle::Access::ReadWrite,
                                 FileHandle::Share::Exclusive);
    ASSERT_TRUE(held);
    writeFileBytes(helperVariable("KONVIKA_READY_FILE"), "ready");
    ::Sleep(60000);
}

TEST_F(CyrillicFolder, AFileHeldByAnotherProcessIsFreeOnceItIsTerminated) {
    writeFileBytes(in("едизпер.dbf"_w), "table");
    HelperProcess holder("HeldFileHelper.DISABLED_HoldsTheFileExclusively",
                         {{"KONVIKA_HELD_FILE", in("едизпер.dbf"_w)},
                          {"KONVIKA_READY_FILE", in("готово"_w)}});
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(holder.waitForFile(in("готово"_w)));
    EXPECT_FALSE(FileHandle::open(in("едизпер.dbf"_w), FileHandle::Access::Read,
                                  FileHandle::Share::Shared));
    ASSERT_TRUE(holder.terminate());
    EXPECT_TRUE(FileHandle::open(in("едизпер.dbf"_w), FileHandle::Access::ReadWrite,
                                 FileHandle::Share::Exclusive));
}

TEST(Win32Paths, JoinWithBackslashesAndKnowDriveRoots) {
    EXPECT_EQ(platform::joinPath("C:\\Prog", {"DLL", "gvread.dll"}), "C:\\Prog\\DLL\\gvread.dll");
    EXPECT_EQ(platform::joinPath("C:\\", "a"), "C:\\a");
    EXPECT_EQ(platform::joinPath("C:/Prog/", "a"), "C:/Prog/a");
    EXPECT_EQ(platform::folderOf("C:\\Prog\\konvika.exe"), "C:\\Prog");
    EXPECT_EQ(platform::folderOf("C:\\konvika.exe"), "C:\\");
    EXPECT_EQ(platform::folderOf("C:/Prog/konvika.exe"), "C:/Prog");
    EXPECT_EQ(platform::fileNameOf("C:\\Prog/DLL\\gvread.dll"), "gvread.dll");
}

TEST(Win32Paths, ProgramFolderIsTheFolderOfTheProgramFile) {
    wchar_t self[MAX_PATH * 4] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    const std::string folder = platform::programFolder();
    EXPECT_TRUE(platform::fileExists(platform::joinPath(folder, "platform_win32_tests.exe")))
        << folder;
}

}  // namespace
