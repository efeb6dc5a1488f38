// Hostile and odd input: command lines with blanks, quotes, very long paths, missing folders
// and folders where files belong; source records of a megabyte, with NUL bytes and every byte
// value; codes of 10,000 characters; units tables with thousands of units and repeated names.
// Never a crash: the program's own messages, and what can be converted is converted.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <unistd.h>

#include "app/Tcommandlineparser.h"
#include "app/Tlogfile.h"
#include "engine/Tkonvika.h"
#include "platform/Files.h"
#include "tests/engine/ConversionFixture.h"
#include "tests/engine/reliability/ReliabilityFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "text/CodePages.h"

using engine_testing::DialogAnswer;
using engine_testing::logMessages;
using engine_testing::ProgramFolder;
using engine_testing::readPriceTable;
using engine_testing::readRows;
using engine_testing::ScriptedDialogs;
using Lines = std::vector<std::string>;

namespace {

std::string u8(const std::string& cp1251) { return text::cp1251ToUtf8(cp1251); }

class BadInput : public ::testing::Test {
protected:
    BadInput() { folder.writeUnits(reliability::standardUnits()); }

    // The five parameters as the calling program hands them over, split by the program's parser.
    bool convertCommandLine(const std::string& commandLine, ScriptedDialogs* dialogs = nullptr) {
        TCommandLineParser parser;
        if (!parser.ParseCommandLine(commandLine, '?') || parser.GetParamCount() != 5) return false;
        std::string p[5];
        for (int i = 0; i < 5; ++i) EXPECT_TRUE(parser.GetParamByIdx(i, p[i]));
        TLogFile logFile;
        TKonvika converter(folder.root(), logFile);
        converter.SetDialogFactory(dialogs);
        return converter.Convert(p[0], p[1], p[2], true, p[3], p[4], nullptr, nullptr);
    }
    std::string commandLine(const std::string& source, const std::string& output,
                            const std::string& unitsFolder) const {
        return "40?" + source + "?" + output + "??" + unitsFolder + "?";
    }

    ProgramFolder folder;
    testing_support::RecordingDesktop desktop;
};

TEST_F(BadInput, PathsWithBlanksAndQuotesAreUsedAsGiven) {
    const std::string odd = "prices 'single' \"double\" ;$(x) `y` & | * [z]";
    ASSERT_TRUE(platform::createDirectories(folder.path(odd)));
    const std::string source = folder.writeSource(odd + "/ цены \"1\".txt", {{reliability::validRecord(1)}});
    const std::string output = folder.path(odd + "/ out 'price'.dbf");
    const std::string units = folder.path(odd + "/units 'x'");
    ASSERT_TRUE(platform::createDirectories(units));
    ASSERT_TRUE(platform::copyFile(folder.unitsFolder() + "/Ei1.dbf", units + "/Ei1.dbf"));
    ASSERT_TRUE(convertCommandLine(commandLine(source, output, units))) << desktop.lastTextUtf8();
    EXPECT_EQ(readPriceTable(output).size(), 1u);
    EXPECT_EQ(logMessages(folder.logPath()).front(), "Начало конвертации файла " + u8(source));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(BadInput, VeryLongPathsGiveTheProgramsMessages) {
    const std::string source = folder.writeSource("prices.txt", {{reliability::validRecord(1)}});
    const std::string longName = folder.path(std::string(4096, 'a'));
    EXPECT_FALSE(convertCommandLine(commandLine(longName, folder.outputPath(), folder.unitsFolder())));
    EXPECT_EQ(desktop.lastTextUtf8(), "Convert: Файл с ценами " + longName + " не найден!");

    EXPECT_FALSE(convertCommandLine(commandLine(source, longName + ".dbf", folder.unitsFolder())));
    EXPECT_EQ(desktop.lastTextUtf8(), "Convert: Ошибка при копировании файла из " +
                                          folder.path("Morvel/Shablon/Resurs/cenashab.dbf") + " в " +
                                          longName + ".dbf!");
    EXPECT_FALSE(convertCommandLine(commandLine(source, folder.outputPath(), longName)));
    EXPECT_NE(desktop.lastTextUtf8().find("не найден!"), std::string::npos) << desktop.lastTextUtf8();

    // A deep path of almost 4 KiB that exists works like any other.
    std::string deep = folder.root();
    while (deep.size() < 3800) deep += "/" + std::string(200, 'd');
    ASSERT_TRUE(platform::createDirectories(deep));
    const std::string deepSource = deep + "/p.txt";
    ASSERT_TRUE(platform::copyFile(source, deepSource));
    desktop.messages.clear();
    EXPECT_TRUE(convertCommandLine(commandLine(deepSource, deep + "/o.dbf", folder.unitsFolder())))
        << desktop.lastTextUtf8();
    EXPECT_EQ(readPriceTable(deep + "/o.dbf").size(), 1u);
}

TEST_F(BadInput, MissingFoldersAndFoldersAsFiles) {
    const std::string source = folder.writeSource("prices.txt", {{reliability::validRecord(1)}});
    const std::string templatePath = folder.path("Morvel/Shablon/Resurs/cenashab.dbf");
    struct Case {
        std::string source, output, units, message;
    };
    const std::vector<Case> cases = {
        {folder.path("nowhere/p.txt"), folder.outputPath(), folder.unitsFolder(),
         "Convert: Файл с ценами " + folder.path("nowhere/p.txt") + " не найден!"},
        {folder.path("out"), folder.outputPath(), folder.unitsFolder(),
         "Convert: Файл с ценами " + folder.path("out") + " не найден!"},
        {source, folder.path("nowhere/o.dbf"), folder.unitsFolder(),
         "Convert: Ошибка при копировании файла из " + templatePath + " в " + folder.path("nowhere/o.dbf") + "!"},
        {source, folder.path("out"), folder.unitsFolder(),
         "Convert: Ошибка при копировании файла из " + templatePath + " в " + folder.path("out") + "!"},
        {source, folder.outputPath(), folder.path("nowhere"), "Файл:DOP/Ei1.dbf\nне найден!"},
        {source, folder.outputPath(), source, "Файл:DOP/Ei1.dbf\nне найден!"},
        {"", "", "", "Convert: Файл с ценами  не найден!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        desktop.messages.clear();
        EXPECT_FALSE(convertCommandLine(commandLine(c.source, c.output, c.units)));
        EXPECT_EQ(desktop.lastTextUtf8(), c.message);
        EXPECT_TRUE(platform::directoryExists(folder.path("out")));
        EXPECT_FALSE(platform::fileExists(folder.path("nowhere/o.dbf")));
    }
}

TEST_F(BadInput, CommandLinesThatAreNotFiveParameters) {
    for (const std::string& line : {std::string(), std::string("?"), std::string("????"),
                                    std::string("40?a?b?c?d?e?"), std::string(8192, '?'),
                                    std::string("40 a b c d")}) {
        TCommandLineParser parser;
        const bool parsed = parser.ParseCommandLine(line, '?');
        EXPECT_TRUE(!parsed || parser.GetParamCount() != 5) << line.substr(0, 20);
    }
    TCommandLineParser parser;
    ASSERT_TRUE(parser.ParseCommandLine("40?" + std::string(4096, 'x') + "?\"o\"?  ?'u'?", '?'));
    ASSERT_EQ(parser.GetParamCount(), 5);
    std::string p;
    ASSERT_TRUE(parser.GetParamByIdx(1, p));
    EXPECT_EQ(p.size(), 4096u);
    ASSERT_TRUE(parser.GetParamByIdx(2, p));
    EXPECT_EQ(p, "\"o\"");
    ASSERT_TRUE(parser.GetParamByIdx(3, p));
    EXPECT_EQ(p, "  ");
    EXPECT_FALSE(parser.GetParamByIdx(5, p));
    EXPECT_FALSE(parser.GetParamByIdx(-1, p));
}

TEST_F(BadInput, MegabyteRecordsAreConvertedOrRejectedWhole) {
    const std::string longName(1 << 20, 'n');
    const std::string junk(1 << 20, 'x');
    const std::string separators(1 << 20, '@');
    ScriptedDialogs dialogs;
    dialogs.answers = {{engine::kModalOk, false, "С101-0001-7", "", ""}};
    const std::string source = folder.writeSource(
        "big.txt", {{"4@12-34@" + longName + "@м3@@1@2", junk, separators, "4@12-34@" + longName + "@м3@@3@4"}});
    ASSERT_TRUE(convertCommandLine(commandLine(source, folder.outputPath(), folder.unitsFolder()), &dialogs));
    // The junk records have no name: they are asked about too, and skipped.
    ASSERT_EQ(dialogs.questions.size(), 3u);
    EXPECT_EQ(std::count_if(dialogs.questions.begin(), dialogs.questions.end(),
                            [&](const auto& q) { return q.name == longName; }),
              1)
        << "the second long record finds the stored answer";
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 2u);
    EXPECT_EQ(readRows(folder.path("Morvel/TKonvika/kodper.dbf"), {"ROST"}).size(), 20u);
    const Lines log = logMessages(folder.logPath());
    EXPECT_TRUE(std::find(log.begin(), log.end(), "Проверка записи: Запись забракована. \r\n Запись:" + junk + "!") != log.end());
    EXPECT_EQ(log.back(), "Конвертация успешно закончена.");
}

TEST_F(BadInput, EveryByteValueInASourceFile) {
    std::string every;
    for (int b = 1; b < 256; ++b)
        if (b != '\n' && b != '\r') every += static_cast<char>(b);
    std::vector<std::string> records = {every};
    for (int b = 1; b < 256; ++b) {
        if (b == '\n' || b == '\r') continue;
        const std::string c(1, static_cast<char>(b));
        records.push_back("4@123-4567" + c + "@Бетон" + c + "@м3" + c + "@@1" + c + "@2" + c);
        records.push_back(c + "@" + c + "@" + c + "@" + c + "@" + c + "@" + c + "@" + c);
    }
    std::string bytes = "GARVENA 1\n#TABLE 1\n";
    for (const std::string& record : records) bytes += text::utf8ToCp1251(record) + "\n";
    testing_support::writeFileBytes(folder.path("bytes.txt"), bytes);
    ASSERT_TRUE(convertCommandLine(commandLine(folder.path("bytes.txt"), folder.outputPath(), folder.unitsFolder())))
        << desktop.lastTextUtf8();
    EXPECT_TRUE(desktop.messages.empty()) << desktop.lastTextUtf8();
    EXPECT_FALSE(readPriceTable(folder.outputPath()).empty());
    EXPECT_EQ(logMessages(folder.logPath()).back(), "Конвертация успешно закончена.");

    // A NUL byte is not the source format: the reader refuses the file before anything is written.
    testing_support::writeFileBytes(folder.path("nul.txt"), bytes + std::string("4@123-4567@\0@@1@2\n", 19));
    ASSERT_TRUE(platform::deleteFile(folder.outputPath()));
    desktop.messages.clear();
    EXPECT_FALSE(convertCommandLine(commandLine(folder.path("nul.txt"), folder.outputPath(), folder.unitsFolder())));
    EXPECT_EQ(desktop.textsUtf8(), Lines{"Convert: Не верный тип данных!"});
    EXPECT_EQ(logMessages(folder.logPath()).back(), "Convert: Не верный тип данных!");
    EXPECT_FALSE(platform::fileExists(folder.outputPath()));
}

// Parsing and resolution on their own, with the tables a conversion left open.
class ReadyConverter : public BadInput {
protected:
    void SetUp() override {
        converter = std::make_unique<TKonvika>(folder.root(), logFile);
        ASSERT_TRUE(converter->Convert("40", folder.writeSource("p.txt", {{reliability::validRecord(1)}}),
                                       folder.outputPath(), false, "", folder.unitsFolder(), nullptr, nullptr));
    }
    bool parseAndResolve(const std::string& record) {
        engine::SourceRecord source;
        engine::PriceRecord price;
        const std::string cleaned = converter->RemoveChars(converter->RemoveChars(record, "("), ")");
        if (!converter->ParseRecord(cleaned, '@', source)) return false;
        return converter->ResolveCodeAndUnit(source, price);
    }
    TLogFile logFile;
    std::unique_ptr<TKonvika> converter;
};

TEST_F(ReadyConverter, NulBytesAndEveryByteValueInEachField) {
    for (int b = 0; b < 256; ++b) {
        const std::string c(1, static_cast<char>(b));
        SCOPED_TRACE(b);
        EXPECT_NO_THROW(parseAndResolve("4@12" + c + "-34@Имя" + c + "@м3" + c + "@@1" + c + "@2" + c));
        EXPECT_NO_THROW(parseAndResolve(c + "@" + c + "@" + c + "@" + c + "@" + c + "@" + c + "@" + c));
        EXPECT_NO_THROW(parseAndResolve(std::string(64, static_cast<char>(b))));
    }
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_NO_THROW(parseAndResolve(all));
    EXPECT_NO_THROW(parseAndResolve(all + all + all));
    // A NUL inside the name stays part of it: the record is known by its whole name.
    EXPECT_TRUE(parseAndResolve("4@123-4567@a" + std::string(1, '\0') + "b@" + text::utf8ToCp1251("м3") + "@@1@2"));
}

TEST_F(ReadyConverter, CodesOfTenThousandCharacters) {
    const std::string shapes[] = {std::string(10000, '1'), std::string(10000, '-'),
                                  "123-" + std::string(9996, '4'), text::utf8ToCp1251("С") + std::string(9999, '9'),
                                  std::string(5000, '1') + std::string(5000, '-')};
    for (const std::string& code : shapes) {
        engine::SourceRecord source;
        source.code = code;
        source.unit = text::utf8ToCp1251("м3");
        source.name = "name";
        source.price1 = "1";
        source.price2 = "2";
        engine::PriceRecord price;
        SCOPED_TRACE(code.substr(0, 8));
        EXPECT_NO_THROW(converter->ResolveCodeAndUnit(source, price));
        EXPECT_LE(price.TIP.size(), 1u);
        EXPECT_LE(price.SBOR.size(), 6u);
        EXPECT_LE(price.TABL.size(), 5u);
        EXPECT_LE(price.POZ.size(), 5u);
        EXPECT_NO_THROW(parseAndResolve("4@" + code + "@name@" + text::utf8ToCp1251("м3") + "@@1@2"));
        std::string reformatted = code;
        EXPECT_NO_THROW(converter->ReformatSourceCode(reformatted));
    }
}

TEST_F(BadInput, AnswerOfTenThousandCharactersIsStoredCut) {
    ScriptedDialogs dialogs;
    dialogs.answers = {{engine::kModalOk, false, "С101-0001-" + std::string(9990, '5'), "", ""},
                       {engine::kModalOk, false, "", std::string(10000, '2'), std::string(10000, '1')}};
    const std::string source = folder.writeSource("p.txt", {{"4@12-34@Кладка@ед@@1@2", "4@12-34@Кладка@ед@@1@2"}});
    EXPECT_NO_THROW(convertCommandLine(commandLine(source, folder.outputPath(), folder.unitsFolder()), &dialogs));
    EXPECT_EQ(dialogs.questions.size(), 2u) << "the second record finds both stored answers";
    const auto codes = readRows(folder.path("Morvel/TKonvika/kodper.dbf"), {"KOD_ORN"});
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0][0].size(), 60u);
    const auto units = readRows(folder.path("Morvel/TKonvika/edizper.dbf"), {"KEI_ORN", "K_PRIV"});
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0], (std::vector<std::string>{"2", std::string(20, '1')}));
}

TEST_F(BadInput, UnitsTableOfThousandsOfUnitsWithRepeatedNames) {
    std::vector<std::pair<std::string, std::string>> units;
    for (int i = 0; i < 5000; ++i) units.push_back({"ед" + std::to_string(i % 3000), std::to_string(i % 1000)});
    units.push_back({"м3", "X"});  // a repeat of a standard unit further down
    folder.writeUnits(units);
    std::vector<std::string> records;
    for (int i = 0; i < 3000; i += 37) records.push_back("4@123-4567@Бетон@ед" + std::to_string(i) + "@@1@2");
    ScriptedDialogs dialogs;
    const std::string source = folder.writeSource("p.txt", {records});
    ASSERT_TRUE(convertCommandLine(commandLine(source, folder.outputPath(), folder.unitsFolder()), &dialogs));
    EXPECT_TRUE(dialogs.questions.empty());
    const auto rows = readPriceTable(folder.outputPath());
    ASSERT_EQ(rows.size(), records.size());
    for (std::size_t r = 0; r < rows.size(); ++r)  // the first record of a name keeps it
        EXPECT_EQ(rows[r].KEI, std::to_string((r * 37) % 1000)) << r;
}

}  // namespace

namespace {

// An output path that names a file the conversion reads or keeps is refused like a failed copy:
// the file, and every other, stays as it was.
TEST_F(BadInput, OutputPathNamingAFileTheConversionKeepsIsRefused) {
    ScriptedDialogs dialogs;
    dialogs.answers = {{engine::kModalOk, false, "С101-0001-7", "", ""}};
    const std::string source = folder.writeSource("p.txt", {{"4@12-34@Кладка@м3@@1@2"}});
    ASSERT_TRUE(convertCommandLine(commandLine(source, folder.outputPath(), folder.unitsFolder()), &dialogs));
    ASSERT_TRUE(::symlink(folder.path("Morvel/TKonvika/kodper.dbf").c_str(), folder.path("out/link.dbf").c_str()) == 0);
    const std::string templatePath = folder.path("Morvel/Shablon/Resurs/cenashab.dbf");
    const std::vector<std::string> outputs = {
        templatePath, source, folder.path("Morvel/TKonvika/kodper.dbf"),
        folder.path("Morvel/TKonvika/../TKonvika/edizper.dbf"), folder.path("Morvel/TKonvika/kodper.mdx"),
        folder.path("Morvel/TKonvika/kodper.DBF"), folder.path("Morvel/TKonvika/edizper.md"),
        folder.unitsFolder() + "/Ei1.dbf", folder.logPath(), folder.path("out/link.dbf")};
    for (const std::string& output : outputs) {
        SCOPED_TRACE(output);
        const reliability::Snapshot before = reliability::snapshot(folder.root());
        desktop.messages.clear();
        EXPECT_FALSE(convertCommandLine(commandLine(source, output, folder.unitsFolder())));
        EXPECT_EQ(desktop.textsUtf8(), Lines{"Convert: Ошибка при копировании файла из " + u8(templatePath) +
                                             " в " + u8(output) + "!"});
        for (const std::string& change : reliability::differences(before, reliability::snapshot(folder.root())))
            EXPECT_EQ(change, "changed Morvel/TKonvika.log");
    }
}

}  // namespace
