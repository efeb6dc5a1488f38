#pragma once
// Opens and closes the program's dBASE tables defensively: before every open the production
// index is checked against the table header and against Clipper-style .ntx files beside it, and
// removed when it does not match; when the engine still fails, it repairs in stages and tries
// again (three attempts); missing index tags are recreated. Used by the converter, the
// standard-units loader and the correspondence dialog. Table objects live in the caller's slot.
#include <memory>
#include <string>

#include "dbf/Table.h"

// One index tag a table must have; a list ends with an entry holding "NULL".
struct SIndexDesc {
    const char* Name;
    const char* Expression;
    const char* Fields;
};

using TableSlot = std::unique_ptr<dbf::Table>;

class WDbfFile {
public:
    WDbfFile();

    bool OpenTable(TableSlot& slot, const std::string& path, bool showMessages);
    bool OpenIndexedTable(TableSlot& slot, const std::string& path, bool showMessages,
                          bool useIndexes, const SIndexDesc* indexes, const std::string& tag);
    bool CloseTable(TableSlot& slot);

    int CheckIndexFiles(const std::string& path, bool showMessages);
    bool HasProductionIndex(const std::string& path, bool showMessages);
    bool RemoveIndexes(const std::string& path, bool showMessages);
    bool ResetEngineConfig();
    void ClearReadOnly(const std::string& path);

private:
    std::string FDescription;
};
