// The record loop over one source table and the writer of one output price record.
#include <algorithm>
#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/Tkonvika.h"
#include "platform/Desktop.h"
#include "text/CodePages.h"


bool TKonvika::ProcessTable(const char* const* records, int count) {
    // The texts of one record live outside the loop so that their memory serves every record;
    // each starts empty for every record all the same.
    std::string record, code, unit, price1, price2, name, TIP, SBOR, TABL, POZ, KEI;
    for (int i = 0; i < count; ++i) {
        if (FCancel) return true;
        std::string_view raw = records[i] != nullptr ? std::string_view(records[i]) : std::string_view();
        while (!raw.empty() && static_cast<unsigned char>(raw.front()) <= 32) raw.remove_prefix(1);
        while (!raw.empty() && static_cast<unsigned char>(raw.back()) <= 32) raw.remove_suffix(1);
        if (raw.empty()) continue;
        // Without parentheses the cleaning is the trimming just done.
        if (std::none_of(raw.begin(), raw.end(), [](char c) { return c == '(' || c == ')'; })) {
            record.assign(raw);
        } else {
            record = RemoveChars(std::string(raw), "(");
            record = RemoveChars(record, ")");
        }

        for (std::string* output : {&code, &unit, &price1, &price2, &name, &TIP, &SBOR, &TABL, &POZ, &KEI})
            output->clear();
        if (!ParseRecord(record, FSeparator, code, unit, price1, price2, name)) {
            WriteLog("Ошибка при разборе строки с нормативом.\n Запись:"_w + record + "!");
            continue;
        }
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
