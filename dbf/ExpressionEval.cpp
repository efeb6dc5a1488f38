#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "dbf/ExpressionNode.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

using Kind = ExprValue::Kind;
using Op = Expression::Node::Op;
using Node = Expression::Node;

// Days since 1 January 1970 of a proleptic Gregorian date, and back.
long daysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

std::string civilFromDays(long z) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long y = static_cast<long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
    if (y < 1 || y > 9999) return std::string(8, ' ');
    char b[16];
    std::snprintf(b, sizeof b, "%04ld%02u%02u", y, m, d);
    return b;
}

bool dateDays(const std::string& yyyymmdd, long& days) {
    if (yyyymmdd.size() != 8 || !std::all_of(yyyymmdd.begin(), yyyymmdd.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int month = std::stoi(yyyymmdd.substr(4, 2)), day = std::stoi(yyyymmdd.substr(6, 2));
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    days = daysFromCivil(std::stol(yyyymmdd.substr(0, 4)), static_cast<unsigned>(month), static_cast<unsigned>(day));
    return true;
}

double numberOf(const std::string& text) {
    const auto b = text.find_first_not_of(' ');
    if (b == std::string::npos) return 0;
    char* end = nullptr;
    const std::string rest = text.substr(b);
    const double v = std::strtod(rest.c_str(), &end);
    return end == rest.c_str() ? 0 : v;
}

std::string rtrim(std::string s) {
    const auto e = s.find_last_not_of(' ');
    s.resize(e == std::string::npos ? 0 : e + 1);
    return s;
}

std::string ltrim(const std::string& s) {
    const auto b = s.find_first_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b);
}

// Lower case as the inverse of the program's one upper-case rule.
const std::array<char, 256>& lowerTable() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (int c = 0; c < 256; ++c) t[static_cast<std::size_t>(c)] = static_cast<char>(c);
        for (int c = 255; c >= 0; --c) {
            const char u = text::upperCase1251(static_cast<char>(c));
            if (u != static_cast<char>(c)) t[static_cast<unsigned char>(u)] = static_cast<char>(c);
        }
        return t;
    }();
    return table;
}

std::string changeCase(const std::string& s, bool upper, bool oem) {
    std::string ansi = oem ? text::oemToAnsi(s) : s;
    if (upper)
        ansi = text::upperCase1251(ansi);
    else
        for (char& c : ansi) c = lowerTable()[static_cast<unsigned char>(c)];
    return oem ? text::ansiToOem(ansi) : ansi;
}

std::size_t count(double n) { return n <= 0 || std::isnan(n) ? 0 : static_cast<std::size_t>(std::min(n, 1e6)); }

std::string str(double n, double width, double decimals) {
    const std::size_t w = count(width), d = count(decimals);
    char b[400];
    if (!std::isfinite(n) || std::fabs(n) >= 1e300) return std::string(w, '*');
    std::snprintf(b, sizeof b, "%*.*f", static_cast<int>(std::min<std::size_t>(w, 300)),
                  static_cast<int>(std::min<std::size_t>(d, 15)), n);
    std::string s = b;
    if (s.size() > w) return std::string(w, '*');
    return s;
}

ExprValue text(std::string s) {
    ExprValue v;
    v.text = std::move(s);
    return v;
}

ExprValue number(double n) {
    ExprValue v;
    v.kind = Kind::Number;
    v.number = n;
    return v;
}

ExprValue logical(bool b) {
    ExprValue v;
    v.kind = Kind::Logical;
    v.logical = b;
    return v;
}

ExprValue date(std::string yyyymmdd) {
    ExprValue v;
    v.kind = Kind::Date;
    v.text = std::move(yyyymmdd);
    return v;
}

int compareValues(const ExprValue& a, const ExprValue& b) {
    switch (a.kind) {
        case Kind::Number:
            return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
        case Kind::Logical:
            return a.logical == b.logical ? 0 : a.logical ? 1 : -1;
        default: {
            // dBASE compares text only as far as the right side goes (SET EXACT OFF).
            const std::size_t n = a.kind == Kind::Text ? std::min(a.text.size(), b.text.size()) : a.text.size();
            const int c = a.text.compare(0, n, b.text, 0, n);
            if (c != 0) return c < 0 ? -1 : 1;
            return a.kind == Kind::Text && a.text.size() < b.text.size() ? -1 : 0;
        }
    }
}

ExprValue evaluate(const Node& n, const TableHeader& h, const char* record) {
    auto arg = [&](std::size_t i) { return evaluate(*n.args[i], h, record); };
    switch (n.op) {
        case Op::Literal:
            return n.literal;
        case Op::Field: {
            const auto i = static_cast<std::size_t>(n.field);
            std::string raw(record + h.offsets[i], static_cast<std::size_t>(h.fields[i].width));
            if (n.kind == Kind::Number) return number(numberOf(raw));
            if (n.kind == Kind::Date) return date(raw);
            if (n.kind == Kind::Logical) return logical(!raw.empty() && std::string("TtYy").find(raw[0]) != std::string::npos);
            return text(std::move(raw));
        }
        case Op::Concat:
            return text(arg(0).text + arg(1).text);
        case Op::ConcatMove: {
            const std::string left = arg(0).text;
            const std::string kept = rtrim(left);
            return text(kept + arg(1).text + std::string(left.size() - kept.size(), ' '));
        }
        case Op::Add:
        case Op::Sub: {
            const ExprValue a = arg(0), b = arg(1);
            const double sign = n.op == Op::Add ? 1 : -1;
            if (a.kind == Kind::Number) return number(a.number + sign * b.number);
            long da = 0, db = 0;
            if (b.kind == Kind::Date) return number(dateDays(a.text, da) && dateDays(b.text, db) ? double(da - db) : 0);
            if (!dateDays(a.text, da) || !std::isfinite(b.number) || std::fabs(b.number) > 1e7)
                return date(std::string(8, ' '));
            return date(civilFromDays(da + static_cast<long>(sign * std::floor(b.number))));
        }
        case Op::Mul:
            return number(arg(0).number * arg(1).number);
        case Op::Div: {
            const double d = arg(1).number;
            return number(d == 0 ? 0 : arg(0).number / d);
        }
        case Op::Neg:
            return number(-arg(0).number);
        case Op::Compare: {
            const ExprValue a = arg(0), b = arg(1);
            if (n.name == "$") return logical(b.text.find(a.text) != std::string::npos);
            const int c = compareValues(a, b);
            if (n.name == "=") return logical(c == 0);
            if (n.name == "<>") return logical(c != 0);
            if (n.name == "<") return logical(c < 0);
            if (n.name == ">") return logical(c > 0);
            if (n.name == "<=") return logical(c <= 0);
            return logical(c >= 0);
        }
        case Op::And:
            return logical(arg(0).logical && arg(1).logical);
        case Op::Or:
            return logical(arg(0).logical || arg(1).logical);
        case Op::Not:
            return logical(!arg(0).logical);
        case Op::Call:
            break;
    }
    const std::string& f = n.name;
    if (f == "IIF") return arg(0).logical ? arg(1) : arg(2);
    if (f == "UPPER" || f == "LOWER") return text(changeCase(arg(0).text, f == "UPPER", n.oem));
    if (f == "TRIM" || f == "RTRIM") return text(rtrim(arg(0).text));
    if (f == "LTRIM") return text(ltrim(arg(0).text));
    if (f == "SUBSTR") {
        const std::string s = arg(0).text;
        const std::size_t start = count(std::floor(arg(1).number));
        if (start < 1 || start > s.size()) return text({});
        const std::size_t length = n.args.size() > 2 ? count(std::floor(arg(2).number)) : s.size();
        return text(s.substr(start - 1, length));
    }
    if (f == "LEFT") {
        const std::string s = arg(0).text;
        return text(s.substr(0, std::min(s.size(), count(std::floor(arg(1).number)))));
    }
    if (f == "RIGHT") {
        const std::string s = arg(0).text;
        const std::size_t k = std::min(s.size(), count(std::floor(arg(1).number)));
        return text(s.substr(s.size() - k));
    }
    if (f == "STR")
        return text(str(arg(0).number, n.args.size() > 1 ? arg(1).number : 10, n.args.size() > 2 ? arg(2).number : 0));
    if (f == "DTOS") return text(arg(0).text);
    if (f == "DTOC") {
        const std::string d = arg(0).text;
        long days = 0;
        if (!dateDays(d, days)) return text("  /  /  ");
        return text(d.substr(4, 2) + "/" + d.substr(6, 2) + "/" + d.substr(2, 2));
    }
    return number(numberOf(arg(0).text));  // VAL
}

}  // namespace

ExprValue Expression::evaluate(const TableHeader& header, const char* record) const {
    return dbf::evaluate(*root_, header, record);
}

}  // namespace dbf
