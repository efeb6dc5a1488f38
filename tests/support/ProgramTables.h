#pragma once
// The empty tables a program folder needs for a conversion, as the tests, the fuzz targets and
// the benchmarks make them, with the layouts the program defines: the price-table template
// (engine::price_table::templateFields) and a units table (units::unitsTableFields).
// Header-only, so that the fuzz targets and benchmarks use it without the test libraries.
#include <string>
#include <vector>

#include "dbf/Table.h"
#include "engine/PriceTableLayout.h"
#include "platform/Files.h"
#include "units/UnitsTableLayout.h"

namespace testing_support {

inline std::vector<dbf::FieldDef> priceTableFields() { return engine::price_table::templateFields(); }
inline std::vector<dbf::FieldDef> unitsTableFields() { return units::unitsTableFields(); }

// Creates an empty table with these fields at path, and its folder when missing.
inline void createEmptyTable(const std::string& path, const std::vector<dbf::FieldDef>& fields) {
    platform::createDirectories(platform::folderOf(path));
    dbf::Table table;
    table.setDatabaseName(platform::folderOf(path));
    table.setTableName(platform::fileNameOf(path));
    table.setExclusive(true);
    table.createTable(fields);
}

}  // namespace testing_support
