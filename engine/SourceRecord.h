#pragma once
// One source record as the record parser leaves it: the pieces the resolution needs, all
// Windows-1251 texts. The record loop keeps one and clears it for every record, so that its
// memory serves the whole table.
#include <string>

namespace engine {

struct SourceRecord {
    std::string code;    // the type letter and the reformatted normative code
    std::string name;    // the norm's name, untrimmed: the key of the code mapping table
    std::string unit;    // the unit of measure as the source wrote it, untrimmed
    std::string price1;  // field 7 in the program's number form; goes to C_1
    std::string price2;  // field 6 likewise; goes to C_2

    void clear() {
        code.clear();
        name.clear();
        unit.clear();
        price1.clear();
        price2.clear();
    }
};

}  // namespace engine
