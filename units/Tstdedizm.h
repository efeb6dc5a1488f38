#pragma once
// The standard units of measure of a conversion: every unit of a units-of-measure table, under
// its name (converted from code page 866 to the program's text) with its code ("KEI"). The
// converter loads it once per conversion and asks it for the code of a source unit.
#include <string>

#include "units/Tkeyname.h"

class TStdEdIzm : public TKeyName {
public:
    TStdEdIzm();

    // Replaces the entries by the units of the table at path. A table that cannot be opened
    // has its message shown by the table helper, returns false and keeps the earlier entries.
    // When a name occurs more than once, the first record keeps it. Errors of the dBASE engine
    // while reading (for example a table without "ED_IZ" or "KEI") propagate, and the earlier
    // entries then stay as well.
    bool LoadFromFile(const std::string& path);

    const std::string FDescription;
};
