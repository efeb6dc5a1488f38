#pragma once
// One record of the output price table as the resolution decides it and the price-table
// writer posts it: the values of the template's nine fields, as texts. The record loop keeps
// one and clears it for every record.
#include <string>

namespace engine {

struct PriceRecord {
    std::string TIP, SBOR, TABL, POZ;  // the normative code's parts, code page 866
    std::string KEI;                   // the ОРН unit code
    std::string C_1, C_2;              // the prices in the ОРН unit; empty for zero
    std::string C1, C2;                // always empty

    void clear() {
        for (std::string* field : {&TIP, &SBOR, &TABL, &POZ, &KEI, &C_1, &C_2, &C1, &C2})
            field->clear();
    }
};

}  // namespace engine
