#include "units/Tstdedizm.h"

#include <utility>
#include <vector>

#include "dbf/Wdbffile.h"
#include "text/CodePages.h"
#include "text/Wastring.h"
#include "units/UnitsTableLayout.h"

TStdEdIzm::TStdEdIzm() : FDescription("TStdEdIzm") {}

bool TStdEdIzm::LoadFromFile(const std::string& path) {
    WDbfFile dbf;
    const text::WString str;
    TableSlot table;
    if (!dbf.OpenTable(table, path, true)) return false;

    // Read everything before touching the entries, so that an engine error half-way leaves
    // the dictionary as it was.
    std::vector<std::pair<std::string, std::string>> units;
    for (; !table->eof(); table->next()) {
        std::string name = str.OemToAnsi(text::trimmed(table->fieldText(units::kUnitNameField)));
        std::string key = table->fieldText(units::kUnitCodeField);
        units.emplace_back(std::move(key), std::move(name));
    }

    Clear();
    for (const auto& [key, name] : units) Add(key, name);
    return dbf.CloseTable(table);
}
