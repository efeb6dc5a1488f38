#pragma once
// Resolution of one parsed record into the four ОРН code parts, the ОРН unit code and prices
// in that unit: from the record itself (the code parser, the standard units), else from the
// mapping tables, else from the user in the correspondence dialog, whose answer is stored for
// every later record. The converter owns one and hands it the mapping tables it opened.
#include <string>

#include "codes/Clgetkod.h"
#include "engine/CcSkipSbornik.h"
#include "engine/ConversionUi.h"
#include "engine/MappingTables.h"
#include "engine/PriceRecord.h"
#include "engine/SourceRecord.h"
#include "text/Wastring.h"
#include "units/Tstdedizm.h"

namespace engine {

// What becomes of a record: written, rejected by the user ("Пропустить"), or rejected because
// the user cancelled the conversion ("Отмена").
enum class Resolution { Write, Reject, Cancel };

class RecordResolver {
public:
    explicit RecordResolver(MappingTables& mapping);

    // The conversion's base code (its first character selects the code grammar) and the two
    // units folders the dialog finds the units table with.
    void BeginConversion(const std::string& baseCode, const std::string& secondUnitsDir,
                         const std::string& firstUnitsDir);
    // Replaces the standard units by those of the units table at path (see TStdEdIzm).
    bool LoadStandardUnits(const std::string& path);
    // Where questions go; without a factory a question is answered as "skip the record".
    void SetDialogFactory(CorrespondenceDialogFactory* factory) { FDialogs = factory; }

    // Fills every field of `out` but C1 and C2 for a record to write. Throws
    // Konvika::CcSkipSbornik when the user skips the rest of the table; errors of the dBASE
    // engine on the mapping tables propagate.
    Resolution Resolve(const SourceRecord& source, PriceRecord& out);

private:
    struct Answer {
        std::string code, unitCode, coefficient;
    };
    // Asks the user in the given mode; kModalOk when the answer is to be used.
    int AskUser(int mode, const std::string& message, const SourceRecord& source, Answer& answer);
    std::string ScalePrice(const std::string& price, const std::string& coefficient);
    char BaseLetter() const { return FBaseCode.empty() ? '\0' : FBaseCode.front(); }

    MappingTables& FMapping;
    ClGetKod FGetKod;
    TStdEdIzm FStdEdIzm;
    text::WString FStr;
    std::string FBaseCode;
    std::string FSecondUnitsDir;
    std::string FFirstUnitsDir;
    // Room for the trimmed texts of one record, kept between records (they seldom need it).
    std::string FTrimmed[5];
    // The coefficient read last: the records of one unit share it, and each has two prices.
    std::string FCoefficientText;
    long double FCoefficient = 0.0L;
    CorrespondenceDialogFactory* FDialogs = nullptr;
};

}  // namespace engine
