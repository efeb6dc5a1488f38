// Key expressions and FOR conditions of index tags evaluated on a record, and the numeric key
// form: table-driven against values worked out by hand from the dBASE rules.
#include <gtest/gtest.h>

#include "dbf/DbfHeader.h"
#include "dbf/Expression.h"
#include "dbf/TagKey.h"
#include "text/CodePages.h"

using dbf::ExprValue;
using Kind = dbf::ExprValue::Kind;

namespace {

dbf::TableHeader header() {
    return dbf::makeHeader({{"NAME", 'C', 8, 0},
                            {"CODE", 'C', 4, 0},
                            {"PRICE", 'N', 8, 2},
                            {"QTY", 'N', 4, 0},
                            {"DAY", 'D', 8, 0},
                            {"OK", 'L', 1, 0},
                            {"BLANKDAY", 'D', 8, 0}},
                           dbf::kLanguageDriverCp1251, "t.dbf");
}

// NAME "  Abc ", CODE "x1", PRICE 12.50, QTY -7, DAY 2024-02-28, OK T, BLANKDAY empty.
const std::string kRecord = std::string(" ") + "  Abc   " + "x1  " + "   12.50" + "  -7" + "20240228" + "T" +
                            "        ";

struct Case {
    const char* expression;
    Kind kind;
    const char* text;  // Text and Date results
    double number;
    bool logical;
};

}  // namespace

TEST(Expression, EvaluatesTheFunctionsAndOperatorsOfIndexKeys) {
    const dbf::TableHeader h = header();
    ASSERT_EQ(kRecord.size(), h.recordLength);
    const Case cases[] = {
        {"NAME", Kind::Text, "  Abc   ", 0, false},
        {"name + code", Kind::Text, "  Abc   x1  ", 0, false},
        {"NAME-CODE", Kind::Text, "  Abcx1     ", 0, false},
        {"UPPER(NAME)", Kind::Text, "  ABC   ", 0, false},
        {"LOWER(NAME)", Kind::Text, "  abc   ", 0, false},
        {"TRIM(NAME)+\"|\"", Kind::Text, "  Abc|", 0, false},
        {"RTRIM(NAME)+'|'", Kind::Text, "  Abc|", 0, false},
        {"LTRIM(NAME)+[|]", Kind::Text, "Abc   |", 0, false},
        {"SUBSTR(NAME,3,2)", Kind::Text, "Ab", 0, false},
        {"SUBS(NAME,4)", Kind::Text, "bc   ", 0, false},
        {"SUBSTR(NAME,9,2)", Kind::Text, "", 0, false},
        {"LEFT(CODE,1)", Kind::Text, "x", 0, false},
        {"RIGHT(NAME,3)", Kind::Text, "   ", 0, false},
        {"RIGHT(CODE,10)", Kind::Text, "x1  ", 0, false},
        {"STR(PRICE)", Kind::Text, "        12", 0, false},
        {"STR(PRICE,8,1)", Kind::Text, "    12.5", 0, false},
        {"STR(QTY,3)", Kind::Text, " -7", 0, false},
        {"STR(PRICE*1000,4)", Kind::Text, "****", 0, false},
        {"DTOS(DAY)", Kind::Text, "20240228", 0, false},
        {"DTOC(DAY)", Kind::Text, "02/28/24", 0, false},
        {"DTOS(DAY+2)", Kind::Text, "20240301", 0, false},
        {"DTOS(BLANKDAY)", Kind::Text, "        ", 0, false},
        {"DTOC(BLANKDAY)", Kind::Text, "  /  /  ", 0, false},
        {"DAY", Kind::Date, "20240228", 0, false},
        {"VAL(\" 3.5x\")", Kind::Number, nullptr, 3.5, false},
        {"VAL(CODE)", Kind::Number, nullptr, 0, false},
        {"PRICE", Kind::Number, nullptr, 12.5, false},
        {"-QTY*2+PRICE/5", Kind::Number, nullptr, 16.5, false},
        {"PRICE/0", Kind::Number, nullptr, 0, false},
        {"DAY-DAY", Kind::Number, nullptr, 0, false},
        {"IIF(QTY<0, \"neg\", \"pos\")", Kind::Text, "neg", 0, false},
        {"IIF(OK, PRICE, 0)", Kind::Number, nullptr, 12.5, false},
        {"QTY < 0 .AND. PRICE >= 12.5", Kind::Logical, nullptr, 0, true},
        {"QTY > 0 .OR. .NOT. OK", Kind::Logical, nullptr, 0, false},
        {"CODE = \"x\"", Kind::Logical, nullptr, 0, true},  // dBASE compares as far as the right side goes
        {"CODE == \"x1  \"", Kind::Logical, nullptr, 0, true},
        {"CODE <> \"x1\"", Kind::Logical, nullptr, 0, false},
        {"CODE # \"y\"", Kind::Logical, nullptr, 0, true},
        {"\"Ab\" $ NAME", Kind::Logical, nullptr, 0, true},
        {"DAY > BLANKDAY", Kind::Logical, nullptr, 0, true},
        {"OK = .T.", Kind::Logical, nullptr, 0, true},
        {"(QTY + 7) = 0", Kind::Logical, nullptr, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        const auto e = dbf::Expression::parse(c.expression, h, false);
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->kind(), c.kind);
        const ExprValue v = e->evaluate(h, kRecord.data());
        EXPECT_EQ(v.kind, c.kind);
        if (c.text) {
            EXPECT_EQ(v.text, c.text);
        }
        if (c.kind == Kind::Number) {
            EXPECT_DOUBLE_EQ(v.number, c.number);
        }
        if (c.kind == Kind::Logical) {
            EXPECT_EQ(v.logical, c.logical);
        }
    }
}

TEST(Expression, CaseFollowsTheTablesCodePage) {
    const dbf::TableHeader h = header();
    std::string record = kRecord;
    const std::string name = "Ёлка я"_w;  // Windows-1251
    record.replace(1, name.size(), name);
    EXPECT_EQ(dbf::Expression::parse("UPPER(NAME)", h, false)->evaluate(h, record.data()).text.substr(0, 6),
              "ЁЛКА Я"_w);
    EXPECT_EQ(dbf::Expression::parse("LOWER(NAME)", h, false)->evaluate(h, record.data()).text.substr(0, 6),
              "ёлка я"_w);
    const std::string oem = text::ansiToOem(name);
    record.replace(1, oem.size(), oem);
    EXPECT_EQ(dbf::Expression::parse("UPPER(NAME)", h, true)->evaluate(h, record.data()).text.substr(0, 6),
              text::ansiToOem("ЁЛКА Я"_w));
}

TEST(Expression, AnythingElseIsNotEvaluated) {
    const dbf::TableHeader h = header();
    std::string deep;
    for (int i = 0; i < 200; ++i) deep += "(";
    deep += "NAME";
    for (int i = 0; i < 200; ++i) deep += ")";
    for (const std::string& expression :
         {std::string("NAME+PRICE"), std::string("UPPER(PRICE)"), std::string("SOUNDEX(NAME)"), std::string("NOSUCH"),
          std::string("NAME+"), std::string("(NAME"), std::string("SUBSTR(NAME)"), std::string("IIF(NAME, 1, 2)"),
          std::string("IIF(OK, 1, \"a\")"), std::string("\"open"), std::string("NAME @ CODE"),
          std::string("OK < .F."), std::string("DELETED()"), std::string(".X."), std::string("1.2.3"),
          std::string(""), deep}) {
        SCOPED_TRACE(expression.substr(0, 40));
        EXPECT_FALSE(dbf::Expression::parse(expression, h, false).has_value());
    }
}

TEST(TagKey, NumericKeysHaveTheDbaseFourFormAndOrder) {
    struct Form {
        double value;
        std::string bytes;  // the significant bytes; the rest of the 12 are zero
    };
    const Form forms[] = {
        {0, "\x34\x01"},          {12.5, "\x36\x11\x12\x50"}, {-8.25, "\x35\x91\x82\x50"},
        {0.5, "\x34\x09\x50"},    {100, "\x37\x09\x10"},      {1000, "\x38\x09\x10"},
        {-2, "\x35\x89\x20"},     {0.25, "\x34\x09\x25"},     {123456.789, "\x3A\x29\x12\x34\x56\x78\x90"},
    };
    for (const Form& f : forms) {
        SCOPED_TRACE(f.value);
        std::string expected = f.bytes;
        expected.resize(12, '\0');
        EXPECT_EQ(dbf::numericKey(f.value), expected);
    }
    dbf::ProductionIndex::Tag ascending;
    ascending.keyType = 'N';
    ascending.keyLength = 12;
    dbf::ProductionIndex::Tag descending = ascending;
    descending.descending = true;
    const double rising[] = {-1000, -8.25, -2, -0.5, 0, 0.25, 0.5, 3.75, 12.5, 100, 12345.67};
    for (std::size_t i = 0; i + 1 < std::size(rising); ++i) {
        SCOPED_TRACE(rising[i]);
        const std::string a = dbf::numericKey(rising[i]), b = dbf::numericKey(rising[i + 1]);
        EXPECT_EQ(dbf::compareKeys(ascending, a.data(), b.data()), -1);
        EXPECT_EQ(dbf::compareKeys(ascending, b.data(), a.data()), 1);
        EXPECT_EQ(dbf::compareKeys(descending, a.data(), b.data()), 1);
        EXPECT_EQ(dbf::compareKeys(ascending, a.data(), a.data()), 0);
    }
}
