#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

#include "platform/Files.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"
#include "units/Wedizm.h"

namespace {

using testing_support::TempFolder;
using testing_support::writeFileBytes;

// Runs a test step inside another current folder and goes back afterwards.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& folder) {
        char buffer[4096];
        if (::getcwd(buffer, sizeof buffer) != nullptr) previous_ = buffer;
        if (::chdir(folder.c_str()) != 0) ADD_FAILURE() << "cannot enter " << folder;
    }
    ~ScopedCurrentFolder() {
        if (!previous_.empty() && ::chdir(previous_.c_str()) != 0) ADD_FAILURE() << "cannot return";
    }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    std::string previous_;
};

enum class Place { First, Second };
enum class FirstDir { Plain, TrailingSeparator, Empty };

struct Case {
    const char* title;
    const char* baseCode;
    std::vector<const char*> filesInFirst;  // created in the first folder (or the current one)
    FirstDir firstDir;
    Place expectedPlace;
    const char* expectedName;
};

const std::vector<Case> kCases = {
    {"MG419 with Ei2 in the first folder",
     "MG419",
     {"Ei2.dbf"},
     FirstDir::Plain,
     Place::First,
     "Ei2.dbf"},
    {"MG419 without Ei2 there falls back to DOP",
     "MG419",
     {},
     FirstDir::Plain,
     Place::Second,
     "Ei2.dbf"},
    {"MG419 does not take Ei1", "MG419", {"Ei1.dbf"}, FirstDir::Plain, Place::Second, "Ei2.dbf"},
    {"other base takes Ei1",
     "MG420",
     {"Ei1.dbf", "Ei2.dbf"},
     FirstDir::Plain,
     Place::First,
     "Ei1.dbf"},
    {"other base without Ei1 falls back",
     "G2001",
     {"Ei2.dbf"},
     FirstDir::Plain,
     Place::Second,
     "Ei1.dbf"},
    {"lower-case letters are another base",
     "mg419",
     {"Ei1.dbf", "Ei2.dbf"},
     FirstDir::Plain,
     Place::First,
     "Ei1.dbf"},
    {"empty base code is another base", "", {"Ei1.dbf"}, FirstDir::Plain, Place::First, "Ei1.dbf"},
    {"longer code is another base", "MG4190", {}, FirstDir::Plain, Place::Second, "Ei1.dbf"},
    {"trailing separator on the first folder",
     "MG419",
     {"Ei2.dbf"},
     FirstDir::TrailingSeparator,
     Place::First,
     "Ei2.dbf"},
    {"trailing separator, file missing",
     "MG420",
     {},
     FirstDir::TrailingSeparator,
     Place::Second,
     "Ei1.dbf"},
    {"empty first folder looks in the current folder",
     "MG419",
     {"Ei2.dbf"},
     FirstDir::Empty,
     Place::First,
     "Ei2.dbf"},
    {"empty first folder, nothing in the current folder",
     "MG420",
     {},
     FirstDir::Empty,
     Place::Second,
     "Ei1.dbf"},
};

TEST(WEdIzm, ChoosesTheTableByBaseAndFolder) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.title);
        TempFolder first;
        TempFolder second;  // its DOP folder is never created: the path is returned anyway
        for (const char* name : c.filesInFirst) writeFileBytes(first.file(name), "x");

        std::string firstDir = first.path();
        if (c.firstDir == FirstDir::TrailingSeparator) firstDir += platform::kPathSeparator;
        if (c.firstDir == FirstDir::Empty) firstDir.clear();

        const std::string expected =
            c.expectedPlace == Place::First
                ? (c.firstDir == FirstDir::Empty ? std::string(c.expectedName)
                                                 : first.file(c.expectedName))
                : platform::joinPath(second.path(), {"DOP", c.expectedName});

        ScopedCurrentFolder inFirst(first.path());
        EXPECT_EQ(WEdIzm(c.baseCode, firstDir, second.path()).GetFileName(), expected);
    }
}

TEST(WEdIzm, SecondFolderWithTrailingSeparatorGivesTheSamePath) {
    TempFolder first;
    TempFolder second;
    EXPECT_EQ(WEdIzm("MG419", first.path(), second.path() + platform::kPathSeparator).GetFileName(),
              platform::joinPath(second.path(), {"DOP", "Ei2.dbf"}));
}

TEST(WEdIzm, EmptySecondFolderGivesTheBareSparePath) {
    TempFolder first;
    EXPECT_EQ(WEdIzm("MG420", first.path(), "").GetFileName(), platform::joinPath("DOP", "Ei1.dbf"));
}

TEST(WEdIzm, SpareTableIsNotCheckedEvenWhenItExists) {
    TempFolder first;
    TempFolder second;
    ASSERT_TRUE(platform::createDirectories(platform::joinPath(second.path(), "DOP")));
    writeFileBytes(platform::joinPath(second.path(), {"DOP", "Ei2.dbf"}), "x");
    writeFileBytes(first.file("Ei2.dbf"), "x");
    // The first folder wins whenever it holds the table.
    EXPECT_EQ(WEdIzm("MG419", first.path(), second.path()).GetFileName(), first.file("Ei2.dbf"));
}

TEST(WEdIzm, AFolderNamedLikeTheTableIsNotTheTable) {
    TempFolder first;
    TempFolder second;
    ASSERT_TRUE(platform::createDirectories(first.file("Ei1.dbf")));
    EXPECT_EQ(WEdIzm("MG420", first.path(), second.path()).GetFileName(),
              platform::joinPath(second.path(), {"DOP", "Ei1.dbf"}));
}

TEST(WEdIzm, KeepsTheThreeTextsInTheOrderGiven) {
    const WEdIzm edIzm("MG419", "first", "second");
    EXPECT_EQ(edIzm.FBaseCode, "MG419");
    EXPECT_EQ(edIzm.FFirstUnitsDir, "first");
    EXPECT_EQ(edIzm.FSecondUnitsDir, "second");
    EXPECT_EQ(edIzm.FDescription, "Класс для работы с единицами измерения"_w);
}

}  // namespace
