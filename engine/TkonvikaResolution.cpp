// Resolution of one parsed record into the four ОРН code parts, the ОРН unit code and prices in
// that unit: from the record itself, else from the mapping tables, else from the user.
#include <stdexcept>
#include <string>

#include "engine/Tkonvika.h"
#include "text/CodePages.h"


std::string TKonvika::ScalePrice(const std::string& price, const std::string& coefficient) const {
    const long double product = FStr.TextToNumber(price) * FStr.TextToNumber(coefficient);
    return FStr.NumberToText(static_cast<double>(product));
}

int TKonvika::AskUser(int mode, const std::string& message, const std::string& code,
                      const std::string& unit, const std::string& name,
                      std::string& answeredCode, std::string& answeredUnitCode,
                      std::string& answeredCoefficient) {
    // Without a dialog (a conversion run without a GUI) nobody can answer: skip the record.
    if (dialogs_ == nullptr) return engine::kModalIgnore;
    int result = engine::kModalIgnore;
    bool skipSbornik = false;
    {
        std::unique_ptr<engine::CorrespondenceDialog> dialog = dialogs_->CreateDialog();
        if (!dialog) return engine::kModalIgnore;
        dialog->SetQuestion(FBaseCode, message, text::trimmed(code), unit, name,
                            FSecondUnitsDir, FFirstUnitsDir);
        dialog->SetMode(mode);
        result = dialog->ShowModal();
        skipSbornik = dialog->IsSkipSbornik();
        dialog->GetAnswer(answeredCode, answeredUnitCode, answeredCoefficient);
    }
    answeredCode = text::trimmed(answeredCode);
    answeredCoefficient = text::trimmed(answeredCoefficient);

    if (result == engine::kModalCancel) {
        FCancel = true;
        return engine::kModalCancel;
    }
    if (skipSbornik) throw Konvika::CcSkipSbornik();
    if (result != engine::kModalOk) return engine::kModalIgnore;  // "Пропустить" or Escape
    dialogs_->ProcessMessages();  // the main window repaints once the dialog has gone
    return engine::kModalOk;
}

bool TKonvika::ResolveCodeAndUnit(const std::string& code, const std::string& unit,
                                  const std::string& name, std::string& TIP, std::string& SBOR,
                                  std::string& TABL, std::string& POZ, std::string& price1,
                                  std::string& price2, std::string& KEI) {
    const char letter = BaseLetter();
    FGetKod.ParseKod(text::trimmed(code), letter, TIP, SBOR, TABL, POZ);
    const bool codeOk = FGetKod.CheckKodParts(text::trimmed(TIP), text::trimmed(SBOR),
                                              text::trimmed(TABL), text::trimmed(POZ), letter);
    const bool unitOk = FStdEdIzm.GetKeyByName(unit, KEI);
    if (codeOk && unitOk) return true;

    if (FMapping.KodTable() == nullptr || FMapping.EdIzTable() == nullptr)
        throw std::logic_error("the mapping tables are not open");
    dbf::Table& kodTable = *FMapping.KodTable();
    if (!codeOk) {
        std::string stored;
        if (FMapping.FindKod(kodTable, name, stored)) {
            FGetKod.ParseKod(text::trimmed(stored), letter, TIP, SBOR, TABL, POZ);
        } else {
            std::string answeredCode, answeredUnit, answeredCoefficient;
            const int answer = AskUser(engine::kAskCode,
                                       "Код норматива не найден в базе данных программы!"_w,
                                       code, unit, name, answeredCode, answeredUnit,
                                       answeredCoefficient);
            if (answer != engine::kModalOk) return false;
            FMapping.StoreKod(kodTable, name, answeredCode);
            FGetKod.ParseKod(answeredCode, letter, TIP, SBOR, TABL, POZ);
        }
    }
    if (!unitOk) {
        std::string coefficient;
        if (FMapping.FindEdIz(unit, KEI, coefficient)) {
            price1 = ScalePrice(price1, coefficient);
            price2 = ScalePrice(price2, coefficient);
            return true;
        }
        std::string answeredCode;
        const int answer = AskUser(engine::kAskUnit,
                                   "Единица измерения не найдена в базе данных программы!"_w,
                                   code, unit, name, answeredCode, KEI, coefficient);
        if (answer != engine::kModalOk) return false;
        FMapping.StoreEdIz(unit, KEI, coefficient);
        price1 = ScalePrice(price1, coefficient);
        price2 = ScalePrice(price2, coefficient);
    }
    return true;
}
