#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/WideText.h"
#endif

#include "platform/Files.h"
#include "platform/ProgramError.h"
#include "platform/SharedLibrary.h"
#include "reader/Tspdll.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using platform::CursorShape;
using testing_support::RecordingDesktop;
using testing_support::TempFolder;

namespace {

// The folder of the reader library, and the library, under a program folder.
std::string dllFolder(const std::string& program) { return platform::joinPath(program, "DLL"); }
std::string libraryIn(const std::string& program) {
    return platform::joinPath(dllFolder(program), std::string("gvread") + platform::kSharedLibrarySuffix);
}

// Puts `library` where the binding looks for the reader library under `folder`.
void installLibrary(const std::string& folder, const std::string& library) {
    ASSERT_TRUE(platform::createDirectories(dllFolder(folder)));
    ASSERT_TRUE(platform::copyFile(library, libraryIn(folder)));
}

// The message of the load failure, or "" when the binding loads.
std::string loadFailure(const std::string& folder) {
    try {
        TSPDLL binding(folder);
    } catch (const ReaderLoadError& error) {
        return error.what();
    }
    return std::string();
}

bool isMapped(const std::string& path) {
#ifdef _WIN32
    return ::GetModuleHandleW(platform::win32::widen(path).c_str()) != nullptr;
#else
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find(path) != std::string::npos) return true;
    }
    return false;
#endif
}

}  // namespace

TEST(Tspdll, LibraryIsLookedForInTheDllFolderOfTheProgramFolder) {
#ifdef _WIN32
    EXPECT_EQ(TSPDLL::LibraryPathIn("C:\\Prog"), "C:\\Prog\\DLL\\gvread.dll");
    EXPECT_EQ(TSPDLL::LibraryPathIn("C:\\Prog\\"), "C:\\Prog\\DLL\\gvread.dll");
    EXPECT_EQ(TSPDLL::LibraryPathIn("C:\\"), "C:\\DLL\\gvread.dll");
#else
    EXPECT_EQ(TSPDLL::LibraryPathIn("/opt/prog"), "/opt/prog/DLL/gvread.so");
    EXPECT_EQ(TSPDLL::LibraryPathIn("/opt/prog/"), "/opt/prog/DLL/gvread.so");
    EXPECT_EQ(TSPDLL::LibraryPathIn("/"), "/DLL/gvread.so");
#endif
}

TEST(Tspdll, MissingLibraryNamesItsPath) {
    RecordingDesktop desktop;
    TempFolder folder;
    const std::string path = libraryIn(folder.path());
    EXPECT_EQ(loadFailure(folder.path()),
              "TSPDLL: Библиотека "_w + path + " не найдена!"_w);
    EXPECT_EQ(desktop.cursors, (std::vector<CursorShape>{CursorShape::Busy, CursorShape::Arrow}));
    EXPECT_TRUE(desktop.messages.empty());  // the program entry reports it, not the binding
}

TEST(Tspdll, FolderInPlaceOfTheLibraryCountsAsMissing) {
    TempFolder folder;
    ASSERT_TRUE(platform::createDirectories(libraryIn(folder.path())));
    EXPECT_EQ(loadFailure(folder.path()),
              "TSPDLL: Библиотека "_w + libraryIn(folder.path()) + " не найдена!"_w);
}

TEST(Tspdll, LoadFailureIsAProgramErrorThatKeepsTheLoaderText) {
    TempFolder folder;
    ASSERT_TRUE(platform::createDirectories(dllFolder(folder.path())));
    testing_support::writeFileBytes(libraryIn(folder.path()), "not a library\n");
    try {
        TSPDLL binding(folder.path());
        FAIL() << "a text file loaded as a library";
    } catch (const platform::ProgramError& error) {
        const std::string prefix =
            "TSPDLL: Ошибка при загрузке библиотеки "_w + libraryIn(folder.path()) + ". Код ошибки "_w;
        const std::string message = error.what();
        ASSERT_EQ(message.compare(0, prefix.size(), prefix), 0) << message;
        const std::string code = message.substr(prefix.size());
        ASSERT_FALSE(code.empty());
        EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos) << code;
        const auto* loadError = dynamic_cast<const ReaderLoadError*>(&error);
        ASSERT_NE(loadError, nullptr);
#ifdef _WIN32
        // GetLastError of the load: not a valid Win32 application.
        EXPECT_EQ(code, std::to_string(ERROR_BAD_EXE_FORMAT));
        EXPECT_FALSE(loadError->loaderText().empty());
#else
        EXPECT_NE(loadError->loaderText().find("gvread.so"), std::string::npos)
            << loadError->loaderText();
#endif
    }
}

TEST(Tspdll, EmptyLibraryFileFailsToLoad) {
    RecordingDesktop desktop;
    TempFolder folder;
    ASSERT_TRUE(platform::createDirectories(dllFolder(folder.path())));
    testing_support::writeFileBytes(libraryIn(folder.path()), "");
    const std::string message = loadFailure(folder.path());
    EXPECT_NE(message.find("Код ошибки "_w), std::string::npos) << message;
    EXPECT_EQ(desktop.cursors, (std::vector<CursorShape>{CursorShape::Busy, CursorShape::Arrow}));
}

struct MissingEntryCase {
    const char* library;
    const char* entry;
};

void PrintTo(const MissingEntryCase& c, std::ostream* out) { *out << c.entry; }

class TspdllMissingEntry : public ::testing::TestWithParam<MissingEntryCase> {};

TEST_P(TspdllMissingEntry, NamesTheFirstEntryPointNotFound) {
    RecordingDesktop desktop;
    TempFolder folder;
    installLibrary(folder.path(), GetParam().library);
    EXPECT_EQ(loadFailure(folder.path()),
              "TSPDLL: Не найдена функция: "_w + GetParam().entry + "!");
    EXPECT_EQ(desktop.cursors, (std::vector<CursorShape>{CursorShape::Busy, CursorShape::Arrow}));
    // The failed binding does not keep the library loaded.
    EXPECT_FALSE(isMapped(libraryIn(folder.path())));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, TspdllMissingEntry,
    ::testing::Values(MissingEntryCase{STUB_WITHOUT_gvOpen, "gvOpen"},
                      MissingEntryCase{STUB_WITHOUT_gvGetRecords, "gvGetRecords"},
                      MissingEntryCase{STUB_WITHOUT_gvGetTech, "gvGetTech"},
                      MissingEntryCase{STUB_WITHOUT_gvGetError, "gvGetError"}),
    [](const auto& entryCase) { return std::string(entryCase.param.entry); });

TEST(Tspdll, LoadsEveryEntryPointOfACompleteLibrary) {
    RecordingDesktop desktop;
    TempFolder folder;
    installLibrary(folder.path(), GVREAD_LIBRARY);
    TSPDLL binding(folder.path());
    EXPECT_EQ(binding.LibraryPath(), libraryIn(folder.path()));
    const void* entries[] = {
        binding.gvOpen.address(),
        binding.gvClose.address(),
        binding.gvGetTables.address(),
        binding.gvGetTable.address(),
        binding.gvGetRecords.address(),
        binding.gvGetRecord.address(),
        binding.gvGetCountR.address(),
        binding.gvGetCountT.address(),
        binding.gvGetTech.address(),
        binding.gvSizeBuffer.address(),
        binding.gvGetError.address()};
    for (const void* entry : entries) EXPECT_NE(entry, nullptr);
    EXPECT_EQ(desktop.cursors, (std::vector<CursorShape>{CursorShape::Busy, CursorShape::Arrow}));
    // The pointers reach the library itself.
    EXPECT_NE(std::string(binding.gvGetTech()).find("GARVENA 1"), std::string::npos);
    EXPECT_EQ(binding.gvOpen(folder.file("missing.txt").c_str()), GV_ERROR_OPEN);
    EXPECT_EQ(binding.gvClose(), GV_ERROR_NOT_OPEN);
}

TEST(Tspdll, DestructionFreesTheLibrary) {
    TempFolder folder;
    installLibrary(folder.path(), GVREAD_LIBRARY);
    const std::string path = libraryIn(folder.path());
    {
        TSPDLL binding(folder.path());
        EXPECT_TRUE(isMapped(path));
    }
    EXPECT_FALSE(isMapped(path));
}

TEST(Tspdll, ProgramFolderDecidesWhateverTheCurrentFolder) {
    TempFolder program;
    TempFolder elsewhere;
    installLibrary(elsewhere.path(), GVREAD_LIBRARY);  // a library where the program is not
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());
    const std::string relative = loadFailure(".");
    const std::string absolute = loadFailure(program.path());
    std::filesystem::current_path(previous);
    EXPECT_EQ(relative, "");  // "." is the current folder only when asked for
    EXPECT_EQ(absolute, "TSPDLL: Библиотека "_w + libraryIn(program.path()) + " не найдена!"_w);
}

TEST(Tspdll, DefaultConstructorLooksBesideTheRunningProgram) {
    const std::string expected = TSPDLL::LibraryPathIn(platform::programFolder());
    if (platform::fileExists(expected)) GTEST_SKIP() << "a reader library lies beside the tests";
    EXPECT_EQ(loadFailure(platform::programFolder()),
              "TSPDLL: Библиотека "_w + expected + " не найдена!"_w);
    try {
        TSPDLL binding;
        FAIL() << "loaded a library that does not exist";
    } catch (const ReaderLoadError& error) {
        EXPECT_EQ(error.what(), "TSPDLL: Библиотека "_w + expected + " не найдена!"_w);
    }
}
