#pragma once
// What the converter's tests need around a real conversion: a program folder in a temporary
// folder (reader library, template, units table, source files), scripted answers for the
// correspondence dialog, a recording progress window, and readers for the log and the output.
#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/ConversionUi.h"
#include "engine/Tkonvika.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace engine_testing {

// Paths of the two reader libraries built for the tests.
std::string developmentReaderLibrary();
std::string scriptedReaderLibrary();

class ProgramFolder {
public:
    // Installs the given reader library as DLL/gvread.so and writes the price-table template.
    explicit ProgramFolder(const std::string& readerLibrary = developmentReaderLibrary());

    const std::string& root() const { return temp_.path(); }
    // A path below the program folder, written with "/" between its pieces in the tests and
    // joined with the platform's separator.
    std::string path(const std::string& relative) const {
        std::string joined = temp_.path();
        for (std::size_t start = 0; start <= relative.size();) {
            const auto end = std::min(relative.find('/', start), relative.size());
            joined = platform::joinPath(joined, relative.substr(start, end - start));
            start = end + 1;
        }
        return joined;
    }
    std::string unitsFolder() const { return path("units"); }
    std::string outputPath() const { return path("out/price.dbf"); }
    std::string logPath() const { return path("Morvel/TKonvika.log"); }

    // A units table (ED_IZ in code page 866, KEI) with the given UTF-8 names and codes.
    void writeUnits(const std::vector<std::pair<std::string, std::string>>& units,
                    const std::string& fileName = "Ei1.dbf") const;
    // A source price file; records are UTF-8 and stored as Windows-1251.
    std::string writeSource(const std::string& fileName,
                            const std::vector<std::vector<std::string>>& tables) const;
    // A script for the scripted reader library (lines as the library reads them, UTF-8).
    std::string writeScript(const std::string& fileName, const std::vector<std::string>& lines) const;

private:
    testing_support::TempFolder temp_;
};

// The log's entries without their time stamps, as UTF-8.
std::vector<std::string> logMessages(const std::string& logPath);

struct PriceRow {
    std::string TIP, SBOR, TABL, POZ, KEI, C_1, C_2, C1, C2;  // as stored, code page 866 kept
};
std::vector<PriceRow> readPriceTable(const std::string& path);
// Every record of a table as the named fields' texts, in physical order.
std::vector<std::vector<std::string>> readRows(const std::string& path,
                                               const std::vector<std::string>& fields);

// Stamps the converter's log with a fixed clock and format.
void useFixedLogClock(TKonvika& converter);
// "20.10.2005 14:03:27 - " + message + CR, as the fixed clock stamps it.
std::string stampedEntry(const std::string& message);

struct DialogAnswer {
    int modalResult = engine::kModalOk;
    bool skipSbornik = false;
    std::string code, unitCode, coefficient;  // UTF-8
};

struct DialogQuestion {
    int mode = 0;
    std::string message, code, unit, name;  // UTF-8
};

// Answers the questions from a queue; a question beyond the queue is answered "skip".
class ScriptedDialogs : public engine::CorrespondenceDialogFactory {
public:
    std::unique_ptr<engine::CorrespondenceDialog> CreateDialog() override;
    void ProcessMessages() override { ++processedAfterAnswer; }

    std::vector<DialogAnswer> answers;
    std::vector<DialogQuestion> questions;
    int processedAfterAnswer = 0;
};

class RecordingProgress : public engine::ProgressBar, public engine::ConversionWindow {
public:
    void SetPosition(int position) override { positions.push_back(position); }
    void Repaint() override { ++repaints; }
    void ProcessMessages() override {
        if (onMessages) onMessages(static_cast<int>(positions.size()));
    }

    std::vector<int> positions;
    int repaints = 0;
    // Called with the number of tables begun so far (1 before the first table).
    std::function<void(int)> onMessages;
};

}  // namespace engine_testing
