#pragma once
// The empty tables a program folder needs for a conversion, as the tests, the fuzz targets and
// the benchmarks make them: the price-table template and a units table. Header-only, so that
// the fuzz targets and benchmarks use it without the test libraries.
#include <string>
#include <vector>

#include "dbf/Table.h"
#include "platform/Files.h"

namespace testing_support {

// The nine fields of the price-table template, as the installed template has them.
inline const std::vector<dbf::FieldDef>& priceTableFields() {
    static const std::vector<dbf::FieldDef> fields = {
        {"TIP", 'C', 1, 0},  {"SBOR", 'C', 6, 0}, {"TABL", 'C', 5, 0},
        {"POZ", 'C', 5, 0},  {"KEI", 'C', 3, 0},  {"C_1", 'N', 16, 6},
        {"C_2", 'N', 16, 6}, {"C1", 'N', 16, 6},  {"C2", 'N', 16, 6},
    };
    return fields;
}

// The two fields of a units-of-measure table (ED_IZ in code page 866).
inline const std::vector<dbf::FieldDef>& unitsTableFields() {
    static const std::vector<dbf::FieldDef> fields = {{"ED_IZ", 'C', 40, 0}, {"KEI", 'C', 3, 0}};
    return fields;
}

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
