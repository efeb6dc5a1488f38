#pragma once
// The parsed form of an Expression: a tree of typed nodes. Shared by the parser and the
// evaluator, nothing else.
#include <memory>
#include <string>
#include <vector>

#include "dbf/Expression.h"

namespace dbf {

struct Expression::Node {
    enum class Op {
        Field, Literal,
        Concat, ConcatMove,  // text + text, text - text
        Add, Sub, Mul, Div, Neg,
        Compare,             // `name` holds the operator: = <> < > <= >= $
        And, Or, Not,
        Call,                // `name` holds the function
    };
    Op op = Op::Literal;
    ExprValue::Kind kind = ExprValue::Kind::Text;
    int field = -1;
    ExprValue literal;
    std::string name;
    bool oem = false;  // the table's text is code page 866 (UPPER, LOWER)
    std::vector<std::shared_ptr<const Node>> args;
};

}  // namespace dbf
