#include "tests/engine/reliability/ReliabilityFixture.h"

#include <csignal>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "dbf/Table.h"
#include "dbf/Wdbffile.h"
#include "engine/MappingTables.h"
#include "platform/Files.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "tests/units/ExternalReaders.h"
#include "text/CodePages.h"

namespace reliability {

namespace {

unsigned hashOf(const std::string& s) {
    unsigned h = 2166136261u;
    for (unsigned char c : s) h = (h ^ c) * 16777619u;
    return h;
}

const char* const kCoefficients[] = {"0.5", "2", "1.0", "0.001"};
const char kCodePrefix[] = "101-0001-";

}  // namespace

const std::vector<std::pair<std::string, std::string>>& standardUnits() {
    static const std::vector<std::pair<std::string, std::string>> units = {
        {"м3", "1"}, {"шт", "2"}, {"т", "3"}, {"м2", "4"}};
    return units;
}

std::string codeAnswerFor(const std::string& name) {
    return "С"_w + kCodePrefix + std::to_string(hashOf(name) % 999 + 1);
}

UnitAnswer unitAnswerFor(const std::string& unit) {
    const unsigned h = hashOf(text::trimmed(unit));
    return {std::to_string(h % 4 + 1), kCoefficients[(h / 4) % 4]};
}

std::string validRecord(int n) {
    return "4@123-4567@Бетон " + std::to_string(n) + "@м3@@10@" + std::to_string(n);
}

std::string unknownCodeRecord(const std::string& tag, int n, std::size_t nameLength) {
    std::string name = "Кладка " + tag + "-" + std::to_string(n) + " ";
    // Cyrillic letters are two bytes in UTF-8 and one in the table: pad with Latin letters.
    std::size_t length = text::utf8ToCp1251(name).size();
    for (; length < nameLength; ++length) name += static_cast<char>('a' + length % 26);
    return "4@12-34@" + name + "@м3@@1@" + std::to_string(n);
}

std::string unknownUnitRecord(const std::string& tag, int n) {
    return "4@123-4567@Бетон@ед" + tag + "-" + std::to_string(n) + "@@8@" + std::to_string(n);
}

class ReportingDialogs::Dialog : public engine::CorrespondenceDialog {
public:
    explicit Dialog(ReportingDialogs& owner) : owner_(owner) {}
    void SetQuestion(const std::string&, const std::string&, const std::string&,
                     const std::string& unit, const std::string& name, const std::string&,
                     const std::string&) override {
        unit_ = unit;
        name_ = name;
    }
    void SetMode(int mode) override { mode_ = mode; }
    int ShowModal() override {
        ++owner_.questions;
        owner_.pending.push_back(mode_ == engine::kAskCode ? "K " + name_ : "U " + unit_);
        return engine::kModalOk;
    }
    bool IsSkipSbornik() const override { return false; }
    void GetAnswer(std::string& code, std::string& unitCode,
                   std::string& coefficient) const override {
        if (mode_ == engine::kAskCode) {
            code = codeAnswerFor(name_);
        } else {
            const UnitAnswer answer = unitAnswerFor(unit_);
            unitCode = answer.kei;
            coefficient = answer.coefficient;
        }
    }

private:
    ReportingDialogs& owner_;
    int mode_ = 0;
    std::string unit_, name_;
};

std::unique_ptr<engine::CorrespondenceDialog> ReportingDialogs::CreateDialog() {
    // The converter asks the next question only after storing the answer to the last one.
    flush();
    return std::make_unique<Dialog>(*this);
}

void ReportingDialogs::flush() {
    for (const std::string& line : pending)
        if (report) report(line);
    pending.clear();
}

StoredAnswers parseReports(const std::string& lines) {
    StoredAnswers stored;
    std::istringstream in(lines);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("K ", 0) == 0) stored.names.push_back(line.substr(2));
        if (line.rfind("U ", 0) == 0) stored.units.push_back(line.substr(2));
    }
    return stored;
}

namespace {

// Rows the independent reader finds, checked for fields that only a torn write could give.
void checkRowsIndependently(const std::string& path, std::size_t ownCount, bool afterKill,
                            bool codeTable, std::vector<std::string>& problems) {
    const external_readers::TableDump dump = external_readers::readWithDbfread(path);
    if (!dump.ok) {
        problems.push_back("dbfread cannot read " + path + ": " + dump.error);
        return;
    }
    if (dump.records.size() != ownCount && !(afterKill && dump.records.size() == ownCount + 1))
        problems.push_back(path + ": dbfread reads " + std::to_string(dump.records.size()) +
                           " rows, our engine " + std::to_string(ownCount));
    for (const auto& values : dump.records) {
        if (values.size() != 3) {
            problems.push_back(path + ": a row of " + std::to_string(values.size()) + " values");
            continue;
        }
        if (codeTable) {
            const int piece = std::atoi(values[1].c_str());
            if (piece < 1 || piece > 20 || values[1] != std::to_string(piece) ||
                values[2].rfind("С"_w + kCodePrefix, 0) != 0 || values[0].empty())
                problems.push_back(path + ": torn row " + text::cp1251ToUtf8(values[0]) + "|" +
                                   values[1] + "|" + text::cp1251ToUtf8(values[2]));
        } else {
            const UnitAnswer answer = unitAnswerFor(values[0]);
            if (values[1] != answer.kei || values[2] != answer.coefficient)
                problems.push_back(path + ": torn row " + text::cp1251ToUtf8(values[0]) + "|" +
                                   values[1] + "|" + values[2]);
        }
    }
}

}  // namespace

std::vector<std::string> checkMappingTables(const std::string& root, const StoredAnswers& stored,
                                            IndependentCheck independent) {
    std::vector<std::string> problems;
    testing_support::RecordingDesktop desktop;
    const std::string kodFile = platform::joinPath(root, "Morvel/TKonvika/kodper.dbf");
    const std::string edIzFile = platform::joinPath(root, "Morvel/TKonvika/edizper.dbf");
    std::size_t kodRows = 0, edIzRows = 0;
    {
        WDbfFile dbf;
        MappingTables tables(kodFile, edIzFile, dbf, "TKonvika");
        if (!tables.OpenMappingTables()) {
            problems.push_back("the mapping tables do not open");
            for (const std::string& text : desktop.textsUtf8()) problems.push_back("  " + text);
            return problems;
        }
        for (const std::string& name : stored.names) {
            std::string code;
            if (!tables.FindKod(name, code))
                problems.push_back("answer lost for the name " + text::cp1251ToUtf8(name));
            else if (code != codeAnswerFor(name))
                problems.push_back("wrong code for " + text::cp1251ToUtf8(name) + ": " +
                                   text::cp1251ToUtf8(code));
        }
        for (const std::string& unit : stored.units) {
            std::string kei, coefficient;
            const UnitAnswer answer = unitAnswerFor(unit);
            if (!tables.FindEdIz(unit, kei, coefficient))
                problems.push_back("answer lost for the unit " + text::cp1251ToUtf8(unit));
            else if (kei != answer.kei || coefficient != answer.coefficient)
                problems.push_back("wrong answer for " + text::cp1251ToUtf8(unit));
        }
        kodRows = tables.KodRowCount();
        edIzRows = tables.EdIzRowCount();
    }
    if (independent != IndependentCheck::None) {
        const bool afterKill = independent == IndependentCheck::AfterKill;
        checkRowsIndependently(kodFile, kodRows, afterKill, true, problems);
        checkRowsIndependently(edIzFile, edIzRows, afterKill, false, problems);
    }
    return problems;
}

Snapshot snapshot(const std::string& root) {
    Snapshot files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const std::string relative = std::filesystem::relative(it->path(), root).string();
        if (it->is_directory(error))
            files[relative] = "<folder>";
        else
            files[relative] = testing_support::readFileBytes(it->path().string());
    }
    return files;
}

std::vector<std::string> differences(const Snapshot& before, const Snapshot& after) {
    std::vector<std::string> found;
    for (const auto& [path, bytes] : before) {
        const auto now = after.find(path);
        if (now == after.end())
            found.push_back("removed " + path);
        else if (now->second != bytes)
            found.push_back("changed " + path);
    }
    for (const auto& [path, bytes] : after)
        if (before.find(path) == before.end()) found.push_back("added " + path);
    return found;
}

ExclusiveHolder::ExclusiveHolder(const std::string& path, bool withIndex) {
    int ready[2], release[2];
    if (::pipe(ready) != 0) return;
    if (::pipe(release) != 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        char state = 'n';
        try {
            dbf::Table table;
            table.setDatabaseName(platform::folderOf(path));
            table.setTableName(platform::fileNameOf(path));
            table.setExclusive(true);
            table.open();
            table.refreshIndexDefs();
            if (withIndex && table.indexDefNames().empty()) ::_exit(4);
            state = 'y';
            if (::write(ready[1], &state, 1) != 1) ::_exit(3);
            char byte = 0;
            while (::read(release[0], &byte, 1) < 0) {
            }
            table.close();
        } catch (...) {
            if (::write(ready[1], &state, 1) != 1) ::_exit(3);
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    char state = 'n';
    holding_ = ::read(ready[0], &state, 1) == 1 && state == 'y';
    ::close(ready[0]);
}

ExclusiveHolder::~ExclusiveHolder() {
    if (release_ >= 0) ::close(release_);  // the holder reads end of file and ends
    if (pid_ > 0) {
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
}

ScopedMode::ScopedMode(const std::string& path, unsigned mode) : path_(path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) old_ = st.st_mode & 07777;
    ::chmod(path.c_str(), mode);
}

ScopedMode::~ScopedMode() { ::chmod(path_.c_str(), old_); }

}  // namespace reliability
