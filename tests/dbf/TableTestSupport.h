#pragma once
// Shared helpers of the engine tests: tables made in a temporary folder.
#include <memory>
#include <string>
#include <vector>

#include "dbf/Table.h"
#include "tests/support/TempFolder.h"

namespace dbf_test {

// A table object for folder/name, inactive.
std::unique_ptr<dbf::Table> tableAt(const std::string& folder, const std::string& name,
                                    bool exclusive = false);

// Creates the table and appends the rows (one value per field, in field order).
void createWithRows(const std::string& folder, const std::string& name,
                    const std::vector<dbf::FieldDef>& fields,
                    const std::vector<std::vector<std::string>>& rows);

// Every record in the order in use, each as the texts of the named fields joined by "|".
std::vector<std::string> readAll(dbf::Table& table, const std::vector<std::string>& fieldNames);

}  // namespace dbf_test
