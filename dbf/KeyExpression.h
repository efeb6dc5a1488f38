#pragma once
// Key expressions of the tags we create: character field names joined by "+", such as
// "NAME_SP+ROST". The key of a record is those fields' bytes end to end, each with its own
// trailing blanks, so key order is plain byte order of the stored text. Tags of this form are
// also keyed this way when other programs wrote them (the fast way); any other expression
// goes through Expression.
#include <string>
#include <vector>

#include "dbf/DbfHeader.h"

namespace dbf {

struct KeyExpression {
    std::string text;         // normalised: upper-case names joined by "+" without blanks
    std::vector<int> fields;  // indices into the table's fields, in key order
    int keyLength = 0;        // sum of the fields' widths
    bool singleField() const { return fields.size() == 1; }
};

// Longest key the index format allows.
inline constexpr int kMaxKeyLength = 100;

// Resolves an expression against the table's fields; raises EngineError naming `path` for
// anything else (unknown field, a field that is not character, an empty part, a key too long).
KeyExpression parseKeyExpression(const std::string& expression, const TableHeader& header,
                                 const std::string& path);

// The key of a record buffer (deletion flag at byte 0).
std::string makeKey(const KeyExpression& expression, const TableHeader& header, const char* record);
// The same into `key`, reusing its memory (for seeks, which run often).
void makeKeyInto(const KeyExpression& expression, const TableHeader& header, const char* record, std::string& key);

}  // namespace dbf
