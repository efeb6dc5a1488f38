// Conversions killed with SIGKILL at seeded random moments. After every kill: the output table
// opens in our engine and in an independent reader with whole records only, both mapping tables
// open (the table helper repairs their index if needed), every answer the child reported as
// stored is found again, and a new conversion of the same file runs to the end without asking
// any of those answers again.
//
// KONVIKA_KILL_POINTS and KONVIKA_KILL_SEED change the number of kills and the seed (the soak
// script runs long loops with fresh seeds).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/Tlogfile.h"
#include "engine/Tkonvika.h"
#include "platform/Files.h"
#include "tests/engine/ConversionFixture.h"
#include "tests/engine/reliability/ReliabilityFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/units/ExternalReaders.h"
#include "text/CodePages.h"

using engine_testing::PriceRow;
using engine_testing::ProgramFolder;
using engine_testing::readPriceTable;
using Clock = std::chrono::steady_clock;

namespace {

// A kill costs about half a conversion plus the checks: well under a second, also under the
// sanitizers, where the disk's flushes rather than the code set the pace.
constexpr int kDefaultKillPoints = 50;

int environmentNumber(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

// Three tables of valid records and records that need a code or a unit answer; the names and
// units are new in every round, so that every round stores answers.
std::vector<std::vector<std::string>> roundSource(int round) {
    const std::string tag = "r" + std::to_string(round);
    int n = 0;
    std::vector<std::vector<std::string>> tables(3);
    auto add = [&](std::size_t table, int valid, std::vector<std::size_t> nameLengths, int units) {
        for (int i = 0; i < valid; ++i) tables[table].push_back(reliability::validRecord(++n));
        for (std::size_t length : nameLengths)
            tables[table].push_back(reliability::unknownCodeRecord(tag, ++n, length));
        for (int i = 0; i < units; ++i) tables[table].push_back(reliability::unknownUnitRecord(tag, ++n));
    };
    add(0, 3, {20, 51, 120}, 2);
    // A name of twenty pieces (the most that is kept) in every fifth round only: each piece is
    // a row flushed to the disk.
    add(1, 2, round % 5 == 0 ? std::vector<std::size_t>{50, 1001} : std::vector<std::size_t>{50}, 2);
    add(2, 1, {120}, 1);
    return tables;
}

std::size_t recordCount(const std::vector<std::vector<std::string>>& tables) {
    std::size_t count = 0;
    for (const auto& table : tables) count += table.size();
    return count;
}

bool sameRow(const PriceRow& a, const PriceRow& b) {
    return a.TIP == b.TIP && a.SBOR == b.SBOR && a.TABL == b.TABL && a.POZ == b.POZ &&
           a.KEI == b.KEI && a.C_1 == b.C_1 && a.C_2 == b.C_2 && a.C1 == b.C1 && a.C2 == b.C2;
}

struct ChildRun {
    pid_t pid = -1;
    int reports = -1;  // read end of the report pipe
};

// The conversion in a child: every stored answer, the moment the output table is open and the
// end are written to the pipe as lines.
ChildRun startConversion(const ProgramFolder& folder, const std::string& source) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const int out = fds[1];
        auto send = [out](const std::string& line) {
            const std::string bytes = line + "\n";
            if (::write(out, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) ::_exit(3);
        };
        testing_support::RecordingDesktop desktop;
        reliability::ReportingDialogs dialogs;
        dialogs.report = send;
        // Before every table: the answers of the last table are stored, the output is open.
        class Window : public engine::ConversionWindow {
        public:
            Window(reliability::ReportingDialogs& d, std::function<void(const std::string&)> s)
                : dialogs_(d), send_(std::move(s)) {}
            void Repaint() override {}
            void ProcessMessages() override {
                dialogs_.flush();
                send_("O");
            }

        private:
            reliability::ReportingDialogs& dialogs_;
            std::function<void(const std::string&)> send_;
        } window(dialogs, send);
        bool result = false;
        try {
            TLogFile logFile;
            TKonvika converter(folder.root(), logFile);
            converter.SetDialogFactory(&dialogs);
            result = converter.Convert("40", source, folder.outputPath(), true, "",
                                       folder.unitsFolder(), &dialogs, &window);
        } catch (...) {
            send("E");
            ::_exit(1);
        }
        dialogs.flush();
        for (const auto& message : desktop.messages) send("B " + message.text);
        send(result ? "R 1" : "R 0");
        ::_exit(0);
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}

std::string readAll(int fd) {
    std::string bytes;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return bytes;
}

struct Rerun {
    bool result = false;
    reliability::StoredAnswers asked;
    std::vector<std::string> messages;
};

Rerun convertToTheEnd(const ProgramFolder& folder, const std::string& source) {
    Rerun rerun;
    testing_support::RecordingDesktop desktop;
    reliability::ReportingDialogs dialogs;
    std::string reported;
    dialogs.report = [&reported](const std::string& line) { reported += line + "\n"; };
    {
        TLogFile logFile;
        TKonvika converter(folder.root(), logFile);
        converter.SetDialogFactory(&dialogs);
        rerun.result = converter.Convert("40", source, folder.outputPath(), true, "",
                                         folder.unitsFolder(), &dialogs, &dialogs);
    }
    dialogs.flush();
    rerun.asked = reliability::parseReports(reported);
    rerun.messages = desktop.textsUtf8();
    return rerun;
}

bool containsLine(const std::string& lines, const std::string& line) {
    return ("\n" + lines).find("\n" + line + "\n") != std::string::npos;
}

TEST(KillLoop, KilledConversionsLoseNoStoredAnswerAndLeaveWholeTables) {
    const int wanted = environmentNumber("KONVIKA_KILL_POINTS", kDefaultKillPoints);
    const unsigned seed = static_cast<unsigned>(environmentNumber("KONVIKA_KILL_SEED", 20261209));
    std::mt19937 random(seed);
    ProgramFolder folder;
    folder.writeUnits(reliability::standardUnits());

    // How long one whole conversion of a round takes here, killed nowhere.
    const std::string calibration = folder.writeSource("calibration.txt", roundSource(-1));
    const auto started = Clock::now();
    ChildRun run = startConversion(folder, calibration);
    ASSERT_GT(run.pid, 0);
    const std::string calibrated = readAll(run.reports);
    int status = 0;
    ::waitpid(run.pid, &status, 0);
    const auto wholeRun = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);
    ASSERT_TRUE(containsLine(calibrated, "R 1")) << calibrated;
    ASSERT_EQ(readPriceTable(folder.outputPath()).size(), recordCount(roundSource(-1)));

    reliability::StoredAnswers everStored = reliability::parseReports(calibrated);
    std::vector<std::string> killedOutputs;
    int kills = 0, reportedAnswers = 0, lost = 0, round = 0;
    std::uniform_int_distribution<long> moment(0, wholeRun.count());
    for (; kills < wanted && round < 3 * wanted; ++round) {
        const std::string source = folder.writeSource("prices.txt", roundSource(round));
        run = startConversion(folder, source);
        ASSERT_GT(run.pid, 0);
        const long delay = moment(random);
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
        ::kill(run.pid, SIGKILL);
        const std::string reports = readAll(run.reports);
        ::waitpid(run.pid, &status, 0);
        const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        if (killed) ++kills;
        ASSERT_FALSE(containsLine(reports, "E")) << "round " << round << ": " << reports;
        SCOPED_TRACE("round " + std::to_string(round) + ", killed after " + std::to_string(delay) + " us");

        // The output as the kill left it; checked against the whole conversion below.
        std::vector<PriceRow> killedRows;
        const bool outputOpened = containsLine(reports, "O");
        if (outputOpened) {
            try {
                killedRows = readPriceTable(folder.outputPath());
            } catch (const std::exception& error) {
                ADD_FAILURE() << "the output table does not open: " << text::cp1251ToUtf8(error.what());
            }
            const std::string kept = folder.path("killed-" + std::to_string(round) + ".dbf");
            if (platform::copyFile(folder.outputPath(), kept)) killedOutputs.push_back(kept);
        }

        const reliability::StoredAnswers stored = reliability::parseReports(reports);
        reportedAnswers += static_cast<int>(stored.names.size() + stored.units.size());
        everStored.names.insert(everStored.names.end(), stored.names.begin(), stored.names.end());
        everStored.units.insert(everStored.units.end(), stored.units.begin(), stored.units.end());
        const std::vector<std::string> problems =
            reliability::checkMappingTables(
                folder.root(), everStored,
                round % 5 == 0 ? reliability::IndependentCheck::AfterKill : reliability::IndependentCheck::None);
        for (const std::string& problem : problems)
            if (problem.rfind("answer lost", 0) == 0) ++lost;
        EXPECT_EQ(problems, std::vector<std::string>{});

        const Rerun rerun = convertToTheEnd(folder, source);
        EXPECT_TRUE(rerun.result);
        EXPECT_EQ(rerun.messages, std::vector<std::string>{});
        for (const std::string& name : stored.names)
            EXPECT_EQ(std::count(rerun.asked.names.begin(), rerun.asked.names.end(), name), 0)
                << "asked again: " << text::cp1251ToUtf8(name);
        for (const std::string& unit : stored.units)
            EXPECT_EQ(std::count(rerun.asked.units.begin(), rerun.asked.units.end(), unit), 0)
                << "asked again: " << text::cp1251ToUtf8(unit);
        everStored.names.insert(everStored.names.end(), rerun.asked.names.begin(), rerun.asked.names.end());
        everStored.units.insert(everStored.units.end(), rerun.asked.units.begin(), rerun.asked.units.end());
        // Answers are the same whether typed or found, so the killed run wrote the first
        // records of the whole conversion, exactly.
        const std::vector<PriceRow> whole = readPriceTable(folder.outputPath());
        EXPECT_EQ(whole.size(), recordCount(roundSource(round)));
        EXPECT_TRUE(killedRows.size() <= whole.size() &&
                    std::equal(killedRows.begin(), killedRows.end(), whole.begin(), sameRow))
            << "the killed output is not the start of the whole conversion's";
        if (::testing::Test::HasFatalFailure()) return;
    }

    // The independent reader sees in every killed output the records our engine counted.
    for (const std::string& kept : killedOutputs) {
        const external_readers::TableDump dump = external_readers::readWithDbfread(kept);
        ASSERT_TRUE(dump.ok) << kept << ": " << dump.error;
        // Up to the end marker: one whole record more when the kill came before it was counted.
        const std::size_t counted = readPriceTable(kept).size();
        EXPECT_TRUE(dump.records.size() == counted || dump.records.size() == counted + 1)
            << kept << ": dbfread " << dump.records.size() << ", our engine " << counted;
        for (const auto& values : dump.records) EXPECT_EQ(values.size(), 9u) << kept;
    }
    EXPECT_GE(kills, wanted) << "the conversions ended before the kills came";
    EXPECT_EQ(reliability::checkMappingTables(folder.root(), everStored), std::vector<std::string>{});
    std::printf("kill loop: seed %u, %d rounds, %d kill points, %d answers reported before a kill, "
                "%zu killed outputs read, answers lost: %d, whole run %ld us\n",
                seed, round, kills, reportedAnswers, killedOutputs.size(), lost,
                static_cast<long>(wholeRun.count()));
}

// Kills while the mapping tables are being made: a table must be there whole or not at all,
// and the next conversion must make or open it.
TEST(KillLoop, KillsWhileTheMappingTablesAreMadeLeaveNoTornTable) {
    const int wanted = std::max(25, environmentNumber("KONVIKA_KILL_POINTS", kDefaultKillPoints) / 2);
    std::mt19937 random(static_cast<unsigned>(environmentNumber("KONVIKA_KILL_SEED", 20261209)) + 1);
    ProgramFolder folder;
    folder.writeUnits(reliability::standardUnits());
    const std::string source = folder.writeSource("prices.txt", {{reliability::validRecord(1)}});
    const std::string mapping = folder.path("Morvel/TKonvika");

    const auto started = Clock::now();
    ChildRun run = startConversion(folder, source);
    ASSERT_GT(run.pid, 0);
    ASSERT_TRUE(containsLine(readAll(run.reports), "R 1"));
    int status = 0;
    ::waitpid(run.pid, &status, 0);
    const auto wholeRun = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);

    std::uniform_int_distribution<long> moment(0, wholeRun.count());
    int kills = 0;
    for (int round = 0; kills < wanted && round < 5 * wanted; ++round) {
        std::filesystem::remove_all(mapping);
        run = startConversion(folder, source);
        ASSERT_GT(run.pid, 0);
        const long delay = moment(random);
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
        ::kill(run.pid, SIGKILL);
        readAll(run.reports);
        ::waitpid(run.pid, &status, 0);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) ++kills;
        SCOPED_TRACE("round " + std::to_string(round) + ", killed after " + std::to_string(delay) + " us");
        const Rerun rerun = convertToTheEnd(folder, source);
        EXPECT_TRUE(rerun.result);
        EXPECT_EQ(rerun.messages, std::vector<std::string>{});
        EXPECT_EQ(reliability::checkMappingTables(folder.root(), {}, reliability::IndependentCheck::Exact),
                  std::vector<std::string>{});
        for (const char* table : {"kodper.dbf", "edizper.dbf"})
            EXPECT_FALSE(platform::fileExists(mapping + "/" + table + ".new")) << table;
        if (::testing::Test::HasFailure()) return;
    }
    EXPECT_GE(kills, wanted);
    std::printf("creation kill loop: %d kill points, whole run %ld us\n", kills,
                static_cast<long>(wholeRun.count()));
}

}  // namespace
