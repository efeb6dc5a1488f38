#pragma once
// The layout of a units-of-measure table ("Ei1.dbf", "Ei2.dbf"), written once: the field names
// the standard units and the correspondence dialog read, the dialog's index over the names,
// and the field widths the program's own tools and tests give the tables they make (the
// suite's tables may be wider; the program reads the fields by name).
#include <vector>

#include "dbf/Table.h"
#include "dbf/Wdbffile.h"

namespace units {

// The unit's name, in code page 866.
inline constexpr char kUnitNameField[] = "ED_IZ";
// The unit's code, as the price table's KEI and the unit mapping table's KEI_ORN take it.
inline constexpr char kUnitCodeField[] = "KEI";

inline constexpr int kUnitNameWidth = 40;
// Room for three characters as in the suite's tables; the unit mapping table keeps only the
// first one.
inline constexpr int kUnitCodeWidth = 3;

// The index the dialog opens the table with, ended by an entry of "NULL" texts.
inline constexpr char kUnitNameTag[] = "ED_IZ_IND";
inline constexpr SIndexDesc kUnitNameIndexes[] = {
    {kUnitNameTag, kUnitNameField, kUnitNameField},
    {"NULL", "NULL", "NULL"},
};

inline std::vector<dbf::FieldDef> unitsTableFields() {
    return {{kUnitNameField, 'C', kUnitNameWidth, 0}, {kUnitCodeField, 'C', kUnitCodeWidth, 0}};
}

}  // namespace units
