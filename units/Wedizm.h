#pragma once
// Chooses the units-of-measure table of a conversion: "Ei2.dbf" for the base MG419, "Ei1.dbf"
// for every other base, taken from the first units folder when it is there and otherwise from
// "DOP" under the second units folder. Used by the converter and the correspondence dialog.
#include <string>

class WEdIzm {
public:
    // The folders as the command line gives them; nothing is looked at until GetFileName.
    WEdIzm(const std::string& baseCode, const std::string& firstUnitsDir,
           const std::string& secondUnitsDir);

    // Never fails: when neither place holds the table the second place is returned, and the
    // caller's open reports the missing file.
    std::string GetFileName() const;

    const std::string FDescription;
    const std::string FBaseCode;
    const std::string FFirstUnitsDir;
    const std::string FSecondUnitsDir;
};
