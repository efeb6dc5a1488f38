#include "tests/engine/ConversionFixture.h"

#include <filesystem>
#include <stdexcept>

#include "dbf/Table.h"
#include "engine/Tkonvika.h"
#include "platform/Files.h"
#include "reader/Tspdll.h"
#include "tests/support/ProgramTables.h"
#include "text/CodePages.h"

namespace engine_testing {

using testing_support::createEmptyTable;

std::string developmentReaderLibrary() { return GVREAD_LIBRARY_PATH; }
std::string scriptedReaderLibrary() { return SCRIPTED_READER_LIBRARY_PATH; }

ProgramFolder::ProgramFolder(const std::string& readerLibrary) {
    platform::createDirectories(path("DLL"));
    if (!platform::copyFile(readerLibrary, TSPDLL::LibraryPathIn(temp_.path())))
        throw std::runtime_error("cannot install the reader library " + readerLibrary);
    createEmptyTable(path("Morvel/Shablon/Resurs/cenashab.dbf"), testing_support::priceTableFields());
    platform::createDirectories(path("out"));
    platform::createDirectories(unitsFolder());
}

void ProgramFolder::writeUnits(const std::vector<std::pair<std::string, std::string>>& units,
                               const std::string& fileName) const {
    const std::string file = platform::joinPath(unitsFolder(), fileName);
    createEmptyTable(file, testing_support::unitsTableFields());
    dbf::Table table;
    table.setDatabaseName(unitsFolder());
    table.setTableName(fileName);
    table.open();
    for (const auto& [name, key] : units) {
        table.append();
        table.setFieldText("ED_IZ", text::ansiToOem(text::utf8ToCp1251(name)));
        table.setFieldText("KEI", key);
        table.post();
    }
    table.close();
}

std::string ProgramFolder::writeSource(const std::string& fileName,
                                       const std::vector<std::vector<std::string>>& tables) const {
    std::string bytes = "GARVENA 1\n";
    int number = 0;
    for (const auto& records : tables) {
        bytes += "#TABLE " + std::to_string(++number) + "\n";
        for (const std::string& record : records) bytes += text::utf8ToCp1251(record) + "\n";
    }
    const std::string file = path(fileName);
    testing_support::writeFileBytes(file, bytes);
    return file;
}

std::string ProgramFolder::writeScript(const std::string& fileName,
                                       const std::vector<std::string>& lines) const {
    std::string bytes;
    for (const std::string& line : lines) bytes += text::utf8ToCp1251(line) + "\n";
    const std::string file = path(fileName);
    testing_support::writeFileBytes(file, bytes);
    return file;
}

std::vector<std::string> logMessages(const std::string& logPath) {
    const std::string bytes = testing_support::readFileBytes(logPath);
    std::vector<std::string> messages;
    std::size_t start = 0;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        // An entry ends with a lone CR; CR LF is a line break inside a message.
        if (bytes[at] != '\r' || (at + 1 < bytes.size() && bytes[at + 1] == '\n')) continue;
        std::string entry = bytes.substr(start, at - start);
        const std::size_t dash = entry.find(" - ");
        messages.push_back(text::cp1251ToUtf8(dash == std::string::npos ? entry
                                                                        : entry.substr(dash + 3)));
        start = at + 1;
    }
    if (start < bytes.size()) messages.push_back("<unterminated>" + bytes.substr(start));
    return messages;
}

std::vector<PriceRow> readPriceTable(const std::string& path) {
    dbf::Table table;
    table.setDatabaseName(platform::folderOf(path));
    table.setTableName(platform::fileNameOf(path));
    table.open();
    std::vector<PriceRow> rows;
    for (table.first(); !table.eof(); table.next()) {
        rows.push_back({table.fieldText("TIP"), table.fieldText("SBOR"), table.fieldText("TABL"),
                        table.fieldText("POZ"), table.fieldText("KEI"), table.fieldText("C_1"),
                        table.fieldText("C_2"), table.fieldText("C1"), table.fieldText("C2")});
    }
    table.close();
    return rows;
}

std::vector<std::vector<std::string>> readRows(const std::string& path,
                                               const std::vector<std::string>& fields) {
    dbf::Table table;
    table.setDatabaseName(platform::folderOf(path));
    table.setTableName(platform::fileNameOf(path));
    table.open();
    std::vector<std::vector<std::string>> rows;
    for (table.first(); !table.eof(); table.next()) {
        std::vector<std::string> row;
        for (const std::string& field : fields) row.push_back(table.fieldText(field));
        rows.push_back(row);
    }
    table.close();
    return rows;
}

namespace {

class FixedClock final : public LogClock {
public:
    LogTime now() const override { return {2005, 10, 20, 14, 3, 27, 0}; }
};

}  // namespace

void useFixedLogClock(TKonvika& converter) {
    converter.LogFile().SetClock(std::make_shared<FixedClock>());
    converter.LogFile().SetTimeFormats({"%d.%m.%Y", "%H:%M:%S"});
}

std::string stampedEntry(const std::string& message) {
    std::string stored;
    for (char c : message) stored += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return "20.10.2005 14:03:27 - " + stored + "\r";
}

namespace {

class ScriptedDialog : public engine::CorrespondenceDialog {
public:
    ScriptedDialog(ScriptedDialogs& owner, DialogAnswer answer)
        : owner_(owner), answer_(std::move(answer)) {}

    void SetQuestion(const std::string&, const std::string& message, const std::string& code,
                     const std::string& unit, const std::string& name, const std::string&,
                     const std::string&) override {
        question_.message = text::cp1251ToUtf8(message);
        question_.code = text::cp1251ToUtf8(code);
        question_.unit = text::cp1251ToUtf8(unit);
        question_.name = text::cp1251ToUtf8(name);
    }
    void SetMode(int mode) override { question_.mode = mode; }
    int ShowModal() override {
        owner_.questions.push_back(question_);
        return answer_.modalResult;
    }
    bool IsSkipSbornik() const override { return answer_.skipSbornik; }
    void GetAnswer(std::string& code, std::string& unitCode,
                   std::string& coefficient) const override {
        code = text::utf8ToCp1251(answer_.code);
        unitCode = text::utf8ToCp1251(answer_.unitCode);
        coefficient = text::utf8ToCp1251(answer_.coefficient);
    }

private:
    ScriptedDialogs& owner_;
    DialogAnswer answer_;
    DialogQuestion question_;
};

}  // namespace

std::unique_ptr<engine::CorrespondenceDialog> ScriptedDialogs::CreateDialog() {
    DialogAnswer answer;
    answer.modalResult = engine::kModalIgnore;
    if (questions.size() < answers.size()) answer = answers[questions.size()];
    return std::make_unique<ScriptedDialog>(*this, answer);
}

}  // namespace engine_testing
