#pragma once
// The converter: owns every resource of one conversion (paths, the reader library binding, the
// log, the table helper, the open tables, the flags) and drives the conversion of one source
// price file into an output price table. One record's road: RecordParser -> RecordResolver ->
// PriceTableWriter; the operations below are thin members over these. The progress window
// holds one converter and calls Convert once; tests drive it with scripted answers.
#include <memory>
#include <string>

#include "dbf/Wdbffile.h"
#include "engine/CcSkipSbornik.h"
#include "engine/ConversionLog.h"
#include "engine/ConversionUi.h"
#include "engine/MappingTables.h"
#include "engine/PriceRecord.h"
#include "engine/PriceTableWriter.h"
#include "engine/RecordParser.h"
#include "engine/RecordResolver.h"
#include "engine/SourceRecord.h"
#include "reader/Tspdll.h"

class TKonvika {
public:
    // The program folder is the root of the fixed paths; the log the conversions write to must
    // outlive the converter. Loads the reader library; throws platform::ProgramError when it
    // cannot.
    TKonvika(const std::string& programFolder, engine::ConversionLog& log);
    ~TKonvika();
    TKonvika(const TKonvika&) = delete;
    TKonvika& operator=(const TKonvika&) = delete;

    bool Convert(const std::string& baseCode, const std::string& priceFile,
                 const std::string& outFile, bool logging, const std::string& secondUnitsDir,
                 const std::string& firstUnitsDir, engine::ProgressBar* bar,
                 engine::ConversionWindow* window);
    void CancelConversion();
    // Where questions go; without a factory a question is answered as "skip the record".
    void SetDialogFactory(engine::CorrespondenceDialogFactory* factory);

    const std::string& LogPath() const { return FLogPath; }
    const std::string& TemplatePath() const { return FTemplatePath; }
    const std::string& KodFile() const { return FKodFile; }
    const std::string& EdIzFile() const { return FEdIzFile; }

    // Record-level operations, public so that they can be checked one by one.
    bool ProcessTable(const char* const* records, int count);
    std::string RemoveChars(std::string text, const std::string& character) const;
    bool AddRecord(const engine::PriceRecord& record);
    std::string GetField(const std::string& record, char separator, int n) const;
    bool ReformatSourceCode(std::string& code) const;
    bool ParseRecord(const std::string& record, char separator, engine::SourceRecord& parsed);
    // True when the record is to be written; false when the user rejected it or cancelled
    // the conversion (FCancel is then set). Throws Konvika::CcSkipSbornik.
    bool ResolveCodeAndUnit(const engine::SourceRecord& source, engine::PriceRecord& out);
    bool OpenMappingTables();
    void ReportReaderError(const std::string& operation, int code);
    bool CloseReader();
    void CloseLog();

private:
    void WriteLog(const std::string& message);
    void ShowMessage(const std::string& message) const;

    std::string FDescription;
    std::string FTemplatePath;
    std::string FEdIzFile;
    std::string FKodFile;
    std::string FLogPath;
    TSPDLL FReader;
    engine::ConversionLog& FLog;
    WDbfFile FDbf;
    MappingTables FMapping;  // FKodTable and FEdIzTable: the code and the unit mapping tables
    engine::RecordParser FParser;
    engine::RecordResolver FResolver;
    engine::PriceTableWriter FWriter;  // FPriceTable
    bool FLogging = false;
    char FSeparator = '@';
    bool FCancel = false;
};
