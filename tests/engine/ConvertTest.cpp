#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Tlogfile.h"
#include "engine/PriceTableLayout.h"
#include "engine/Tkonvika.h"
#include "platform/Files.h"
#include "tests/engine/ConversionFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "text/CodePages.h"

using engine_testing::logMessages;
using engine_testing::ProgramFolder;
using engine_testing::readPriceTable;
using engine_testing::RecordingProgress;
using Messages = std::vector<std::string>;

namespace {

const std::vector<std::pair<std::string, std::string>> kUnits = {
    {"м3", "1"}, {"шт", "2"}, {"т", "3"}, {"м", "4"}};

std::string validRecord(int n) {
    return "4@123-456" + std::to_string(n) + "@Бетон " + std::to_string(n) + "@м3@@10@20";
}

class Convert : public ::testing::Test {
protected:
    explicit Convert(const std::string& reader = engine_testing::developmentReaderLibrary())
        : folder(reader) {
        folder.writeUnits(kUnits);
    }

    bool run(const std::string& source, const std::string& output) {
        TLogFile logFile;
        TKonvika converter(folder.root(), logFile);
        engine_testing::useFixedLogClock(logFile);
        return converter.Convert("40", source, output, true, "", folder.unitsFolder(), &progress,
                                 &progress);
    }
    bool run(const std::string& source) { return run(source, folder.outputPath()); }

    ProgramFolder folder;
    testing_support::RecordingDesktop desktop;
    RecordingProgress progress;
};

class ConvertScripted : public Convert {
protected:
    ConvertScripted() : Convert(engine_testing::scriptedReaderLibrary()) {}
};

TEST_F(Convert, TablesOfThreeNoneAndTwoRecordsLogEveryStepInOrder) {
    const std::string source = folder.writeSource(
        "prices.txt", {{validRecord(1), validRecord(2), validRecord(3)}, {}, {validRecord(4), validRecord(5)}});
    ASSERT_TRUE(run(source));

    const Messages expected = {
        "Начало конвертации файла " + text::cp1251ToUtf8(source),
        "Обнаружено 3 таблиц.",
        "Конвертируется таблица №1",
        "Обнаружено 3 записей.",
        "Таблица обработана.",
        "Записи не обнаружены.",
        "Конвертируется таблица №3",
        "Обнаружено 2 записей.",
        "Таблица обработана.",
        "Конвертация успешно закончена.",
    };
    EXPECT_EQ(logMessages(folder.logPath()), expected);
    std::string bytes;
    for (const std::string& message : expected)
        bytes += engine_testing::stampedEntry(text::utf8ToCp1251(message));
    EXPECT_EQ(testing_support::readFileBytes(folder.logPath()), bytes);

    EXPECT_EQ(progress.positions, (std::vector<int>{0, 33, 66}));
    EXPECT_EQ(progress.repaints, 3);
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 5u);
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(Convert, CancelBeforeTheThirdTableStopsBeforeItsFirstRecord) {
    const std::string source = folder.writeSource(
        "prices.txt", {{validRecord(1), validRecord(2), validRecord(3)}, {}, {validRecord(4), validRecord(5)}});
    TLogFile logFile;
    TKonvika converter(folder.root(), logFile);
    progress.onMessages = [&](int tablesBegun) {
        if (tablesBegun == 3) converter.CancelConversion();
    };
    EXPECT_FALSE(converter.Convert("40", source, folder.outputPath(), true, "",
                                   folder.unitsFolder(), &progress, &progress));
    const Messages log = logMessages(folder.logPath());
    const Messages tail(log.end() - 4, log.end());
    EXPECT_EQ(tail, (Messages{"Конвертируется таблица №3", "Обнаружено 2 записей.",
                              "Таблица обработана.", "Конвертация отменена."}));
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 3u);  // kept, never deleted
}

TEST_F(Convert, ProgressOfOneTableAndOfManyTables) {
    EXPECT_TRUE(run(folder.writeSource("one.txt", {{validRecord(1)}})));
    EXPECT_EQ(progress.positions, (std::vector<int>{0}));

    progress.positions.clear();
    std::vector<std::vector<std::string>> tables(200);
    EXPECT_TRUE(run(folder.writeSource("many.txt", tables), folder.path("out/many.dbf")));
    ASSERT_EQ(progress.positions.size(), 200u);
    EXPECT_EQ(progress.positions[100], 50);  // half the tables done: half the bar
    EXPECT_EQ(progress.positions.back(), 99);
}

TEST_F(Convert, MissingSourceFileLeavesAnEmptyLogAndNoOutput) {
    const std::string missing = folder.path("absent.txt");
    EXPECT_FALSE(run(missing));
    EXPECT_EQ(desktop.textsUtf8(),
              Messages{"Convert: Файл с ценами " + text::cp1251ToUtf8(missing) + " не найден!"});
    EXPECT_EQ(desktop.messages.at(0).caption, "TKonvika");
    EXPECT_TRUE(platform::fileExists(folder.logPath()));
    EXPECT_EQ(testing_support::readFileBytes(folder.logPath()), "");
    EXPECT_FALSE(platform::fileExists(folder.outputPath()));
}

TEST_F(Convert, FileWithoutTablesLeavesAnUnchangedCopyOfTheTemplate) {
    EXPECT_FALSE(run(folder.writeSource("empty.txt", {})));
    EXPECT_EQ(logMessages(folder.logPath()).back(), "Таблицы не найдены.");
    EXPECT_EQ(testing_support::readFileBytes(folder.outputPath()),
              testing_support::readFileBytes(folder.path("Morvel/Shablon/Resurs/cenashab.dbf")));
}

TEST_F(Convert, RejectedRecordsAreLoggedAndDoNotFailTheConversion) {
    const std::string source = folder.writeSource(
        "prices.txt", {{" \t ", "x@123-4567@Бетон@м3@@1@2", "  (4@123-4567@Бетон (тяжёлый)@м3@@1@2)  "}});
    ASSERT_TRUE(run(source));
    const Messages log = logMessages(folder.logPath());
    ASSERT_EQ(log.size(), 7u);  // the blank record is skipped without a word
    EXPECT_EQ(log[4], "Ошибка при разборе строки с нормативом.\r\n Запись:x@123-4567@Бетон@м3@@1@2!");
    EXPECT_EQ(log.back(), "Конвертация успешно закончена.");
    ASSERT_EQ(readPriceTable(folder.outputPath()).size(), 1u);
}

TEST_F(Convert, TemplateWithoutTheUnitFieldStopsAtTheFirstRecord) {
    const std::string templatePath = folder.path("Morvel/Shablon/Resurs/cenashab.dbf");
    platform::deleteFile(templatePath);
    dbf::Table table;
    table.setDatabaseName(platform::folderOf(templatePath));
    table.setTableName("cenashab.dbf");
    std::vector<dbf::FieldDef> fields = engine::price_table::templateFields();
    std::erase_if(fields, [](const dbf::FieldDef& field) { return field.name == "KEI"; });
    ASSERT_EQ(fields.size(), 8u);
    table.createTable(fields);
    EXPECT_FALSE(run(folder.writeSource("prices.txt", {{validRecord(1), validRecord(2)}, {validRecord(3)}})));
    EXPECT_EQ(desktop.textsUtf8(), Messages{"AddRecord: Ошибка при добавлении записи в ценовой файл!"});
    const Messages log = logMessages(folder.logPath());
    EXPECT_EQ(log.back(), "AddRecord: Ошибка при добавлении записи в ценовой файл!");
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 0u);
}

TEST_F(Convert, OutputFolderMissingReportsTheCopyAndClosesTheReader) {
    const std::string source = folder.writeSource("prices.txt", {{validRecord(1)}});
    const std::string output = folder.path("no/such/folder/price.dbf");
    EXPECT_FALSE(run(source, output));
    const std::string message = "Convert: Ошибка при копировании файла из " +
                                text::cp1251ToUtf8(folder.path("Morvel/Shablon/Resurs/cenashab.dbf")) +
                                " в " + text::cp1251ToUtf8(output) + "!";
    EXPECT_EQ(desktop.textsUtf8(), Messages{message});
    EXPECT_EQ(logMessages(folder.logPath()).back(), message);
}

TEST_F(ConvertScripted, ReaderOpenErrorsAreShownAndLogged) {
    struct Case {
        int code;
        const char* message;
    };
    const Case cases[] = {{1, "Convert: Ошибка при открытии файла!"},
                          {2, "Convert: Не верный тип данных!"},
                          {4, "Convert: Ошибка памяти! Перезапустите программу."},
                          {5, "Convert: Выход за пределы массива!"},
                          {7, "Convert: "}};
    for (const Case& c : cases) {
        desktop.messages.clear();
        const std::string script = folder.writeScript("s.txt", {"!open " + std::to_string(c.code)});
        EXPECT_FALSE(run(script));
        EXPECT_EQ(desktop.textsUtf8(), Messages{c.message}) << c.code;
        EXPECT_EQ(logMessages(folder.logPath()).back(), c.message) << c.code;
        EXPECT_FALSE(platform::fileExists(folder.outputPath()));
    }
}

TEST_F(ConvertScripted, CopyFailureStillClosesTheReader) {
    const std::string script = folder.writeScript("s.txt", {"!close 1", "#TABLE", validRecord(1)});
    EXPECT_FALSE(run(script, folder.path("no/such/price.dbf")));
    ASSERT_EQ(desktop.messages.size(), 2u);  // the copy, then the reader's answer to gvClose
    EXPECT_EQ(desktop.textsUtf8()[1], "Convert: Ошибка при открытии файла!");
}

TEST_F(ConvertScripted, TableErrorsStopTheConversionAndKeepWhatWasWritten) {
    const std::string tablesError = folder.writeScript("t.txt", {"!tables 2", "#TABLE", validRecord(1)});
    EXPECT_FALSE(run(tablesError));
    EXPECT_EQ(desktop.lastTextUtf8(), "Convert: Не верный тип данных!");
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 0u);

    const std::string recordsError = folder.writeScript(
        "r.txt", {"#TABLE", validRecord(1), validRecord(2), "#TABLE", "!records 5", validRecord(3)});
    EXPECT_FALSE(run(recordsError));
    EXPECT_EQ(desktop.lastTextUtf8(), "Convert: Выход за пределы массива!");
    const Messages log = logMessages(folder.logPath());
    EXPECT_EQ(log.back(), "Convert: Выход за пределы массива!");
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 2u);
}

TEST_F(ConvertScripted, CloseErrorFailsAConversionThatWentWell) {
    EXPECT_FALSE(run(folder.writeScript("c.txt", {"!close 4", "#TABLE", validRecord(1)})));
    const Messages log = logMessages(folder.logPath());
    EXPECT_EQ(log.back(), "Convert: Ошибка памяти! Перезапустите программу.");
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 1u);
}

}  // namespace
