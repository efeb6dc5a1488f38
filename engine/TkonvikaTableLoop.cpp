// The record loop over one source table and the writer of one output price record.
#include <stdexcept>
#include <string>

#include "engine/Tkonvika.h"
#include "platform/Desktop.h"
#include "text/CodePages.h"


bool TKonvika::ProcessTable(const char* const* records, int count) {
    for (int i = 0; i < count; ++i) {
        if (FCancel) return true;
        const char* raw = records[i];
        std::string record = raw != nullptr ? raw : "";
        if (text::trimmed(record).empty()) continue;
        record = RemoveChars(record, "(");
        record = RemoveChars(record, ")");

        std::string code, unit, price1, price2, name;
        if (!ParseRecord(record, FSeparator, code, unit, price1, price2, name)) {
            WriteLog("Ошибка при разборе строки с нормативом.\n Запись:"_w + record + "!");
            continue;
        }
        std::string TIP, SBOR, TABL, POZ, KEI;
        if (!ResolveCodeAndUnit(code, unit, name, TIP, SBOR, TABL, POZ, price1, price2, KEI)) {
            WriteLog("Проверка записи: Запись забракована. \n Запись:"_w + record + "!");
            continue;
        }
        if (!AddRecord(TIP, SBOR, TABL, POZ, price1, price2, "", "", KEI)) return false;
    }
    return true;
}

std::string TKonvika::RemoveChars(std::string text, const std::string& character) const {
    text = text::trimmed(text);
    if (character.empty()) return text;
    for (auto at = text.find(character); at != std::string::npos; at = text.find(character, at))
        text.erase(at, character.size());
    return text;
}

bool TKonvika::AddRecord(const std::string& TIP, const std::string& SBOR,
                         const std::string& TABL, const std::string& POZ,
                         const std::string& C_1, const std::string& C_2, const std::string& C1,
                         const std::string& C2, const std::string& KEI) {
    try {
        if (!FPriceTable) throw std::logic_error("the output price table is not open");
        dbf::Table& table = *FPriceTable;
        table.append();
        table.setFieldText("TIP", TIP);
        table.setFieldText("SBOR", SBOR);
        table.setFieldText("TABL", TABL);
        table.setFieldText("POZ", POZ);
        table.setFieldText("KEI", KEI);
        table.setFieldText("C_1", C_1);
        table.setFieldText("C_2", C_2);
        table.setFieldText("C1", C1);
        table.setFieldText("C2", C2);
        table.post();
        return true;
    } catch (...) {
        // Any failure of the write (a missing field, a value the field rejects, a disk error)
        // stops the conversion with the same report; the half-built record must not be posted.
        try {
            if (FPriceTable) FPriceTable->cancel();
        } catch (...) {
            // The record is dropped when the table closes anyway.
        }
        const std::string message = "AddRecord: Ошибка при добавлении записи в ценовой файл!"_w;
        WriteLog(message);
        ShowMessage(message);
        return false;
    }
}
