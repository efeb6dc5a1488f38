// The converter object, the conversion driver and the record loop: construction, Convert over
// the source tables, ProcessTable over one table's records, the reader's error reports, and
// closing what a conversion opened.
#include "engine/Tkonvika.h"

#include <cstdint>
#include <vector>

#include "dbf/TablePaths.h"
#include "platform/Desktop.h"
#include "platform/Files.h"
#include "reader/ReaderErrorText.h"
#include "text/CodePages.h"
#include "units/Wedizm.h"


namespace {

// The output replaces the file its path names, and the opening of the output removes the index
// named after it: neither may be a file the conversion reads or keeps (the template, the
// source, the mapping tables with their indexes, the units table, the log). A calling program
// that passes one of them by mistake would otherwise destroy, for example, every stored answer.
bool namesAnyOf(const std::string& outFile, const std::vector<std::string>& kept) {
    const std::string outIndexes[] = {dbf::productionIndexPath(outFile), outFile + "x"};
    for (const std::string& file : kept) {
        if (platform::sameFile(outFile, file)) return true;
        for (const std::string& index : outIndexes)
            if (platform::sameFile(index, file)) return true;
    }
    return false;
}

}  // namespace

TKonvika::TKonvika(const std::string& programFolder, engine::ConversionLog& log)
    : FDescription("TKonvika"),
      FTemplatePath(platform::joinPath(programFolder, {"Morvel", "Shablon", "Resurs", "cenashab.dbf"})),
      FEdIzFile(platform::joinPath(programFolder, {"Morvel", "TKonvika", "edizper.dbf"})),
      FKodFile(platform::joinPath(programFolder, {"Morvel", "TKonvika", "kodper.dbf"})),
      FLogPath(platform::joinPath(programFolder, {"Morvel", "TKonvika.log"})),
      FReader(programFolder),
      FLog(log),
      FMapping(FKodFile, FEdIzFile, FDbf, FDescription),
      FResolver(FMapping),
      FWriter(FDbf) {}

TKonvika::~TKonvika() {
    // Destruction must not throw: a table that fails to close has already reported itself.
    try {
        FWriter.Close();
        FMapping.CloseTables();
    } catch (...) {
    }
    CloseLog();
}

void TKonvika::SetDialogFactory(engine::CorrespondenceDialogFactory* factory) {
    FResolver.SetDialogFactory(factory);
}

void TKonvika::CancelConversion() { FCancel = true; }

void TKonvika::WriteLog(const std::string& message) {
    if (FLogging) FLog.WriteLine(message);
}

void TKonvika::ShowMessage(const std::string& message) const {
    platform::showError(FDescription, message);
}

bool TKonvika::OpenMappingTables() { return FMapping.OpenMappingTables(); }

void TKonvika::ReportReaderError(const std::string& operation, int code) {
    const std::string message = operation + ": " + ReaderErrorText(code);
    ShowMessage(message);
    WriteLog(message);
}

bool TKonvika::CloseReader() {
    const int code = FReader.gvClose();
    if (code != 0) {
        ReportReaderError("Convert", code);
        return false;
    }
    return true;
}

void TKonvika::CloseLog() {
    if (FLogging) FLog.Close();
}

bool TKonvika::Convert(const std::string& baseCode, const std::string& priceFile,
                       const std::string& outFile, bool logging,
                       const std::string& secondUnitsDir, const std::string& firstUnitsDir,
                       engine::ProgressBar* bar, engine::ConversionWindow* window) {
    FLogging = logging;
    WEdIzm unitsFile(baseCode, firstUnitsDir, secondUnitsDir);
    FResolver.BeginConversion(baseCode, secondUnitsDir, firstUnitsDir);

    if (FLogging && !FLog.Open(FLogPath, "w+")) return false;

    if (!platform::fileExists(priceFile)) {
        ShowMessage("Convert: Файл с ценами "_w + priceFile + " не найден!"_w);
        return false;
    }
    if (!OpenMappingTables()) return false;
    const std::string unitsTable = unitsFile.GetFileName();
    if (!FResolver.LoadStandardUnits(unitsTable)) return false;

    WriteLog("Начало конвертации файла "_w + priceFile);

    int code = FReader.gvOpen(priceFile.c_str());
    if (code != 0) {
        ReportReaderError("Convert", code);
        return false;
    }
    const std::vector<std::string> kept = {FTemplatePath, priceFile, FKodFile, FEdIzFile,
                                           dbf::productionIndexPath(FKodFile),
                                           dbf::productionIndexPath(FEdIzFile), unitsTable,
                                           dbf::productionIndexPath(unitsTable), FLogPath};
    if (namesAnyOf(outFile, kept) || !platform::copyFile(FTemplatePath, outFile)) {
        const std::string message = "Convert: Ошибка при копировании файла из "_w +
                                    FTemplatePath + " в "_w + outFile + "!";
        ShowMessage(message);
        WriteLog(message);
        CloseReader();
        return false;
    }
    if (!FWriter.Open(outFile)) {
        CloseReader();
        return false;
    }

    const auto* tables = FReader.gvGetTables();
    code = FReader.gvGetError();
    if (code != 0) {
        ReportReaderError("Convert", code);
        CloseReader();
        return false;
    }
    const int tableCount = FReader.gvGetCountT();
    if (tableCount < 1) {
        WriteLog("Таблицы не найдены."_w);
        CloseReader();
        return false;
    }
    WriteLog("Обнаружено "_w + std::to_string(tableCount) + " таблиц."_w);

    FCancel = false;
    bool failed = false;
    for (int i = 0; i < tableCount && !FCancel; ++i) {
        // The share of tables done, so that one table or a thousand both move the bar.
        if (bar != nullptr) bar->SetPosition(static_cast<int>(std::int64_t{i} * 100 / tableCount));
        if (window != nullptr) {
            window->Repaint();
            window->ProcessMessages();  // the only moment the cancel button can act
        }
        const auto* records = FReader.gvGetRecords(tables[i]);
        code = FReader.gvGetError();
        if (code != 0) {
            ReportReaderError("Convert", code);
            failed = true;
            break;
        }
        const int recordCount = FReader.gvGetCountR();
        if (recordCount < 1) {
            WriteLog("Записи не обнаружены."_w);
            continue;
        }
        WriteLog("Конвертируется таблица №"_w + std::to_string(i + 1));
        WriteLog("Обнаружено "_w + std::to_string(recordCount) + " записей."_w);
        try {
            if (!ProcessTable(records, recordCount)) {
                failed = true;
                break;
            }
        } catch (const Konvika::CcSkipSbornik&) {
            WriteLog("Таблица пропущена."_w);
        }
        WriteLog("Таблица обработана."_w);
    }

    if (FCancel) {
        WriteLog("Конвертация отменена."_w);
        failed = true;
    }
    if (!CloseReader()) failed = true;
    FWriter.Close();
    if (FLogging && !failed && !FCancel) WriteLog("Конвертация успешно закончена."_w);
    CloseLog();
    return !failed;
}

bool TKonvika::ProcessTable(const char* const* records, int count) {
    // One source record and one price record serve every record of the table, so that their
    // memory is reused; both start empty for every record all the same.
    std::string record;
    engine::SourceRecord source;
    engine::PriceRecord price;
    for (int i = 0; i < count; ++i) {
        if (FCancel) return true;
        if (!engine::RecordParser::CleanRecord(records[i], record)) continue;
        source.clear();
        price.clear();
        if (!ParseRecord(record, FSeparator, source)) {
            WriteLog("Ошибка при разборе строки с нормативом.\n Запись:"_w + record + "!");
            continue;
        }
        if (!ResolveCodeAndUnit(source, price)) {
            WriteLog("Проверка записи: Запись забракована. \n Запись:"_w + record + "!");
            continue;
        }
        if (!AddRecord(price)) return false;
    }
    return true;
}

std::string TKonvika::RemoveChars(std::string text, const std::string& character) const {
    return engine::RecordParser::RemoveChars(std::move(text), character);
}

std::string TKonvika::GetField(const std::string& record, char separator, int n) const {
    return engine::RecordParser::GetField(record, separator, n);
}

bool TKonvika::ReformatSourceCode(std::string& code) const {
    return engine::RecordParser::ReformatSourceCode(code);
}

bool TKonvika::ParseRecord(const std::string& record, char separator,
                           engine::SourceRecord& parsed) {
    return FParser.Parse(record, separator, parsed);
}

bool TKonvika::ResolveCodeAndUnit(const engine::SourceRecord& source, engine::PriceRecord& out) {
    const engine::Resolution resolution = FResolver.Resolve(source, out);
    if (resolution == engine::Resolution::Cancel) FCancel = true;
    return resolution == engine::Resolution::Write;
}

bool TKonvika::AddRecord(const engine::PriceRecord& record) {
    try {
        FWriter.Write(record);
        return true;
    } catch (...) {
        // Any failure of the write stops the conversion with the same report.
        const std::string message = "AddRecord: Ошибка при добавлении записи в ценовой файл!"_w;
        WriteLog(message);
        ShowMessage(message);
        return false;
    }
}
