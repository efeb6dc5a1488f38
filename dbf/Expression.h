#pragma once
// dBASE expressions of index tags: key expressions and FOR conditions, parsed once against a
// table's fields and evaluated on record buffers. Covers what index keys use in practice:
// fields, text/number/logical literals, + and - (text concatenation, the "-" form moving the
// left part's trailing blanks to the end; or arithmetic), * and /, comparisons,
// .AND./.OR./.NOT., and UPPER, LOWER, TRIM, RTRIM, LTRIM, SUBSTR, LEFT, RIGHT, STR, DTOS,
// DTOC, VAL, IIF. Anything else fails to parse, and the tag that uses it is kept but not
// written to.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dbf/DbfHeader.h"

namespace dbf {

struct ExprValue {
    enum class Kind { Text, Number, Date, Logical };
    Kind kind = Kind::Text;
    std::string text;  // Text; Date as YYYYMMDD (8 blanks when empty)
    double number = 0;
    bool logical = false;
};

class Expression {
public:
    // Parses `source` against the table's fields; nullopt when it uses anything not covered
    // above or does not type-check. `oem` says the table's text is code page 866 (for
    // UPPER and LOWER).
    static std::optional<Expression> parse(const std::string& source, const TableHeader& header, bool oem);

    ExprValue::Kind kind() const;
    ExprValue evaluate(const TableHeader& header, const char* record) const;

    struct Node;

private:
    std::shared_ptr<const Node> root_;
};

}  // namespace dbf
