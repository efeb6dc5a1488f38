#pragma once
// Writes small units-of-measure tables ("ED_IZ" in code page 866, "KEI") for the units tests,
// the way the suite keeps them: rows in the given physical order, no index.
#include <string>
#include <vector>

#include "dbf/Table.h"
#include "platform/Files.h"
#include "units/UnitsTableLayout.h"

namespace units_tables {

struct UnitRow {
    std::string edIz866;  // stored as given, padded by the field
    std::string kei;
};

inline void writeUnitsTable(const std::string& path, const std::vector<UnitRow>& rows,
                            int edIzWidth = 20, int keiWidth = 1, bool withKeiField = true) {
    std::vector<dbf::FieldDef> fields{{units::kUnitNameField, 'C', edIzWidth, 0}};
    if (withKeiField) fields.push_back({units::kUnitCodeField, 'C', keiWidth, 0});
    dbf::Table table;
    table.setDatabaseName(platform::folderOf(path));
    table.setTableName(platform::fileNameOf(path));
    table.createTable(fields, dbf::kLanguageDriverCp866);
    table.open();
    for (const UnitRow& row : rows) {
        table.append();
        table.setFieldText(units::kUnitNameField, row.edIz866);
        if (withKeiField) table.setFieldText(units::kUnitCodeField, row.kei);
        table.post();
    }
    table.close();
}

}  // namespace units_tables
