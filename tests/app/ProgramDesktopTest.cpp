// The program's windows on a real X display, as a user meets them, once without a window
// manager and once under openbox: the second copy's message above everything and active, Tab
// from the units grid leaving the chosen unit, Ctrl+A in the coefficient box, and the time to
// the first question (reported as a figure, never asserted).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "dbf/Table.h"
#include "dbf/Wdbffile.h"
#include "dialog/UnitsList.h"
#include "tests/app/ProcessSupport.h"
#include "tests/support/RecordingDesktop.h"

using testing_support::commandLine;
using testing_support::Display;
using testing_support::InstalledProgram;
using testing_support::Process;
using testing_support::RunEnvironment;

namespace {

// openbox on the display, for the cases that run under a window manager.
class Openbox {
public:
    explicit Openbox(const Display& display)
        : process_({"/usr/bin/openbox", "--sm-disable"}, {"DISPLAY=" + display.name()}) {
        // Ready once it has announced itself on the root window.
        for (int i = 0; i < 200 && !ready(display); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }
    static bool ready(const Display& display) {
        return display.run("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") !=
               std::string::npos;
    }

private:
    Process process_;
};

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// Window ids as decimal numbers, whatever form a tool prints them in.
unsigned long idOf(const std::string& text) { return std::strtoul(text.c_str(), nullptr, 0); }

// The top-level windows, bottom to top: the window manager's list when there is one, otherwise
// the server's own stacking of the root's children.
std::vector<unsigned long> stackingBottomToTop(const Display& display, bool managed) {
    std::vector<unsigned long> ids;
    if (managed) {
        // "_NET_CLIENT_LIST_STACKING(WINDOW): window id # 0x400007, 0x600007"
        const std::string line = display.run("xprop -root _NET_CLIENT_LIST_STACKING");
        const auto hash = line.find('#');
        if (hash == std::string::npos) return ids;
        std::stringstream list(line.substr(hash + 1));
        std::string item;
        while (std::getline(list, item, ',')) ids.push_back(idOf(item));
        return ids;
    }
    // xwininfo lists the root's children top first, one "     0x40000a ..." line each; only the
    // shown ones count (a program also has windows that are never mapped).
    const std::string visible = "\n" + display.xdotool("search --all --onlyvisible --name ''");
    std::stringstream tree(display.run("xwininfo -root -children"));
    std::string line;
    while (std::getline(tree, line)) {
        const auto start = line.find_first_not_of(' ');
        if (start == std::string::npos || line.compare(start, 2, "0x") != 0) continue;
        const unsigned long id = idOf(line.substr(start));
        if (visible.find("\n" + std::to_string(id) + "\n") != std::string::npos) ids.push_back(id);
    }
    std::reverse(ids.begin(), ids.end());
    return ids;
}

unsigned long activeWindow(const Display& display, bool managed) {
    return idOf(display.xdotool(managed ? "getactivewindow" : "getwindowfocus"));
}

class ProgramDesktop : public ::testing::TestWithParam<bool> {
protected:
    bool managed() const { return GetParam(); }
    void SetUp() override {
        ASSERT_TRUE(display.ready());
        if (managed()) {
            openbox = std::make_unique<Openbox>(display);
            ASSERT_TRUE(Openbox::ready(display)) << "openbox did not start";
        }
    }
    Display display;
    std::unique_ptr<Openbox> openbox;
};

}  // namespace

TEST_P(ProgramDesktop, SecondCopysMessageIsAboveEveryWindowAndActive) {
    InstalledProgram p;
    REQUIRE_INSTALLED(p);
    RunEnvironment run;
    const std::string source =
        p.writeSource("prices.txt", {"#TABLE T", "4@101-1-5-7-9@Песок@м3@@61,58@55,00"});
    Process first({p.program(), commandLine(p, "4R", source, p.file("out.dbf"))},
                  run.env(display.name()));
    const std::string dialog = display.waitForWindow(first, "Выбор соответствия");
    ASSERT_FALSE(dialog.empty()) << first.errorOutput();

    Process second({p.program(), commandLine(p, "4R", source, p.file("other.dbf"))},
                   run.env(display.name()));
    const std::string box = display.waitForWindow(second, "konvika");
    ASSERT_FALSE(box.empty()) << second.errorOutput();
    const std::vector<unsigned long> stacking = stackingBottomToTop(display, managed());
    ASSERT_FALSE(stacking.empty());
    EXPECT_EQ(stacking.back(), idOf(box)) << "the message is the topmost window";
    EXPECT_NE(std::find(stacking.begin(), stacking.end(), idOf(dialog)), stacking.end());
    EXPECT_EQ(activeWindow(display, managed()), idOf(box)) << "and the active one";

    // Enter, typed where the keyboard is, ends the second copy.
    display.xdotool("key Return");
    EXPECT_EQ(second.wait(), 1);
    display.key(dialog, "Escape");
    EXPECT_EQ(first.wait(), 0);
}

TEST_P(ProgramDesktop, TabFromTheGridKeepsTheUnitAndCtrlAReplacesTheCoefficient) {
    InstalledProgram p;
    REQUIRE_INSTALLED(p);
    RunEnvironment run;
    // A unit no table knows: the unit question, its search on "меш".
    const std::string source =
        p.writeSource("prices.txt", {"#TABLE T", "4@101-0001-5@Цемент@меш@@100,00@50,00"});
    const std::string out = p.file("out.dbf");
    const auto started = std::chrono::steady_clock::now();
    Process program({p.program(), commandLine(p, "4R", source, out)}, run.env(display.name()));
    // The time to the first question: a figure for the record, not a limit.
    std::string dialog;
    const auto deadline = started + std::chrono::seconds(60);
    while (dialog.empty() && program.running() && std::chrono::steady_clock::now() < deadline) {
        dialog = firstLine(display.xdotool("search --all --onlyvisible --pid " +
                                           std::to_string(program.pid()) +
                                           " --name '^Выбор соответствия$'"));
    }
    ASSERT_FALSE(dialog.empty()) << "program running: " << program.running()
                                 << "\nits error output:\n" << program.errorOutput();
    const auto shownMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - started)
                             .count();
    RecordProperty("first_question_ms", static_cast<int>(shownMs));
    std::printf("time to the first question (%s): %lld ms\n",
                managed() ? "openbox" : "no window manager", static_cast<long long>(shownMs));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    // Search box -> grid, one row down, Tab on to the coefficient box; there Ctrl+A and a 2.
    display.key(dialog, "Tab Down Tab End ctrl+a 2 Return");
    ASSERT_EQ(program.wait(), 0);

    // The unit answered is the row below the nearest one to "меш", as the grid showed it.
    testing_support::RecordingDesktop quiet;
    TableSlot units;
    ASSERT_TRUE(WDbfFile().OpenIndexedTable(units, p.units() + "/Ei1.dbf", true, true,
                                            dialog::UnitsList::kIndexes, "ED_IZ_IND"));
    std::string expectedCode;
    {
        dialog::UnitsList list(*units);
        list.MoveToRow(list.SeekNearest("меш"_w) + 1);
        expectedCode = list.CurrentCode();
    }
    WDbfFile().CloseTable(units);
    ASSERT_FALSE(expectedCode.empty());

    dbf::Table table;
    table.setDatabaseName(platform::folderOf(out));
    table.setTableName(platform::fileNameOf(out));
    table.open();
    table.first();
    ASSERT_FALSE(table.eof());
    EXPECT_EQ(table.fieldText("KEI"), expectedCode);
    // Ctrl+A took the whole "1.0": the coefficient is 2, not "1.02".
    EXPECT_NEAR(std::atof(table.fieldText("C_1").c_str()) +
                    std::atof(table.fieldText("C_2").c_str()),
                2 * (100.0 + 50.0), 0.01);
    table.close();
}

INSTANTIATE_TEST_SUITE_P(Desktops, ProgramDesktop, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return std::string(param.param ? "Openbox" : "NoWindowManager");
                         });
