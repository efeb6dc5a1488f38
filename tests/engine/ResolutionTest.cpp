#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Tlogfile.h"
#include "engine/Tkonvika.h"
#include "tests/engine/ConversionFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "text/CodePages.h"

using engine_testing::DialogAnswer;
using engine_testing::logMessages;
using engine_testing::PriceRow;
using engine_testing::ProgramFolder;
using engine_testing::readPriceTable;
using engine_testing::readRows;
using engine_testing::ScriptedDialogs;
using Rows = std::vector<std::vector<std::string>>;

namespace {

const char* const kCodeMissing = "Код норматива не найден в базе данных программы!";
const char* const kUnitMissing = "Единица измерения не найдена в базе данных программы!";

std::string oem(const std::string& utf8) { return text::ansiToOem(text::utf8ToCp1251(utf8)); }

class Resolution : public ::testing::Test {
protected:
    Resolution() { folder.writeUnits({{"м3", "1"}, {"шт", "2"}, {"т", "3"}, {"м2", "4"}}); }

    bool convert(const std::vector<std::vector<std::string>>& tables) {
        TLogFile logFile;
        TKonvika converter(folder.root(), logFile);
        converter.SetDialogFactory(&dialogs);
        return converter.Convert("40", folder.writeSource("prices.txt", tables),
                                 folder.outputPath(), true, "", folder.unitsFolder(), nullptr,
                                 nullptr);
    }
    Rows codeRows() const {
        return readRows(folder.path("Morvel/TKonvika/kodper.dbf"), {"NAME_SP", "ROST", "KOD_ORN"});
    }
    Rows unitRows() const {
        return readRows(folder.path("Morvel/TKonvika/edizper.dbf"), {"EDIZ_SP", "KEI_ORN", "K_PRIV"});
    }
    static DialogAnswer ok(const std::string& code, const std::string& unit = "",
                           const std::string& coefficient = "") {
        return {engine::kModalOk, false, code, unit, coefficient};
    }

    ProgramFolder folder;
    testing_support::RecordingDesktop desktop;
    ScriptedDialogs dialogs;
};

TEST_F(Resolution, ValidCodeAndStandardUnitTouchNothing) {
    ASSERT_TRUE(convert({{"4@123-4567@Бетон@м3@@12,5@250"}}));
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(codeRows().empty());
    EXPECT_TRUE(unitRows().empty());
    const std::vector<PriceRow> rows = readPriceTable(folder.outputPath());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].TIP, oem("С"));
    EXPECT_EQ(rows[0].SBOR, "   123");
    EXPECT_EQ(rows[0].TABL, " 4567");
    EXPECT_EQ(rows[0].POZ, "");
    EXPECT_EQ(rows[0].KEI, "1");
    EXPECT_DOUBLE_EQ(std::atof(rows[0].C_1.c_str()), 250.0);
    EXPECT_DOUBLE_EQ(std::atof(rows[0].C_2.c_str()), 12.5);
    EXPECT_EQ(rows[0].C1, "");
    EXPECT_EQ(rows[0].C2, "");
}

TEST_F(Resolution, AnsweredCodeIsStoredAndFoundByLaterRecordsAndRuns) {
    dialogs.answers = {ok("С101-0001-5")};
    ASSERT_TRUE(convert({{"4@12-34@Кладка стен@м3@@1@2", "4@77-77@Кладка стен@шт@@3@4"}}));
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].mode, engine::kAskCode);
    EXPECT_EQ(dialogs.questions[0].message, kCodeMissing);
    EXPECT_EQ(dialogs.questions[0].code, "С1234");
    EXPECT_EQ(codeRows(), (Rows{{text::utf8ToCp1251("Кладка стен"), "1", text::utf8ToCp1251("С101-0001-5")}}));
    const std::vector<PriceRow> rows = readPriceTable(folder.outputPath());
    ASSERT_EQ(rows.size(), 2u);
    for (const PriceRow& row : rows) {
        EXPECT_EQ(row.SBOR, "   101");
        EXPECT_EQ(row.TABL, " 0001");
        EXPECT_EQ(row.POZ, "   5");
    }

    dialogs.questions.clear();
    dialogs.answers.clear();
    ASSERT_TRUE(convert({{"4@99-99@Кладка стен@м3@@1@2"}}));  // a new converter, the same tables
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_EQ(codeRows().size(), 1u);
}

TEST_F(Resolution, UnitCoefficientScalesBothPrices) {
    struct Case {
        const char* coefficient;
        const char* price;
        double scaled;
    };
    const Case cases[] = {{"1.0", "250", 250.0}, {"0.001", "250", 0.25}, {"1000", "0,5", 500.0}};
    int n = 0;
    for (const Case& c : cases) {
        const std::string unit = "ед" + std::to_string(++n);
        dialogs.questions.clear();
        dialogs.answers = {ok("", "2", c.coefficient)};
        const std::string record = "4@123-4567@Бетон@" + unit + "@@" + c.price + "@" + c.price;
        ASSERT_TRUE(convert({{record, record}}));
        ASSERT_EQ(dialogs.questions.size(), 1u) << c.coefficient;  // the second is mapped
        EXPECT_EQ(dialogs.questions[0].mode, engine::kAskUnit);
        EXPECT_EQ(dialogs.questions[0].message, kUnitMissing);
        const std::vector<PriceRow> rows = readPriceTable(folder.outputPath());
        ASSERT_EQ(rows.size(), 2u);
        for (const PriceRow& row : rows) {
            EXPECT_EQ(row.KEI, "2");
            EXPECT_DOUBLE_EQ(std::atof(row.C_1.c_str()), c.scaled) << c.coefficient;
            EXPECT_DOUBLE_EQ(std::atof(row.C_2.c_str()), c.scaled) << c.coefficient;
        }
    }
    EXPECT_EQ(unitRows().back(), (Rows::value_type{text::utf8ToCp1251("ед3"), "2", "1000"}));
}

TEST_F(Resolution, RecordsOfUnitsWithDifferentCoefficientsEachTakeTheirOwn) {
    // Mapped units alternate: each record is scaled by its own unit's coefficient, never by
    // the one of the record before it.
    dialogs.answers = {ok("", "2", "2"), ok("", "3", "0.5")};
    const std::string a = "4@123-4567@Бетон@ед-а@@100@10", b = "4@123-4567@Бетон@ед-б@@100@10";
    ASSERT_TRUE(convert({{a, b, a, b, b, a}}));
    ASSERT_EQ(dialogs.questions.size(), 2u);
    const std::vector<PriceRow> rows = readPriceTable(folder.outputPath());
    ASSERT_EQ(rows.size(), 6u);
    const double expected[] = {200, 50, 200, 50, 50, 200};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].KEI, expected[i] > 100 ? "2" : "3") << i;
        EXPECT_DOUBLE_EQ(std::atof(rows[i].C_1.c_str()), expected[i] / 10) << i;
        EXPECT_DOUBLE_EQ(std::atof(rows[i].C_2.c_str()), expected[i]) << i;
    }
}

TEST_F(Resolution, UnitsAreLookedUpAndStoredTrimmed) {
    dialogs.answers = {ok("", "34", " 0.5 ")};
    ASSERT_TRUE(convert({{"4@123-4567@Бетон@ кв.м @@10@10", "4@123-4567@Бетон@кв.м@@10@10"}}));
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].unit, " кв.м ");  // the dialog sees the unit as written
    EXPECT_EQ(unitRows(), (Rows{{text::utf8ToCp1251("кв.м"), "3", "0.5"}}));  // one character kept
    const std::vector<PriceRow> rows = readPriceTable(folder.outputPath());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].KEI, "34");  // the answer itself, before the table cut it
    EXPECT_EQ(rows[1].KEI, "3");
}

TEST_F(Resolution, BothMissingAsksTheCodeFirst) {
    dialogs.answers = {ok("С101-0001-5"), ok("", "4", "1")};
    ASSERT_TRUE(convert({{"4@12-34@Кладка@кв.м@@1@2"}}));
    ASSERT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(dialogs.questions[0].mode, engine::kAskCode);
    EXPECT_EQ(dialogs.questions[1].mode, engine::kAskUnit);
    EXPECT_EQ(dialogs.processedAfterAnswer, 2);
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 1u);
}

TEST_F(Resolution, CancelInTheCodeQuestionStopsBeforeTheNextRecord) {
    dialogs.answers = {{engine::kModalCancel, false, "С101-0001-5", "", ""}};
    EXPECT_FALSE(convert({{"4@12-34@Кладка@м3@@1@2", "4@123-4567@Бетон@м3@@1@2"}, {"4@123-4567@Бетон@м3@@1@2"}}));
    EXPECT_TRUE(codeRows().empty());
    EXPECT_TRUE(readPriceTable(folder.outputPath()).empty());
    const std::vector<std::string> log = logMessages(folder.logPath());
    EXPECT_EQ(log.back(), "Конвертация отменена.");
    EXPECT_EQ(log[log.size() - 3], "Проверка записи: Запись забракована. \r\n Запись:4@12-34@Кладка@м3@@1@2!");
}

TEST_F(Resolution, AnsweredCodeStaysWhenTheUnitQuestionIsSkipped) {
    dialogs.answers = {ok("С101-0001-5"), {engine::kModalIgnore, false, "", "", ""}};
    ASSERT_TRUE(convert({{"4@12-34@Кладка@кв.м@@1@2"}}));
    EXPECT_EQ(codeRows().size(), 1u);
    EXPECT_TRUE(unitRows().empty());
    EXPECT_TRUE(readPriceTable(folder.outputPath()).empty());
}

TEST_F(Resolution, SkippingTheCollectionEndsOnlyTheCurrentTable) {
    dialogs.answers = {{engine::kModalOk, true, "", "", ""}};
    ASSERT_TRUE(convert({{"4@123-4567@Бетон@м3@@1@2", "4@12-34@Кладка@м3@@1@2", "4@123-4568@Бетон@м3@@1@2"},
                         {"4@123-4569@Бетон@м3@@1@2"}}));
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 2u);
    const std::vector<std::string> log = logMessages(folder.logPath());
    const auto skipped = std::find(log.begin(), log.end(), "Таблица пропущена.");
    ASSERT_NE(skipped, log.end());
    EXPECT_EQ(*(skipped + 1), "Таблица обработана.");
    EXPECT_EQ(*(skipped + 2), "Конвертируется таблица №2");
    EXPECT_EQ(log.back(), "Конвертация успешно закончена.");
}

TEST_F(Resolution, WithoutADialogUnknownRecordsAreRejected) {
    TLogFile logFile;
    TKonvika converter(folder.root(), logFile);
    ASSERT_TRUE(converter.Convert("40", folder.writeSource("p.txt", {{"4@12-34@Кладка@м3@@1@2"}}),
                                  folder.outputPath(), true, "", folder.unitsFolder(), nullptr,
                                  nullptr));
    EXPECT_TRUE(readPriceTable(folder.outputPath()).empty());
    EXPECT_TRUE(codeRows().empty());
}

// python3-dbfread cannot run inside wine; the Windows test script reads Windows-written tables.
#ifndef _WIN32
TEST_F(Resolution, OutputReadsBackWithAnIndependentReader) {
    dialogs.answers = {ok("", "2", "0.001")};
    ASSERT_TRUE(convert({{"4@123-4567-01@Бетон@м3@@12,5@250", "4@123-4567@Бетон@кг@@@250"}}));
    const std::string script =
        "import dbfread, sys\n"
        "t = dbfread.DBF(sys.argv[1], encoding='cp866', load=True)\n"
        "for r in t.records:\n"
        "    print('|'.join(repr(r[f]) for f in ['TIP','SBOR','TABL','POZ','KEI','C_1','C_2','C1','C2']))\n";
    testing_support::writeFileBytes(folder.path("read.py"), script);
    const std::string command =
        "/usr/bin/python3 " + folder.path("read.py") + " " + folder.outputPath() + " > " + folder.path("rows.txt");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(testing_support::readFileBytes(folder.path("rows.txt")),
              "'С'|'   123'|' 4567'|'  01'|'1'|250.0|12.5|None|None\n"
              "'С'|'   123'|' 4567'|''|'2'|0.25|None|None|None\n");
}
#endif

}  // namespace
