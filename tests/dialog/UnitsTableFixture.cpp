#include "tests/dialog/UnitsTableFixture.h"

#include "dbf/Table.h"
#include "platform/Files.h"
#include "text/CodePages.h"

namespace testing_support {

const std::vector<UnitRow>& sampleUnits() {
    static const std::vector<UnitRow> rows = {
        {"шт", "1"}, {"м", "2"}, {"кг", "3"}, {"м3", "4"},
        {"м2", "5"}, {"т", "6"}, {"100 м", "7"},
    };
    return rows;
}

std::vector<std::string> sampleUnitsInIndexOrder() {
    return {"100 м", "кг", "м", "м2", "м3", "т", "шт"};
}

void writeUnitsTable(const std::string& path, const std::vector<UnitRow>& rows) {
    dbf::Table table;
    table.setDatabaseName(platform::folderOf(path));
    table.setTableName(platform::fileNameOf(path));
    table.createTable({{"ED_IZ", 'C', 20, 0}, {"KEI", 'C', 3, 0}}, dbf::kLanguageDriverCp866);
    table.open();
    for (const UnitRow& row : rows) {
        table.append();
        table.setFieldText("ED_IZ", text::ansiToOem(text::utf8ToCp1251(row.nameUtf8)));
        table.setFieldText("KEI", row.code);
        table.post();
    }
    table.close();
}

}  // namespace testing_support
