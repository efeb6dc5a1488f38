#include "engine/PriceTableWriter.h"

#include <stdexcept>

#include "engine/PriceTableLayout.h"

namespace engine {

PriceTableWriter::~PriceTableWriter() {
    // Destruction must not throw: a table that fails to close has already reported itself.
    try {
        Close();
    } catch (...) {
    }
}

bool PriceTableWriter::Open(const std::string& path) {
    FFieldsFound = false;
    return FDbf.OpenTable(FPriceTable, path, true);
}

void PriceTableWriter::Close() {
    FFieldsFound = false;
    FDbf.CloseTable(FPriceTable);
}

void PriceTableWriter::FindFields() {
    using namespace price_table;
    const char* const names[kFieldSlots] = {kTypeField,     kCollectionField, kTableField,
                                            kPositionField, kUnitCodeField,   kPrice1Field,
                                            kPrice2Field,   kBlankPrice1Field, kBlankPrice2Field};
    for (int slot = 0; slot < kFieldSlots; ++slot) FField[slot] = FPriceTable->fieldPosition(names[slot]);
    FFieldsFound = true;
}

void PriceTableWriter::Write(const PriceRecord& record) {
    using namespace price_table;
    try {
        if (!FPriceTable) throw std::logic_error("the output price table is not open");
        if (!FFieldsFound) FindFields();
        dbf::Table& table = *FPriceTable;
        table.append();
        // A new record is blank: an empty value has nothing to write.
        const auto set = [&](FieldSlot slot, const std::string& value) {
            if (!value.empty()) table.setFieldText(FField[slot], value);
        };
        set(kTip, record.TIP);
        set(kSbor, record.SBOR);
        set(kTabl, record.TABL);
        set(kPoz, record.POZ);
        set(kKei, record.KEI);
        set(kPrice1, record.C_1);
        set(kPrice2, record.C_2);
        set(kBlank1, record.C1);
        set(kBlank2, record.C2);
        table.post();
    } catch (...) {
        // The half-built record must not be posted by a later write or the closing.
        try {
            if (FPriceTable) FPriceTable->cancel();
        } catch (...) {
            // The record is dropped when the table closes anyway.
        }
        throw;
    }
}

}  // namespace engine
