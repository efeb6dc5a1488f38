#pragma once
// The layout of the two mapping tables beside the program, written once: field names, widths,
// index tags and the index lists they are opened with. The mapping tables create and read
// them with these; tools, benchmarks and tests make and read them with the same.
#include <cstddef>
#include <vector>

#include "dbf/Table.h"
#include "dbf/Wdbffile.h"

namespace engine {

// Code mapping table "kodper.dbf": a source norm's name, in pieces, -> ОРН normative code.
namespace kod_table {
inline constexpr char kNameField[] = "NAME_SP";    // one piece of the name
inline constexpr char kPieceField[] = "ROST";      // "1", "2", ...: the piece's number
inline constexpr char kCodeField[] = "KOD_ORN";    // the answered code, trimmed
inline constexpr int kNameWidth = 50;
inline constexpr int kPieceWidth = 2;
inline constexpr int kCodeWidth = 60;
// Only the first 20 pieces (1000 characters) of a name are kept.
inline constexpr int kMaxPieces = 20;

inline constexpr char kTag[] = "NR_IND";
inline constexpr SIndexDesc kIndexes[] = {
    {kTag, "NAME_SP+ROST", kNameField},
    {"NULL", "NULL", "NULL"},
};

inline std::vector<dbf::FieldDef> fields() {
    return {{kNameField, 'C', kNameWidth, 0},
            {kPieceField, 'C', kPieceWidth, 0},
            {kCodeField, 'C', kCodeWidth, 0}};
}

// Where the fields stand in an open table (a file of another program may order them
// otherwise), and the width its name pieces have there. Raises the engine's error for a
// missing field.
struct FieldPositions {
    std::size_t name = 0, piece = 0, code = 0;
    std::size_t nameWidth = 0;
};
inline FieldPositions fieldPositions(const dbf::Table& table) {
    FieldPositions f;
    f.name = table.fieldPosition(kNameField);
    f.piece = table.fieldPosition(kPieceField);
    f.code = table.fieldPosition(kCodeField);
    f.nameWidth = static_cast<std::size_t>(table.fieldWidth(kNameField));
    return f;
}
}  // namespace kod_table

// Unit mapping table "edizper.dbf": a source unit -> ОРН unit code and price coefficient.
namespace ediz_table {
inline constexpr char kUnitField[] = "EDIZ_SP";          // the source unit, trimmed
inline constexpr char kUnitCodeField[] = "KEI_ORN";      // the answered unit code
inline constexpr char kCoefficientField[] = "K_PRIV";    // the answered coefficient, trimmed
inline constexpr int kUnitWidth = 60;
// One character: the suite's other programs read the unit code with this width.
inline constexpr int kUnitCodeWidth = 1;
inline constexpr int kCoefficientWidth = 20;

inline constexpr char kTag[] = "EZ_SP_IND";
inline constexpr SIndexDesc kIndexes[] = {
    {kTag, kUnitField, kUnitField},
    {"NULL", "NULL", "NULL"},
};

inline std::vector<dbf::FieldDef> fields() {
    return {{kUnitField, 'C', kUnitWidth, 0},
            {kUnitCodeField, 'C', kUnitCodeWidth, 0},
            {kCoefficientField, 'C', kCoefficientWidth, 0}};
}

// Where the answer's fields stand in an open table; raises the engine's error for a missing one.
struct FieldPositions {
    std::size_t unitCode = 0, coefficient = 0;
};
inline FieldPositions fieldPositions(const dbf::Table& table) {
    return {table.fieldPosition(kUnitCodeField), table.fieldPosition(kCoefficientField)};
}
}  // namespace ediz_table

}  // namespace engine
