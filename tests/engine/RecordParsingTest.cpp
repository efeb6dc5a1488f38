#include <gtest/gtest.h>

#include <string>

#include "engine/RecordParser.h"
#include "engine/SourceRecord.h"
#include "text/CodePages.h"

using text::cp1251ToUtf8;
using text::utf8ToCp1251;

namespace {

// Parsing is pure text work: no program folder, table or reader library.
class RecordParsing : public ::testing::Test {
protected:
    engine::RecordParser parser;

    std::string field(const std::string& record, int n) {
        return engine::RecordParser::GetField(record, '@', n);
    }
};

TEST_F(RecordParsing, FieldsBetweenSeparators) {
    struct Case {
        const char* record;
        int n;
        const char* field;
    };
    const Case cases[] = {
        {"4@123-4567@name@m@x@10@20", 1, "4"},
        {"4@123-4567@name@m@x@10@20", 2, "123-4567"},
        {"4@123-4567@name@m@x@10@20", 7, "20"},
        {"4@123-4567@name@m@x@10@20@extra", 7, "20"},
        {"a@@c", 2, ""},
        {"a@b@", 3, ""},
        {"whole", 1, "whole"},
        {"", 1, ""},
        // A field the record does not have is empty, never the last one repeated.
        {"4@123-4567@100", 4, ""},
        {"4@123-4567@100", 7, ""},
        {"whole", 2, ""},
        {"a@b", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(field(c.record, c.n), c.field) << c.record << " field " << c.n;
}

TEST_F(RecordParsing, SourceCodesRebuiltIntoOrnForm) {
    struct Case {
        const char* code;
        bool rebuilt;
        const char* result;
    };
    const Case cases[] = {
        {"123-4567", true, "123-4567"},
        {"12-3456", true, "12-3456"},
        {"1234567", true, "123-4567"},
        {"1234567890", true, "123-4567-890"},
        {"123-4567-01", true, "123-4567-01"},
        {"12-3456-01", true, "12-3456-01"},
        {"12345", true, "1-2345"},
        {"12-34", false, "1234"},        // the dash stays deleted
        {"1234-567", true, "123-4-56-7"},  // first dash at position 5 is an ordinary character
        {"12345678901234567", true, "123-4567-890123"},
        {"1234", false, "1234"},
        {"С123-4567", false, "С123-4567"},
        {"с123", false, "с123"},  // lower-case letters count too
        {"X1234567", false, "X1234567"},
        {"А-15", false, "А-15"},
        {"-1234567", false, "-1234567"},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        std::string code = utf8ToCp1251(c.code);
        EXPECT_EQ(engine::RecordParser::ReformatSourceCode(code), c.rebuilt) << c.code;
        EXPECT_EQ(cp1251ToUtf8(code), c.result) << c.code;
    }
}

TEST_F(RecordParsing, CodeGetsTheLetterOfItsType) {
    struct Case {
        const char* type;
        const char* source;
        const char* code;
    };
    const Case cases[] = {
        {"4", "123-4567", "С123-4567"},     {"3", "12-3456", "Х12-3456"},
        {"1", "1234567", "З123-4567"},      {"4", "1234567890", "С123-4567-890"},
        {"4", "123-4567-01", "С123-4567-01"}, {"3", "12-3456-01", "Х12-3456-01"},
        {"3", "12345", "Х1-2345"},          {"4", "12-34", "С1234"},
        {"4", "С123-4567", "СС123-4567"},   {"2", "123-4567", "123-4567"},
        {"4", "А-15", "СА-15"},             {" 4 ", "123-4567", "С123-4567"},
    };
    for (const Case& c : cases) {
        engine::SourceRecord r;
        const std::string record = utf8ToCp1251(std::string(c.type) + "@" + c.source + "@n@u@@1@2");
        ASSERT_TRUE(parser.Parse(record, '@', r)) << c.source;
        EXPECT_EQ(cp1251ToUtf8(r.code), c.code) << c.type << " / " << c.source;
    }
}

TEST_F(RecordParsing, RecordFieldsGoToTheirResults) {
    engine::SourceRecord r;
    const std::string record = utf8ToCp1251("4@123-4567@Бетон тяжёлый @ м3 @x@12,50@100");
    ASSERT_TRUE(parser.Parse(record, '@', r));
    EXPECT_EQ(cp1251ToUtf8(r.name), "Бетон тяжёлый ");
    EXPECT_EQ(cp1251ToUtf8(r.unit), " м3 ");
    EXPECT_EQ(r.price1, "100.0");  // field 7
    EXPECT_EQ(r.price2, "12.5");   // field 6
}

TEST_F(RecordParsing, ShortRecordLeavesMissingFieldsEmpty) {
    engine::SourceRecord r;
    ASSERT_TRUE(parser.Parse(utf8ToCp1251("4@123-4567@Бетон"), '@', r));
    EXPECT_EQ(cp1251ToUtf8(r.name), "Бетон");
    EXPECT_EQ(r.unit, "");
    EXPECT_EQ(r.price1, "");
    EXPECT_EQ(r.price2, "");

    ASSERT_TRUE(parser.Parse("4@123-4567@100", '@', r));
    EXPECT_EQ(r.price1, "");
    EXPECT_EQ(r.price2, "");
}

TEST_F(RecordParsing, PricesNormalised) {
    struct Case {
        const char* field;
        const char* price;
    };
    const Case cases[] = {
        {"12,50", "12.5"}, {"12.5", "12.5"}, {"100", "100.0"}, {"0", ""},   {"0,00", ""},
        {"", ""},          {"abc", ""},      {"7,25 руб.", "7.25"},          {"0.001", "0.001"},
    };
    for (const Case& c : cases) {
        engine::SourceRecord r;
        const std::string record = utf8ToCp1251(std::string("4@1@n@u@@") + c.field + "@" + c.field);
        ASSERT_TRUE(parser.Parse(record, '@', r));
        EXPECT_EQ(r.price1, c.price) << c.field;
        EXPECT_EQ(r.price2, c.price) << c.field;
    }
}

TEST_F(RecordParsing, TypeMustBeAnIntegerWhenThereIsACode) {
    struct Case {
        const char* record;
        bool parsed;
    };
    const Case cases[] = {
        {"x@123-4567@n@u", false}, {"4a@123-4567@n@u", false}, {"@123-4567@n@u", false},
        {"99999999999@123-4567@n@u", false},                 {"x@@n@u", true},
        {"-7@123-4567@n@u", true},                           {"+4@123-4567@n@u", true},
    };
    for (const Case& c : cases) {
        engine::SourceRecord r;
        EXPECT_EQ(parser.Parse(c.record, '@', r), c.parsed)
            << c.record;
    }
    engine::SourceRecord r;
    r.code = "untouched";
    EXPECT_TRUE(parser.Parse("x@@n@u", '@', r));
    EXPECT_EQ(r.code, "untouched");  // an empty code field leaves the code as it was given
}

TEST_F(RecordParsing, RemoveCharsTrimsAndDeletesEveryOccurrence) {
    EXPECT_EQ(engine::RecordParser::RemoveChars(" \t(4@12(3)@n) \r", "("), "4@123)@n)");
    EXPECT_EQ(engine::RecordParser::RemoveChars(engine::RecordParser::RemoveChars("  (a(b)c)  ", "("), ")"), "abc");
    EXPECT_EQ(engine::RecordParser::RemoveChars(" \t ", "("), "");
}

TEST_F(RecordParsing, CleaningTrimsDropsParenthesesAndSkipsBlankRecords) {
    struct Case {
        const char* raw;  // null: the reader handed no text
        bool kept;
        const char* record;
    };
    const Case cases[] = {
        {" \t 4@1@n \r\n", true, "4@1@n"},
        {"  (4@12(3)@n)  ", true, "4@123@n"},
        {" () ", true, ""},  // only a blank record is skipped; this one goes on, empty
        {" \t\r\n", false, "before"},
        {"", false, "before"},
        {nullptr, false, "before"},
    };
    for (const Case& c : cases) {
        std::string record = "before";
        const bool kept = engine::RecordParser::CleanRecord(c.raw, record);
        EXPECT_EQ(kept, c.kept) << (c.raw ? c.raw : "(null)");
        EXPECT_EQ(record, c.record) << (c.raw ? c.raw : "(null)");
    }
}

}  // namespace
