#pragma once
// Parsing of source records, pure text work: the cleaning of a record text (trimmed, without
// parentheses), its fields, the normative code rebuilt into the ОРН form with the record
// type's letter in front, and the two prices in the program's number form. Needs no program
// folder, table or reader library. The converter owns one; tests and fuzz targets use it alone.
#include <string>
#include <string_view>

#include "engine/SourceRecord.h"
#include "text/Wastring.h"
#include "units/Cmaparray.h"

namespace engine {

class RecordParser {
public:
    // The type letters: 1 -> "З", 3 -> "Х", 4 -> "С" (Cyrillic capitals).
    RecordParser();

    // The text trimmed and without any occurrence of the character.
    static std::string RemoveChars(std::string text, const std::string& character);
    // The record text trimmed and without "(" and ")", into `record` (reusing its memory);
    // false, with `record` untouched, when nothing but blanks is left. A null text is empty.
    static bool CleanRecord(const char* raw, std::string& record);
    // Field n (from 1) between the separators; a field beyond the last one is empty.
    static std::string GetField(const std::string& record, char separator, int n);
    // Rebuilds a numeric code into head-mid or head-mid-tail; true when it did.
    static bool ReformatSourceCode(std::string& code);

    // Fills `out` from a cleaned record; false when the code field is not empty and the type
    // number is not an integer (then only what came before is filled). `out` starts empty.
    bool Parse(const std::string& record, char separator, SourceRecord& out) const;

private:
    CMapArray<int, std::string> FTypeLetters;
    text::WString FStr;
    mutable std::string FCodeRoom;  // the code field while it is rebuilt, kept between records
};

}  // namespace engine
