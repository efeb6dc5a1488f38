#pragma once
// Small units-of-measure tables for the dialog's tests, written with our dBASE engine the way
// the suite stores them: unit names in field "ED_IZ" in code page 866, codes in "KEI".
#include <string>
#include <vector>

namespace testing_support {

struct UnitRow {
    const char* nameUtf8;
    const char* code;
};

// Physical order deliberately unlike the index order, so that the tests see which one a view
// follows.
const std::vector<UnitRow>& sampleUnits();
// The same names in the order of the tag "ED_IZ_IND" (code page 866 byte order).
std::vector<std::string> sampleUnitsInIndexOrder();

void writeUnitsTable(const std::string& path, const std::vector<UnitRow>& rows);

}  // namespace testing_support
