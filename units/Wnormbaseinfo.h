#pragma once
// What the program needs to know about a normative base: only whether it is the base "MG419",
// whose units of measure live in a table of their own. Used by WEdIzm.
#include <string>

class WNormBaseInfo {
public:
    WNormBaseInfo();

    // Exact, byte for byte: no case folding and no trimming.
    bool IsMG419(const std::string& code) const;

    const std::string FDescription;
};
