#pragma once
// The converter: owns every resource of one conversion (paths, the reader library binding, the
// log, the standard units, the table helper, the code parser, the open tables, the flags) and
// drives the conversion of one source price file into an output price table. The progress
// window holds one converter and calls Convert once; tests drive it with scripted answers.
#include <string>

#include "app/Tlogfile.h"
#include "codes/Clgetkod.h"
#include "dbf/Wdbffile.h"
#include "engine/ConversionUi.h"
#include "engine/MappingTables.h"
#include "reader/Tspdll.h"
#include "text/Wastring.h"
#include "units/Cmaparray.h"
#include "units/Tstdedizm.h"

namespace Konvika {
// Thrown when the user skips the rest of a source table; caught by the conversion driver.
class CcSkipSbornik {};
}  // namespace Konvika

class TKonvika {
public:
    // Loads the reader library from the program's folder; throws platform::ProgramError when
    // it cannot.
    TKonvika();
    // The same with an explicit program folder (the root of the fixed paths).
    explicit TKonvika(const std::string& programFolder);
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

    TLogFile& LogFile() { return FLog; }
    const std::string& LogPath() const { return FLogPath; }
    const std::string& TemplatePath() const { return FTemplatePath; }
    const std::string& KodFile() const { return FKodFile; }
    const std::string& EdIzFile() const { return FEdIzFile; }

    // Record-level operations, public so that they can be checked one by one.
    bool ProcessTable(const char* const* records, int count);
    std::string RemoveChars(std::string text, const std::string& character) const;
    bool AddRecord(const std::string& TIP, const std::string& SBOR, const std::string& TABL,
                   const std::string& POZ, const std::string& C_1, const std::string& C_2,
                   const std::string& C1, const std::string& C2, const std::string& KEI);
    std::string GetField(const std::string& record, char separator, int n) const;
    bool ReformatSourceCode(std::string& code) const;
    bool ParseRecord(const std::string& record, char separator, std::string& code,
                     std::string& unit, std::string& price1, std::string& price2,
                     std::string& name);
    bool ResolveCodeAndUnit(const std::string& code, const std::string& unit,
                            const std::string& name, std::string& TIP, std::string& SBOR,
                            std::string& TABL, std::string& POZ, std::string& price1,
                            std::string& price2, std::string& KEI);
    bool OpenMappingTables();
    void ReportReaderError(const std::string& operation, int code);
    bool CloseReader();
    void CloseLog();

private:
    void WriteLog(const std::string& message);
    void ShowMessage(const std::string& message) const;
    char BaseLetter() const;
    int AskUser(int mode, const std::string& message, const std::string& code,
                const std::string& unit, const std::string& name, std::string& answeredCode,
                std::string& answeredUnitCode, std::string& answeredCoefficient);
    std::string ScalePrice(const std::string& price, const std::string& coefficient) const;

    std::string FDescription;
    std::string FTemplatePath;
    std::string FEdIzFile;
    std::string FKodFile;
    std::string FLogPath;
    std::string FBaseCode;
    std::string FSecondUnitsDir;
    std::string FFirstUnitsDir;
    TSPDLL FReader;
    TLogFile FLog;
    TStdEdIzm FStdEdIzm;
    WDbfFile FDbf;
    text::WString FStr;
    ClGetKod FGetKod;
    TableSlot FPriceTable;
    MappingTables FMapping;  // FKodTable and FEdIzTable: the code and the unit mapping tables
    bool FLogging = false;
    char FSeparator = '@';
    bool FCancel = false;
    CMapArray<int, std::string> FTypeLetters;
    engine::CorrespondenceDialogFactory* dialogs_ = nullptr;
};
