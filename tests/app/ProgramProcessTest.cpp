// The installed program as the calling program starts it: its own process, its exit status, its
// files. Cases that show a window run it under a private Xvfb display and answer it with
// xdotool key presses, as a person would; the rest run headless on the offscreen platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/ProcessSupport.h"

using testing_support::commandLine;
using testing_support::Display;
using testing_support::InstalledProgram;
using testing_support::logMessages;
using testing_support::Process;
using testing_support::readFileBytes;
using testing_support::readOutput;
using testing_support::Row;
using testing_support::RunEnvironment;

TEST(ProgramProcess, ConvertsHeadlessWhenNothingNeedsAQuestion) {
    InstalledProgram p;
    REQUIRE_INSTALLED(p);
    RunEnvironment run;
    const std::string source = p.writeSource(
        "prices.txt", {"#TABLE Таблица 1", "4@101-0001-5@Песок строительный@м3@@61,58@55,00",
                       "4@101-0002-5@Щебень гранитный@т@@128,40@117,30", "#TABLE Таблица 2",
                       "#TABLE Таблица 3", "1@101-0003-5@Затраты труда@чел.-ч@@8,53@8,53"});
    const std::string out = p.file("out.dbf");
    Process program({p.program(), commandLine(p, "4R", source, out)}, run.env());
    ASSERT_TRUE(program.started());
    EXPECT_EQ(program.wait(), 0);
    EXPECT_EQ(logMessages(p.logPath()),
              (std::vector<std::string>{"Начало конвертации файла " + source,
                                        "Обнаружено 3 таблиц.", "Конвертируется таблица №1",
                                        "Обнаружено 2 записей.", "Таблица обработана.",
                                        "Записи не обнаружены.", "Конвертируется таблица №3",
                                        "Обнаружено 1 записей.", "Таблица обработана.",
                                        "Конвертация успешно закончена."}));
    const std::vector<Row> rows = readOutput(out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].TIP, "С");
    EXPECT_EQ(rows[0].SBOR, "   101");
    EXPECT_EQ(rows[0].TABL, " 0001");
    EXPECT_EQ(rows[0].KEI, "3");   // м3 in the sample units
    EXPECT_EQ(rows[1].KEI, "4");   // т
    EXPECT_EQ(rows[2].TIP, "З");
    EXPECT_EQ(rows[2].KEI, "J");   // чел.-ч
}

TEST(ProgramProcess, FourParametersEndSilentlyWithoutALog) {
    InstalledProgram p;
    REQUIRE_INSTALLED(p);
    RunEnvironment run;
    const std::string source = p.writeSource("prices.txt", {"#TABLE T", "4@101-0001-5@x@м3@@1@1"});
    const std::string line = "4R?" + source + "?" + p.file("out.dbf") + "?" + p.units() + "?" +
                             p.units();  // the fifth parameter lacks its "?"
    Process program({p.program(), line}, run.env());
    EXPECT_EQ(program.wait(), 0);
    EXPECT_FALSE(platform::fileExists(p.logPath()));
    EXPECT_FALSE(platform::fileExists(p.file("out.dbf")));
    Process empty({p.program()}, run.env());
    EXPECT_EQ(empty.wait(), 0);
    EXPECT_FALSE(platform::fileExists(p.logPath()));
}

TEST(ProgramProcess, SecondCopyIsRefusedWhileTheFirstAsksAndTheFirstGoesOn) {
    InstalledProgram p;
    REQUIRE_INSTALLED(p);
    Display display;
    ASSERT_TRUE(display.ready());
    RunEnvironment run;
    // One record whose code the base cannot take: the first copy asks for it and waits.
    const std::string source =
        p.writeSource("prices.txt", {"#TABLE T", "4@101-1-5-7-9@Песок@м3@@61,58@55,00",
                                     "4@101-0002-5@Щебень@т@@128,40@117,30"});
    const std::string out = p.file("out.dbf");
    Process first({p.program(), commandLine(p, "4R", source, out)}, run.env(display.name()));
    const std::string dialog = display.waitForWindow(first, "Выбор соответствия");
    ASSERT_FALSE(dialog.empty()) << first.errorOutput();

    Process second({p.program(), commandLine(p, "4R", source, p.file("other.dbf"))},
                   run.env(display.name()));
    // Its message box is captioned with the program file's name; OK ends it with status 1.
    const std::string box = display.waitForWindow(second, "konvika");
    ASSERT_FALSE(box.empty()) << second.errorOutput();
    display.key(box, "Return");
    EXPECT_EQ(second.wait(), 1);
    EXPECT_FALSE(platform::fileExists(p.file("other.dbf")));
    EXPECT_TRUE(first.running());

    // The first copy's dialog: Escape skips the record; the conversion ends normally.
    display.key(dialog, "Escape");
    EXPECT_EQ(first.wait(), 0);
    const std::vector<std::string> log = logMessages(p.logPath());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "Конвертация успешно закончена.");
    const std::vector<Row> rows = readOutput(out);
    ASSERT_EQ(rows.size(), 1u) << "the skipped record is not written";
    EXPECT_EQ(rows[0].KEI, "4");
}

TEST(ProgramProcess, AnsweredCodeIsRememberedForTheNextRun) {
    InstalledProgram p;
    REQUIRE_INSTALLED(p);
    Display display;
    ASSERT_TRUE(display.ready());
    RunEnvironment run;
    const std::string source =
        p.writeSource("prices.txt", {"#TABLE T", "4@101-1-5-7-9@Песок@м3@@61,58@55,00"});
    {
        Process first({p.program(), commandLine(p, "4R", source, p.file("a.dbf"))},
                      run.env(display.name()));
        const std::string dialog = display.waitForWindow(first, "Выбор соответствия");
        ASSERT_FALSE(dialog.empty()) << first.errorOutput();
        // Keep the type letter of the code in the focused box, retype the rest, accept with
        // Enter (ASCII keys only: a Cyrillic key needs a keymap change that can race).
        display.key(dialog, "Home Right shift+End 1 0 1 minus 0 0 0 1 minus 5 Return");
        EXPECT_EQ(first.wait(), 0);
        const std::vector<Row> rows = readOutput(p.file("a.dbf"));
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].TIP, "С");
        EXPECT_EQ(rows[0].TABL, " 0001");
        EXPECT_EQ(rows[0].POZ, "   5");
    }
    // The second run takes the answer from the code mapping table: no window, headless.
    Process again({p.program(), commandLine(p, "4R", source, p.file("b.dbf"))}, run.env());
    EXPECT_EQ(again.wait(), 0);
    const std::vector<Row> rows = readOutput(p.file("b.dbf"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].TABL, " 0001");
}

TEST(ProgramProcess, MissingReaderLibraryIsReportedAndNothingIsWritten) {
    InstalledProgram p;
    REQUIRE_INSTALLED(p);
    ASSERT_TRUE(platform::deleteFile(p.file("DLL/gvread.so")));
    Display display;
    ASSERT_TRUE(display.ready());
    RunEnvironment run;
    const std::string source = p.writeSource("prices.txt", {"#TABLE T", "4@101-0001-5@x@м3@@1@1"});
    Process program({p.program(), commandLine(p, "4R", source, p.file("out.dbf"))},
                    run.env(display.name()));
    // The standard exception report, titled with the application's title: the window was never
    // built, so that is still the program file's name.
    const std::string box = display.waitForWindow(program, "konvika");
    ASSERT_FALSE(box.empty()) << program.errorOutput();
    EXPECT_TRUE(display.xdotool("search --all --onlyvisible --name '^Цены Гарвена'").empty())
        << "no progress window";
    display.key(box, "Return");
    EXPECT_EQ(program.wait(), 0);
    EXPECT_FALSE(platform::fileExists(p.logPath()));
    EXPECT_FALSE(platform::fileExists(p.file("out.dbf")));
}

TEST(ProgramProcess, MissingSourceFileIsReportedOverTheProgressWindow) {
    InstalledProgram p;
    REQUIRE_INSTALLED(p);
    Display display;
    ASSERT_TRUE(display.ready());
    RunEnvironment run;
    Process program({p.program(), commandLine(p, "4R", p.file("missing.txt"), p.file("out.dbf"))},
                    run.env(display.name()));
    // The converter's message is captioned with its own name; OK, and the window closes.
    const std::string box = display.waitForWindow(program, "TKonvika");
    ASSERT_FALSE(box.empty()) << program.errorOutput();
    EXPECT_FALSE(display.xdotool("search --all --onlyvisible --pid " +
                                 std::to_string(program.pid()) + " --name '^Цены Гарвена'")
                     .empty())
        << "the progress window is up while the converter reports";
    display.key(box, "Return");
    EXPECT_EQ(program.wait(), 0);
    EXPECT_TRUE(platform::fileExists(p.logPath()));
    EXPECT_TRUE(readFileBytes(p.logPath()).empty()) << "the log is opened, nothing is logged";
    EXPECT_FALSE(platform::fileExists(p.file("out.dbf")));
}
