// A reader library for the converter's tests whose every answer comes from the script file
// handed to gvOpen, so that error codes and odd results can be provoked on purpose:
//   !open N      gvOpen returns N          !tables N    gvGetError after gvGetTables is N
//   !close N     gvClose returns N         !count N     gvGetCountT reports N tables
//   #TABLE       begins a table            !records N   gvGetError after this table's records
// Every other line is a record of the current table.
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "reader/GvreadApi.h"

#define SCRIPTED_EXPORT extern "C" GV_EXPORT

namespace {

struct ScriptedTable {
    std::vector<std::string> records;
    int recordsError = 0;
};

struct Script {
    int openCode = 0, tablesError = 0, closeCode = 0, tableCount = -1;
    std::vector<ScriptedTable> tables;
    std::vector<GvTableId> ids;
    std::vector<const char*> current;
    int countR = 0, lastError = 0;
};

Script& script() {
    static Script instance;
    return instance;
}

bool directive(const std::string& line, const char* name, int& value) {
    const std::string prefix = std::string("!") + name + " ";
    if (line.rfind(prefix, 0) != 0) return false;
    value = std::atoi(line.c_str() + prefix.size());
    return true;
}

}  // namespace

SCRIPTED_EXPORT int gvOpen(const char* path) {
    Script& s = script();
    s = Script();
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (directive(line, "open", s.openCode) || directive(line, "tables", s.tablesError) ||
            directive(line, "close", s.closeCode) || directive(line, "count", s.tableCount))
            continue;
        if (line == "#TABLE") {
            s.tables.emplace_back();
            continue;
        }
        if (!s.tables.empty() && directive(line, "records", s.tables.back().recordsError)) continue;
        if (!s.tables.empty()) s.tables.back().records.push_back(line);
    }
    for (std::size_t i = 0; i < s.tables.size(); ++i) s.ids.push_back(static_cast<GvTableId>(100 + i));
    return s.openCode;
}

SCRIPTED_EXPORT int gvClose(void) { return script().closeCode; }

SCRIPTED_EXPORT const GvTableId* gvGetTables(void) {
    script().lastError = script().tablesError;
    return script().ids.data();
}

SCRIPTED_EXPORT const char* gvGetTable(GvTableId) { return "scripted"; }

SCRIPTED_EXPORT const char* const* gvGetRecords(GvTableId id) {
    Script& s = script();
    const std::size_t index = id - 100;
    s.current.clear();
    s.countR = 0;
    if (index >= s.tables.size()) {
        s.lastError = 5;
        return nullptr;
    }
    ScriptedTable& table = s.tables[index];
    s.lastError = table.recordsError;
    for (const std::string& record : table.records) s.current.push_back(record.c_str());
    s.countR = static_cast<int>(s.current.size());
    s.current.push_back(nullptr);
    return s.current.data();
}

SCRIPTED_EXPORT const char* gvGetRecord(int) { return nullptr; }
SCRIPTED_EXPORT int gvGetCountR(void) { return script().countR; }
SCRIPTED_EXPORT int gvGetCountT(void) {
    const Script& s = script();
    return s.tableCount >= 0 ? s.tableCount : static_cast<int>(s.tables.size());
}
SCRIPTED_EXPORT const char* gvGetTech(void) { return "scripted reader for tests"; }
SCRIPTED_EXPORT int gvSizeBuffer(void) { return 0; }
SCRIPTED_EXPORT int gvGetError(void) { return script().lastError; }
