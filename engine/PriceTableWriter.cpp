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

bool PriceTableWriter::Open(const std::string& path) { return FDbf.OpenTable(FPriceTable, path, true); }

void PriceTableWriter::Close() { FDbf.CloseTable(FPriceTable); }

void PriceTableWriter::Write(const PriceRecord& record) {
    using namespace price_table;
    try {
        if (!FPriceTable) throw std::logic_error("the output price table is not open");
        dbf::Table& table = *FPriceTable;
        table.append();
        table.setFieldText(kTypeField, record.TIP);
        table.setFieldText(kCollectionField, record.SBOR);
        table.setFieldText(kTableField, record.TABL);
        table.setFieldText(kPositionField, record.POZ);
        table.setFieldText(kUnitCodeField, record.KEI);
        table.setFieldText(kPrice1Field, record.C_1);
        table.setFieldText(kPrice2Field, record.C_2);
        table.setFieldText(kBlankPrice1Field, record.C1);
        table.setFieldText(kBlankPrice2Field, record.C2);
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
