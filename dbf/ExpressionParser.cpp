#include <cctype>
#include <cstdlib>
#include <stdexcept>

#include "dbf/ExpressionNode.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

using Kind = ExprValue::Kind;
using Op = Expression::Node::Op;
using NodePtr = std::shared_ptr<Expression::Node>;

// Any parse or type failure: the expression is not one we can evaluate.
struct Unsupported {};

struct Token {
    enum class Type { End, Name, Number, Text, Symbol, Dot };
    Type type = Type::End;
    std::string text;  // upper-cased for Name and Dot words; the literal for Text
};

bool nameChar(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; }

std::vector<Token> tokenize(const std::string& s) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == ' ' || c == '\t') {
            ++i;
        } else if (c == '"' || c == '\'' || c == '[') {
            const char close = c == '[' ? ']' : static_cast<char>(c);
            const auto end = s.find(close, i + 1);
            if (end == std::string::npos) throw Unsupported{};
            tokens.push_back({Token::Type::Text, s.substr(i + 1, end - i - 1)});
            i = end + 1;
        } else if (std::isdigit(c) || (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            std::size_t j = i;
            while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '.')) ++j;
            tokens.push_back({Token::Type::Number, s.substr(i, j - i)});
            i = j;
        } else if (c == '.') {
            const auto end = s.find('.', i + 1);
            if (end == std::string::npos) throw Unsupported{};
            tokens.push_back({Token::Type::Dot, text::upperCase1251(s.substr(i + 1, end - i - 1))});
            i = end + 1;
        } else if (nameChar(c)) {
            std::size_t j = i;
            while (j < s.size() && nameChar(static_cast<unsigned char>(s[j]))) ++j;
            tokens.push_back({Token::Type::Name, text::upperCase1251(s.substr(i, j - i))});
            i = j;
        } else {
            static const char* const pairs[] = {"<>", "<=", ">=", "==", "!="};
            std::string symbol(1, static_cast<char>(c));
            for (const char* p : pairs)
                if (s.compare(i, 2, p) == 0) symbol = p;
            if (std::string("+-*/(),=<>#$").find(static_cast<char>(c)) == std::string::npos && symbol.size() == 1)
                throw Unsupported{};
            tokens.push_back({Token::Type::Symbol, symbol});
            i += symbol.size();
        }
    }
    tokens.push_back({});
    return tokens;
}

struct FunctionSignature {
    const char* name;
    Kind result;
    std::vector<Kind> arguments;
    std::size_t required;
};

// IIF is typed by its branches and checked apart.
const std::vector<FunctionSignature>& functions() {
    static const std::vector<FunctionSignature> list = {
        {"UPPER", Kind::Text, {Kind::Text}, 1},
        {"LOWER", Kind::Text, {Kind::Text}, 1},
        {"TRIM", Kind::Text, {Kind::Text}, 1},
        {"RTRIM", Kind::Text, {Kind::Text}, 1},
        {"LTRIM", Kind::Text, {Kind::Text}, 1},
        {"SUBSTR", Kind::Text, {Kind::Text, Kind::Number, Kind::Number}, 2},
        {"LEFT", Kind::Text, {Kind::Text, Kind::Number}, 2},
        {"RIGHT", Kind::Text, {Kind::Text, Kind::Number}, 2},
        {"STR", Kind::Text, {Kind::Number, Kind::Number, Kind::Number}, 1},
        {"DTOS", Kind::Text, {Kind::Date}, 1},
        {"DTOC", Kind::Text, {Kind::Date}, 1},
        {"VAL", Kind::Number, {Kind::Text}, 1},
    };
    return list;
}

// dBASE accepts a function name cut to its first four letters.
bool namesFunction(const std::string& written, const std::string& name) {
    return written == name || (written.size() >= 4 && written.size() < name.size() && name.compare(0, written.size(), written) == 0);
}

class Parser {
public:
    Parser(const std::string& source, const TableHeader& header, bool oem)
        : tokens_(tokenize(source)), header_(header), oem_(oem) {}

    NodePtr parseAll() {
        NodePtr n = orExpression();
        if (peek().type != Token::Type::End) throw Unsupported{};
        return n;
    }

private:
    const Token& peek() const { return tokens_[at_]; }
    Token take() { return tokens_[at_ < tokens_.size() - 1 ? at_++ : at_]; }
    bool symbol(const char* s) {
        if (peek().type == Token::Type::Symbol && peek().text == s) {
            ++at_;
            return true;
        }
        return false;
    }
    bool dotWord(const char* w) {
        if (peek().type == Token::Type::Dot && peek().text == w) {
            ++at_;
            return true;
        }
        return false;
    }
    void expect(const char* s) {
        if (!symbol(s)) throw Unsupported{};
    }

    static NodePtr make(Op op, Kind kind, std::vector<std::shared_ptr<const Expression::Node>> args) {
        auto n = std::make_shared<Expression::Node>();
        n->op = op;
        n->kind = kind;
        n->args = std::move(args);
        return n;
    }
    static void require(const NodePtr& n, Kind kind) {
        if (n->kind != kind) throw Unsupported{};
    }

    // Nesting deeper than any key expression means a hostile file: refuse rather than recurse.
    struct Depth {
        explicit Depth(int& d) : d_(d) {
            if (++d_ > 64) throw Unsupported{};
        }
        ~Depth() { --d_; }
        int& d_;
    };

    NodePtr orExpression() {
        Depth guard(depth_);
        NodePtr left = andExpression();
        while (dotWord("OR")) {
            NodePtr right = andExpression();
            require(left, Kind::Logical);
            require(right, Kind::Logical);
            left = make(Op::Or, Kind::Logical, {left, right});
        }
        return left;
    }

    NodePtr andExpression() {
        NodePtr left = notExpression();
        while (dotWord("AND")) {
            NodePtr right = notExpression();
            require(left, Kind::Logical);
            require(right, Kind::Logical);
            left = make(Op::And, Kind::Logical, {left, right});
        }
        return left;
    }

    NodePtr notExpression() {
        Depth guard(depth_);
        if (dotWord("NOT")) {
            NodePtr operand = notExpression();
            require(operand, Kind::Logical);
            return make(Op::Not, Kind::Logical, {operand});
        }
        return comparison();
    }

    NodePtr comparison() {
        NodePtr left = additive();
        static const char* const ops[] = {"=", "==", "<>", "#", "!=", "<", ">", "<=", ">=", "$"};
        for (const char* op : ops) {
            if (!symbol(op)) continue;
            NodePtr right = additive();
            std::string name = op;
            if (name == "==") name = "=";
            if (name == "#" || name == "!=") name = "<>";
            if (left->kind != right->kind) throw Unsupported{};
            if (name == "$" && left->kind != Kind::Text) throw Unsupported{};
            if (left->kind == Kind::Logical && name != "=" && name != "<>") throw Unsupported{};
            NodePtr n = make(Op::Compare, Kind::Logical, {left, right});
            n->name = name;
            return n;
        }
        return left;
    }

    NodePtr additive() {
        NodePtr left = multiplicative();
        while (true) {
            const bool plus = symbol("+");
            if (!plus && !symbol("-")) return left;
            NodePtr right = multiplicative();
            const Kind a = left->kind, b = right->kind;
            if (a == Kind::Text && b == Kind::Text)
                left = make(plus ? Op::Concat : Op::ConcatMove, Kind::Text, {left, right});
            else if (a == Kind::Number && b == Kind::Number)
                left = make(plus ? Op::Add : Op::Sub, Kind::Number, {left, right});
            else if (a == Kind::Date && b == Kind::Number)
                left = make(plus ? Op::Add : Op::Sub, Kind::Date, {left, right});
            else if (a == Kind::Date && b == Kind::Date && !plus)
                left = make(Op::Sub, Kind::Number, {left, right});
            else
                throw Unsupported{};
        }
    }

    NodePtr multiplicative() {
        NodePtr left = unary();
        while (true) {
            const bool times = symbol("*");
            if (!times && !symbol("/")) return left;
            NodePtr right = unary();
            require(left, Kind::Number);
            require(right, Kind::Number);
            left = make(times ? Op::Mul : Op::Div, Kind::Number, {left, right});
        }
    }

    NodePtr unary() {
        Depth guard(depth_);
        if (symbol("-")) {
            NodePtr operand = unary();
            require(operand, Kind::Number);
            return make(Op::Neg, Kind::Number, {operand});
        }
        if (symbol("+")) return unary();
        return primary();
    }

    NodePtr literal(ExprValue value) {
        NodePtr n = make(Op::Literal, value.kind, {});
        n->literal = std::move(value);
        return n;
    }

    NodePtr primary() {
        const Token t = take();
        switch (t.type) {
            case Token::Type::Number: {
                char* end = nullptr;
                const double v = std::strtod(t.text.c_str(), &end);
                if (end != t.text.c_str() + t.text.size()) throw Unsupported{};
                ExprValue value;
                value.kind = Kind::Number;
                value.number = v;
                return literal(value);
            }
            case Token::Type::Text: {
                ExprValue value;
                value.text = t.text;
                return literal(value);
            }
            case Token::Type::Dot: {
                ExprValue value;
                value.kind = Kind::Logical;
                if (t.text == "T" || t.text == "Y")
                    value.logical = true;
                else if (t.text != "F" && t.text != "N")
                    throw Unsupported{};
                return literal(value);
            }
            case Token::Type::Symbol:
                if (t.text != "(") throw Unsupported{};
                {
                    NodePtr inner = orExpression();
                    expect(")");
                    return inner;
                }
            case Token::Type::Name:
                if (symbol("(")) return call(t.text);
                return field(t.text);
            case Token::Type::End:
                break;
        }
        throw Unsupported{};
    }

    NodePtr field(const std::string& name) {
        for (std::size_t i = 0; i < header_.fields.size(); ++i) {
            const FieldDef& f = header_.fields[i];
            if (text::upperCase1251(f.name) != name) continue;
            Kind kind = Kind::Text;
            if (f.type == 'N' || f.type == 'F') kind = Kind::Number;
            else if (f.type == 'D') kind = Kind::Date;
            else if (f.type == 'L') kind = Kind::Logical;
            else if (f.type != 'C') throw Unsupported{};
            NodePtr n = make(Op::Field, kind, {});
            n->field = static_cast<int>(i);
            return n;
        }
        throw Unsupported{};
    }

    NodePtr call(const std::string& written) {
        std::vector<std::shared_ptr<const Expression::Node>> args;
        if (!symbol(")")) {
            do args.push_back(orExpression());
            while (symbol(","));
            expect(")");
        }
        if (namesFunction(written, "IIF") || written == "IF") {
            if (args.size() != 3 || args[0]->kind != Kind::Logical || args[1]->kind != args[2]->kind)
                throw Unsupported{};
            NodePtr n = make(Op::Call, args[1]->kind, args);
            n->name = "IIF";
            return n;
        }
        for (const auto& f : functions()) {
            if (!namesFunction(written, f.name)) continue;
            if (args.size() < f.required || args.size() > f.arguments.size()) throw Unsupported{};
            for (std::size_t i = 0; i < args.size(); ++i)
                if (args[i]->kind != f.arguments[i]) throw Unsupported{};
            NodePtr n = make(Op::Call, f.result, args);
            n->name = f.name;
            n->oem = oem_;
            return n;
        }
        throw Unsupported{};
    }

    std::vector<Token> tokens_;
    std::size_t at_ = 0;
    const TableHeader& header_;
    bool oem_;
    int depth_ = 0;
};

}  // namespace

std::optional<Expression> Expression::parse(const std::string& source, const TableHeader& header, bool oem) {
    try {
        Expression e;
        e.root_ = Parser(source, header, oem).parseAll();
        return e;
    } catch (const Unsupported&) {
        return std::nullopt;
    }
}

ExprValue::Kind Expression::kind() const { return root_->kind; }

}  // namespace dbf
