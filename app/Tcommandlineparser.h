#pragma once
// Splits the program's one command-line text at a separator character and hands the pieces
// out by position. The calling program ends every one of the five parameters with "?".
#include <string>
#include <vector>

class TCommandLineParser {
public:
    TCommandLineParser();

    // False, with the earlier parameters kept, for an empty text or a NUL separator. The text
    // after the last separator is not a parameter.
    bool ParseCommandLine(const std::string& text, char separator);
    int GetParamCount() const;
    // Shows a message and returns false for a position outside the parameters.
    bool GetParamByIdx(int position, std::string& param) const;

private:
    std::string FDescription;
    std::vector<std::string> FParams;
};
