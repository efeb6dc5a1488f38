#pragma once
// The layout of the output price table, written once: the nine field names the price-table
// writer fills, and the fields of the template "cenashab.dbf" as the program's tools install it
// (and the tests, fuzz targets and benchmarks make it). The converter copies the template and
// looks its fields up by name; it never creates or checks this structure itself.
#include <vector>

#include "dbf/Table.h"

namespace engine::price_table {

// The four parts of the normative code, in code page 866.
inline constexpr char kTypeField[] = "TIP";
inline constexpr char kCollectionField[] = "SBOR";
inline constexpr char kTableField[] = "TABL";
inline constexpr char kPositionField[] = "POZ";
// The unit code.
inline constexpr char kUnitCodeField[] = "KEI";
// The two prices of the record, and two price fields the converter always leaves blank.
inline constexpr char kPrice1Field[] = "C_1";
inline constexpr char kPrice2Field[] = "C_2";
inline constexpr char kBlankPrice1Field[] = "C1";
inline constexpr char kBlankPrice2Field[] = "C2";

// The code fields have the widths of the stored normative code; KEI takes the unit code (one
// character in the units tables, room for three); prices keep the six fraction digits that
// the converter writes at most.
inline std::vector<dbf::FieldDef> templateFields() {
    return {
        {kTypeField, 'C', 1, 0},         {kCollectionField, 'C', 6, 0},
        {kTableField, 'C', 5, 0},        {kPositionField, 'C', 5, 0},
        {kUnitCodeField, 'C', 3, 0},     {kPrice1Field, 'N', 16, 6},
        {kPrice2Field, 'N', 16, 6},      {kBlankPrice1Field, 'N', 16, 6},
        {kBlankPrice2Field, 'N', 16, 6},
    };
}

}  // namespace engine::price_table
