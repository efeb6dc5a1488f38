// Faults on real files: a full disk while the output table or a mapping table grows, folders
// and files that cannot be written, tables another program holds. Each fault runs in a child
// process; the parent checks the messages, the log and every file afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

#include "app/Tlogfile.h"
#include "engine/Tkonvika.h"
#include "platform/Files.h"
#include "tests/engine/ConversionFixture.h"
#include "tests/engine/reliability/ChildProcess.h"
#include "tests/engine/reliability/ReliabilityFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/units/ExternalReaders.h"
#include "text/CodePages.h"

using engine_testing::logMessages;
using engine_testing::ProgramFolder;
using engine_testing::readPriceTable;
using reliability::ChildOutcome;
using reliability::ChildSetup;
using reliability::messageBoxes;
using reliability::runInChild;
using Lines = std::vector<std::string>;

namespace {

constexpr char kAddRecordFailed[] = "AddRecord: Ошибка при добавлении записи в ценовой файл!";
// Header of the test template (32 bytes, nine descriptors, terminator) and its record length.
constexpr std::size_t kTemplateHeader = 32 + 9 * 32 + 1;
constexpr std::size_t kPriceRecord = 1 + 1 + 6 + 5 + 5 + 3 + 4 * 16;

bool contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string u8(const std::string& cp1251) { return text::cp1251ToUtf8(cp1251); }

class Faults : public ::testing::Test {
protected:
    Faults() { folder.writeUnits(reliability::standardUnits()); }

    std::string kodFile() const { return folder.path("Morvel/TKonvika/kodper.dbf"); }
    std::string edIzFile() const { return folder.path("Morvel/TKonvika/edizper.dbf"); }
    std::string templatePath() const { return folder.path("Morvel/Shablon/Resurs/cenashab.dbf"); }
    std::string unitsTable() const { return folder.unitsFolder() + "/Ei1.dbf"; }

    // One conversion in this process, answering every question.
    bool convertHere(const std::string& source, reliability::ReportingDialogs* dialogs = nullptr) {
        testing_support::RecordingDesktop desktop;
        TLogFile logFile;
        TKonvika converter(folder.root(), logFile);
        converter.SetDialogFactory(dialogs);
        return converter.Convert("40", source, folder.outputPath(), true, "", folder.unitsFolder(),
                                 dialogs, dialogs);
    }

    // One conversion in a child; the output holds "result: 0/1", the stored answers and boxes.
    // Without `answering`, nobody answers: unknown records are rejected.
    ChildOutcome convertInChild(const std::string& source, const ChildSetup& setup, bool answering = true) {
        return runInChild(
            [&] {
                std::string lines;
                reliability::ReportingDialogs dialogs;
                dialogs.report = [&lines](const std::string& line) { lines += line + "\n"; };
                TLogFile logFile;
                TKonvika converter(folder.root(), logFile);
                converter.SetDialogFactory(answering ? &dialogs : nullptr);
                bool result = false;
                try {
                    result = converter.Convert("40", source, folder.outputPath(), true, "",
                                               folder.unitsFolder(), &dialogs, &dialogs);
                } catch (const std::exception& error) {
                    // An engine error leaves Convert: the program entry reports it.
                    return lines + "exception: " + u8(error.what()) + "\n";
                }
                dialogs.flush();
                return lines + "result: " + (result ? "1" : "0") + "\n";
            },
            setup);
    }

    ProgramFolder folder;
};

TEST_F(Faults, DiskFullWhileWritingTheOutputKeepsEveryPostedRecord) {
    std::vector<std::string> records;
    for (int i = 1; i <= 30; ++i) records.push_back(reliability::validRecord(i));
    const std::string source = folder.writeSource("prices.txt", {records});
    ASSERT_TRUE(convertHere(source));  // the mapping tables exist before the limit
    const reliability::Snapshot mapping = reliability::snapshot(folder.path("Morvel/TKonvika"));

    ChildSetup setup;
    constexpr std::size_t kFitting = 10;
    setup.fileSizeLimit = kTemplateHeader + kFitting * kPriceRecord + 1;
    const ChildOutcome child = convertInChild(source, setup);
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_NE(child.output.find("result: 0"), std::string::npos) << child.output;
    EXPECT_EQ(messageBoxes(child.output), Lines{std::string("TKonvika|") + kAddRecordFailed});
    const Lines log = logMessages(folder.logPath());
    EXPECT_TRUE(contains(log, kAddRecordFailed));
    EXPECT_FALSE(contains(log, "Конвертация успешно закончена."));

    const auto rows = readPriceTable(folder.outputPath());
    ASSERT_EQ(rows.size(), kFitting);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].C_1, std::to_string(i + 1) + ".000000") << i;
    const external_readers::TableDump dump = external_readers::readWithDbfread(folder.outputPath());
    ASSERT_TRUE(dump.ok) << dump.error;
    EXPECT_EQ(dump.records.size(), kFitting);
    EXPECT_TRUE(reliability::differences(mapping, reliability::snapshot(folder.path("Morvel/TKonvika"))).empty());
}

// The log is what fills the disk: its write errors are shown, every record is still converted.
TEST_F(Faults, DiskFullWhileWritingTheLogStillConvertsEveryRecord) {
    std::vector<std::string> records;
    for (int i = 1; i <= 60; ++i)
        records.push_back(i % 3 == 0 ? reliability::validRecord(i) : reliability::unknownCodeRecord("log", i, 40));
    const std::string source = folder.writeSource("prices.txt", {records});
    ASSERT_TRUE(convertHere(folder.writeSource("first.txt", {{reliability::validRecord(1)}})));
    const reliability::Snapshot mapping = reliability::snapshot(folder.path("Morvel/TKonvika"));
    ChildSetup setup;
    setup.fileSizeLimit = 2500;  // the output's 20 records fit, the log's 40 rejections do not
    const ChildOutcome child = convertInChild(source, setup, false);
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_NE(child.output.find("result: 1"), std::string::npos) << child.output;
    const Lines boxes = messageBoxes(child.output);
    ASSERT_FALSE(boxes.empty());
    for (const std::string& box : boxes)
        EXPECT_EQ(box, "TLogFile|Ошибка при записи в файл протокола " + u8(folder.logPath()) + "!");
    EXPECT_LE(testing_support::readFileBytes(folder.logPath()).size(), setup.fileSizeLimit);
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 20u);
    const external_readers::TableDump dump = external_readers::readWithDbfread(folder.outputPath());
    ASSERT_TRUE(dump.ok) << dump.error;
    EXPECT_EQ(dump.records.size(), 20u);
    EXPECT_EQ(reliability::differences(mapping, reliability::snapshot(folder.path("Morvel/TKonvika"))), Lines{});
}

// A full disk while answers are appended: the engine's error leaves the conversion, every answer
// stored before it is found again, no torn row is trusted, and the next run asks only the rest.
void checkDiskFullWhileStoring(ProgramFolder& folder, const std::string& source,
                               const ChildOutcome& child) {
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_NE(child.output.find("exception: "), std::string::npos) << child.output;
    EXPECT_NE(child.output.find("TKonvika/"), std::string::npos) << "the error names the table: " << child.output;
    const reliability::StoredAnswers stored = reliability::parseReports(child.output);
    EXPECT_FALSE(stored.names.empty() && stored.units.empty()) << "the limit came before any answer";
    EXPECT_EQ(reliability::checkMappingTables(folder.root(), stored), Lines{});

    reliability::ReportingDialogs dialogs;
    std::string reported;
    dialogs.report = [&reported](const std::string& line) { reported += line + "\n"; };
    {
        testing_support::RecordingDesktop desktop;
        TLogFile logFile;
        TKonvika converter(folder.root(), logFile);
        converter.SetDialogFactory(&dialogs);
        EXPECT_TRUE(converter.Convert("40", source, folder.outputPath(), true, "",
                                      folder.unitsFolder(), &dialogs, &dialogs));
        dialogs.flush();
        EXPECT_TRUE(desktop.messages.empty()) << desktop.lastTextUtf8();
    }
    const reliability::StoredAnswers again = reliability::parseReports(reported);
    for (const std::string& name : stored.names)
        EXPECT_EQ(std::count(again.names.begin(), again.names.end(), name), 0) << "asked again: " << u8(name);
    for (const std::string& unit : stored.units)
        EXPECT_EQ(std::count(again.units.begin(), again.units.end(), unit), 0) << "asked again: " << u8(unit);
    reliability::StoredAnswers all = stored;
    all.names.insert(all.names.end(), again.names.begin(), again.names.end());
    all.units.insert(all.units.end(), again.units.begin(), again.units.end());
    EXPECT_EQ(reliability::checkMappingTables(folder.root(), all), Lines{});
}

TEST_F(Faults, DiskFullWhileAppendingToTheCodeTableLosesNoStoredAnswer) {
    ASSERT_TRUE(convertHere(folder.writeSource("first.txt", {{reliability::validRecord(1)}})));
    std::vector<std::string> records;
    for (int i = 1; i <= 40; ++i) records.push_back(reliability::unknownCodeRecord("full", i, 40 + 3 * i));
    const std::string source = folder.writeSource("prices.txt", {records});
    ChildSetup setup;
    setup.fileSizeLimit = 6000;
    const ChildOutcome child = convertInChild(source, setup);
    checkDiskFullWhileStoring(folder, source, child);
}

TEST_F(Faults, DiskFullWhileAppendingToTheUnitTableLosesNoStoredAnswer) {
    ASSERT_TRUE(convertHere(folder.writeSource("first.txt", {{reliability::validRecord(1)}})));
    std::vector<std::string> records;
    for (int i = 1; i <= 80; ++i) records.push_back(reliability::unknownUnitRecord("full", i));
    const std::string source = folder.writeSource("prices.txt", {records});
    ChildSetup setup;
    setup.fileSizeLimit = 6000;
    const ChildOutcome child = convertInChild(source, setup);
    checkDiskFullWhileStoring(folder, source, child);
}

// A new mapping table that cannot be written whole must not stay behind: a table with a torn
// header would stop every later conversion.
TEST_F(Faults, DiskFullWhileCreatingTheMappingTablesLeavesNoTornTable) {
    const std::string source = folder.writeSource("prices.txt", {{reliability::validRecord(1)}});
    ChildSetup setup;
    setup.fileSizeLimit = 100;  // less than the header of either table
    const ChildOutcome child = convertInChild(source, setup);
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_NE(child.output.find("result: 0"), std::string::npos) << child.output;
    EXPECT_EQ(messageBoxes(child.output),
              Lines{"TKonvika|CreateKodFile: Ошибка при формировании файла: " + u8(kodFile())});
    EXPECT_FALSE(platform::fileExists(kodFile()));
    EXPECT_EQ(reliability::snapshot(folder.path("Morvel/TKonvika")), (reliability::Snapshot{}));
    EXPECT_FALSE(platform::fileExists(folder.outputPath()));

    EXPECT_TRUE(convertHere(source));
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 1u);
}

TEST_F(Faults, ReadOnlyOutputFolderGivesTheCopyMessageAndWritesNothingThere) {
    const std::string source = folder.writeSource("prices.txt", {{reliability::validRecord(1)}});
    reliability::ScopedMode readOnly(folder.path("out"), 0555);
    const reliability::Snapshot before = reliability::snapshot(folder.root());
    ChildSetup setup;
    setup.honourPermissions = true;
    const ChildOutcome child = convertInChild(source, setup);
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_NE(child.output.find("result: 0"), std::string::npos) << child.output;
    const std::string message = "Convert: Ошибка при копировании файла из " + u8(templatePath()) +
                                " в " + u8(folder.outputPath()) + "!";
    EXPECT_EQ(messageBoxes(child.output), Lines{"TKonvika|" + message});
    EXPECT_EQ(logMessages(folder.logPath()).back(), message);
    EXPECT_EQ(reliability::snapshot(folder.path("out")), (reliability::Snapshot{}));
    // Only the log and the new mapping tables may have been written.
    for (const std::string& change : reliability::differences(before, reliability::snapshot(folder.root())))
        EXPECT_TRUE(change == "changed Morvel/TKonvika.log" || change == "added Morvel/TKonvika.log" ||
                    change.rfind("added Morvel/TKonvika", 0) == 0)
            << change;
}

TEST_F(Faults, ExistingReadOnlyOutputIsNeitherReplacedNorDeleted) {
    const std::string source = folder.writeSource("prices.txt", {{reliability::validRecord(1)}});
    testing_support::writeFileBytes(folder.outputPath(), "an older price table");
    reliability::ScopedMode readOnly(folder.outputPath(), 0444);
    ChildSetup setup;
    setup.honourPermissions = true;
    const ChildOutcome child = convertInChild(source, setup);
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_NE(child.output.find("result: 0"), std::string::npos) << child.output;
    ASSERT_EQ(messageBoxes(child.output).size(), 1u) << child.output;
    EXPECT_NE(messageBoxes(child.output)[0].find("Convert: Ошибка при копировании файла из "), std::string::npos);
    EXPECT_EQ(testing_support::readFileBytes(folder.outputPath()), "an older price table");
}

TEST_F(Faults, ReadOnlyTemplateIsCopiedAndStaysAsItWas) {
    const std::string source = folder.writeSource("prices.txt", {{reliability::validRecord(1), reliability::validRecord(2)}});
    const std::string before = testing_support::readFileBytes(templatePath());
    reliability::ScopedMode readOnlyFile(templatePath(), 0444);
    reliability::ScopedMode readOnlyFolder(folder.path("Morvel/Shablon/Resurs"), 0555);
    ChildSetup setup;
    setup.honourPermissions = true;
    const ChildOutcome child = convertInChild(source, setup);
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_NE(child.output.find("result: 1"), std::string::npos) << child.output;
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 2u);
    EXPECT_EQ(testing_support::readFileBytes(templatePath()), before);
    struct stat st {};
    ASSERT_EQ(::stat(templatePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u) << "the template's read-only attribute is kept";
}

TEST_F(Faults, MissingTemplateGivesTheCopyMessageAndNoOutput) {
    const std::string source = folder.writeSource("prices.txt", {{reliability::validRecord(1)}});
    ASSERT_TRUE(platform::deleteFile(templatePath()));
    const ChildOutcome child = convertInChild(source, {});
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_NE(child.output.find("result: 0"), std::string::npos) << child.output;
    const std::string message = "Convert: Ошибка при копировании файла из " + u8(templatePath()) +
                                " в " + u8(folder.outputPath()) + "!";
    EXPECT_EQ(messageBoxes(child.output), Lines{"TKonvika|" + message});
    EXPECT_EQ(logMessages(folder.logPath()).back(), message);
    EXPECT_FALSE(platform::fileExists(folder.outputPath()));
}

TEST_F(Faults, UnitsTableHeldExclusivelyByAnotherProgram) {
    const std::string source = folder.writeSource("prices.txt", {{reliability::validRecord(1)}});
    ASSERT_TRUE(convertHere(source));
    const reliability::Snapshot before = reliability::snapshot(folder.unitsFolder());
    reliability::ExclusiveHolder holder(unitsTable(), false);
    ASSERT_TRUE(holder.holding());
    const ChildOutcome child = convertInChild(source, {});
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_NE(child.output.find("result: 0"), std::string::npos) << child.output;
    const Lines expected = {
        "Удаление индексов|Ошибка при открытии файла:\n" + u8(unitsTable()) +
            "!\nВозможно он используется другой программой.",
        "Класс WDbfFile|Ошибка при чтении файла: " + u8(unitsTable()),
    };
    EXPECT_EQ(messageBoxes(child.output), expected);
    EXPECT_TRUE(reliability::differences(before, reliability::snapshot(folder.unitsFolder())).empty());
}

// The other program holds the code table and its index: both must be there, unchanged, when it
// lets go of them.
TEST_F(Faults, MappingTableHeldExclusivelyByAnotherProgramLosesNothing) {
    const std::string source = folder.writeSource("prices.txt", {{reliability::unknownCodeRecord("held", 1, 30)}});
    reliability::ReportingDialogs dialogs;
    std::string reported;
    dialogs.report = [&reported](const std::string& line) { reported += line + "\n"; };
    ASSERT_TRUE(convertHere(source, &dialogs));
    dialogs.flush();
    ASSERT_TRUE(platform::fileExists(folder.path("Morvel/TKonvika/kodper.mdx")));
    const reliability::Snapshot before = reliability::snapshot(folder.path("Morvel/TKonvika"));
    {
        reliability::ExclusiveHolder holder(kodFile(), true);
        ASSERT_TRUE(holder.holding());
        const ChildOutcome child = convertInChild(source, {});
        ASSERT_TRUE(child.exited) << "signal " << child.signal;
        EXPECT_NE(child.output.find("result: 0"), std::string::npos) << child.output;
        const Lines boxes = messageBoxes(child.output);
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back(), "Класс WDbfFile|Ошибка при чтении файла: " + u8(kodFile()));
        EXPECT_EQ(reliability::differences(before, reliability::snapshot(folder.path("Morvel/TKonvika"))), Lines{});
    }
    EXPECT_EQ(reliability::checkMappingTables(folder.root(), reliability::parseReports(reported)), Lines{});
}

TEST_F(Faults, LogFolderNotWritableStopsBeforeAnythingIsWritten) {
    const std::string source = folder.writeSource("prices.txt", {{reliability::validRecord(1)}});
    reliability::ScopedMode readOnly(folder.path("Morvel"), 0555);
    const reliability::Snapshot before = reliability::snapshot(folder.root());
    ChildSetup setup;
    setup.honourPermissions = true;
    const ChildOutcome child = convertInChild(source, setup);
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_NE(child.output.find("result: 0"), std::string::npos) << child.output;
    EXPECT_EQ(messageBoxes(child.output),
              Lines{"TLogFile|TLogFile: Не удалось открыть файл протокола " + u8(folder.logPath()) + "!"});
    EXPECT_EQ(reliability::differences(before, reliability::snapshot(folder.root())), Lines{});
}

}  // namespace
