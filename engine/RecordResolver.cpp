#include "engine/RecordResolver.h"

#include <memory>

#include "text/CodePages.h"
#include "text/TextRules.h"

namespace engine {
namespace {

// The text without blanks and control characters around it: the text itself when it has none
// (the usual case, with no copy), otherwise its trimmed copy in `room`.
const std::string& trimmedIn(const std::string& text, std::string& room) {
    const std::string_view inner = text::trimmedView(text);
    if (inner.size() == text.size()) return text;
    room.assign(inner);
    return room;
}

}  // namespace

RecordResolver::RecordResolver(MappingTables& mapping) : FMapping(mapping) {}

void RecordResolver::BeginConversion(const std::string& baseCode,
                                     const std::string& secondUnitsDir,
                                     const std::string& firstUnitsDir) {
    FBaseCode = baseCode;
    FSecondUnitsDir = secondUnitsDir;
    FFirstUnitsDir = firstUnitsDir;
    FGetKod.FBaseCode = baseCode;
}

bool RecordResolver::LoadStandardUnits(const std::string& path) {
    return FStdEdIzm.LoadFromFile(path);
}

std::string RecordResolver::ScalePrice(const std::string& price,
                                       const std::string& coefficient) {
    if (coefficient != FCoefficientText) {  // "" reads as 0, as the first value holds
        FCoefficient = FStr.TextToNumber(coefficient);
        FCoefficientText = coefficient;
    }
    const long double product = FStr.TextToNumber(price) * FCoefficient;
    return FStr.NumberToText(static_cast<double>(product));
}

int RecordResolver::AskUser(int mode, const std::string& message, const SourceRecord& source,
                            Answer& answer) {
    // Without a dialog (a conversion run without a GUI) nobody can answer: skip the record.
    if (FDialogs == nullptr) return kModalIgnore;
    int result = kModalIgnore;
    bool skipSbornik = false;
    {
        std::unique_ptr<CorrespondenceDialog> dialog = FDialogs->CreateDialog();
        if (!dialog) return kModalIgnore;
        dialog->SetQuestion(FBaseCode, message, text::trimmed(source.code), source.unit,
                            source.name, FSecondUnitsDir, FFirstUnitsDir);
        dialog->SetMode(mode);
        result = dialog->ShowModal();
        skipSbornik = dialog->IsSkipSbornik();
        dialog->GetAnswer(answer.code, answer.unitCode, answer.coefficient);
    }
    answer.code = text::trimmed(answer.code);
    answer.coefficient = text::trimmed(answer.coefficient);

    if (result == kModalCancel) return kModalCancel;
    if (skipSbornik) throw Konvika::CcSkipSbornik();
    if (result != kModalOk) return kModalIgnore;  // "Пропустить" or Escape
    FDialogs->ProcessMessages();  // the main window repaints once the dialog has gone
    return kModalOk;
}

Resolution RecordResolver::Resolve(const SourceRecord& source, PriceRecord& out) {
    const char letter = BaseLetter();
    FGetKod.ParseKod(trimmedIn(source.code, FTrimmed[0]), letter, out.TIP, out.SBOR, out.TABL, out.POZ);
    const bool codeOk = FGetKod.CheckKodParts(trimmedIn(out.TIP, FTrimmed[1]), trimmedIn(out.SBOR, FTrimmed[2]),
                                              trimmedIn(out.TABL, FTrimmed[3]), trimmedIn(out.POZ, FTrimmed[4]),
                                              letter);
    const bool unitOk = FStdEdIzm.GetKeyByName(source.unit, out.KEI);
    out.C_1 = source.price1;
    out.C_2 = source.price2;
    if (codeOk && unitOk) return Resolution::Write;

    const auto refused = [](int answer) {
        return answer == kModalCancel ? Resolution::Cancel : Resolution::Reject;
    };
    if (!codeOk) {
        std::string stored;
        if (FMapping.FindKod(source.name, stored)) {
            FGetKod.ParseKod(text::trimmed(stored), letter, out.TIP, out.SBOR, out.TABL, out.POZ);
        } else {
            Answer answer;
            const int result = AskUser(kAskCode, "Код норматива не найден в базе данных программы!"_w,
                                       source, answer);
            if (result != kModalOk) return refused(result);
            FMapping.StoreKod(source.name, answer.code);
            FGetKod.ParseKod(answer.code, letter, out.TIP, out.SBOR, out.TABL, out.POZ);
        }
    }
    if (!unitOk) {
        std::string coefficient;
        if (!FMapping.FindEdIz(source.unit, out.KEI, coefficient)) {
            Answer answer;
            const int result = AskUser(kAskUnit,
                                       "Единица измерения не найдена в базе данных программы!"_w,
                                       source, answer);
            if (result != kModalOk) return refused(result);
            out.KEI = answer.unitCode;
            FMapping.StoreEdIz(source.unit, out.KEI, answer.coefficient);
            coefficient = answer.coefficient;
        }
        out.C_1 = ScalePrice(out.C_1, coefficient);
        out.C_2 = ScalePrice(out.C_2, coefficient);
    }
    return Resolution::Write;
}

}  // namespace engine
