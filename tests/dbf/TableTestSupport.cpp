#include "tests/dbf/TableTestSupport.h"

namespace dbf_test {

std::unique_ptr<dbf::Table> tableAt(const std::string& folder, const std::string& name, bool exclusive) {
    auto table = std::make_unique<dbf::Table>();
    table->setDatabaseName(folder);
    table->setTableName(name);
    table->setExclusive(exclusive);
    return table;
}

void createWithRows(const std::string& folder, const std::string& name,
                    const std::vector<dbf::FieldDef>& fields,
                    const std::vector<std::vector<std::string>>& rows) {
    auto table = tableAt(folder, name);
    table->createTable(fields);
    table->open();
    for (const auto& row : rows) {
        table->append();
        for (std::size_t i = 0; i < row.size(); ++i) table->setFieldText(fields[i].name, row[i]);
        table->post();
    }
    table->close();
}

std::vector<std::string> readAll(dbf::Table& table, const std::vector<std::string>& fieldNames) {
    std::vector<std::string> rows;
    for (table.first(); !table.eof(); table.next()) {
        std::string row;
        for (std::size_t i = 0; i < fieldNames.size(); ++i) {
            if (i) row += "|";
            row += table.fieldText(fieldNames[i]);
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace dbf_test
