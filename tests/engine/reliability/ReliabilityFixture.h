#pragma once
// What the reliability tests share: source records that need answers, a dialog that answers
// them the same way every time and reports each answer once it is stored, a snapshot of the
// files under a folder, a second process that holds a table exclusively, and the checks of the
// mapping tables after a fault.
#include <functional>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

#include "engine/ConversionUi.h"
#include "tests/engine/ConversionFixture.h"

namespace reliability {

// Standard units of the tests (UTF-8 name, KEI).
const std::vector<std::pair<std::string, std::string>>& standardUnits();

// The answers the tests' user gives: the same for the same name or unit in every run, so a
// record gives the same output row whether answered now or found in a mapping table.
std::string codeAnswerFor(const std::string& name);  // Windows-1251 name -> Windows-1251 code
struct UnitAnswer {
    std::string kei, coefficient;
};
UnitAnswer unitAnswerFor(const std::string& unit);  // Windows-1251 unit

// Source records (UTF-8): one with a valid code and a standard unit; one whose code is unknown
// (a name of `nameLength` characters, needs a code answer); one whose unit is unknown.
std::string validRecord(int n);
std::string unknownCodeRecord(const std::string& tag, int n, std::size_t nameLength);
std::string unknownUnitRecord(const std::string& tag, int n);

// Answers every question with codeAnswerFor / unitAnswerFor. An answer is stored by the
// converter after the dialog returns; it is reported as stored (through `report`) when the next
// question is asked, when the window handles messages before a table, or by flush().
class ReportingDialogs : public engine::CorrespondenceDialogFactory,
                         public engine::ProgressBar,
                         public engine::ConversionWindow {
public:
    // Lines "K <name>" and "U <unit>" (Windows-1251).
    std::function<void(const std::string&)> report;

    std::unique_ptr<engine::CorrespondenceDialog> CreateDialog() override;
    void ProcessMessages() override {}  // after an answer: the store has not happened yet
    void SetPosition(int) override {}
    void Repaint() override {}
    // ConversionWindow::ProcessMessages runs before a table: every earlier store has returned.
    void flush();

    int questions = 0;
    std::vector<std::string> pending;

private:
    class Dialog;
};

// Splits report lines into the names and the units that were stored.
struct StoredAnswers {
    std::vector<std::string> names, units;
};
StoredAnswers parseReports(const std::string& lines);

// Checks of the mapping tables of a program folder, opened through the table helper (which
// repairs their index when needed). Each problem is one line of the result.
// How the rows are also read by python3-dbfread and checked for torn fields. dbfread reads up
// to the end marker, not up to the header's count: after a kill between writing a record and
// counting it, it sees that one whole record more (the next append overwrites it).
enum class IndependentCheck { None, Exact, AfterKill };
std::vector<std::string> checkMappingTables(const std::string& root, const StoredAnswers& stored,
                                            IndependentCheck independent = IndependentCheck::Exact);

// Every file under a folder (relative path -> bytes; folders as "<folder>").
using Snapshot = std::map<std::string, std::string>;
Snapshot snapshot(const std::string& root);
// "added X", "removed X", "changed X" for every difference.
std::vector<std::string> differences(const Snapshot& before, const Snapshot& after);

// A second process that opens a table exclusively (with its index when `withIndex`) and keeps
// it open until released.
class ExclusiveHolder {
public:
    ExclusiveHolder(const std::string& path, bool withIndex);
    ~ExclusiveHolder();
    ExclusiveHolder(const ExclusiveHolder&) = delete;
    ExclusiveHolder& operator=(const ExclusiveHolder&) = delete;
    bool holding() const { return holding_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool holding_ = false;
};

// Permissions of a path for the time of a test; restored on destruction.
class ScopedMode {
public:
    ScopedMode(const std::string& path, unsigned mode);
    ~ScopedMode();
    ScopedMode(const ScopedMode&) = delete;
    ScopedMode& operator=(const ScopedMode&) = delete;

private:
    std::string path_;
    unsigned old_ = 0;
};

}  // namespace reliability
