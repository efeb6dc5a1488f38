// Corrupt tables and indexes beside the converter: a production index of random bytes, with
// node pointers out of range or in a loop, with keys of another table; tables whose header
// count runs past the file, whose record length disagrees with the fields, or that end in the
// middle of a record. Never a crash or a wrong answer: a broken index is removed and rebuilt by
// the repair stages, a broken table gives the table helper's message and stops the conversion.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "app/Tlogfile.h"
#include "dbf/MdxFormat.h"
#include "engine/Tkonvika.h"
#include "platform/Files.h"
#include "tests/engine/ConversionFixture.h"
#include "tests/engine/reliability/ChildProcess.h"
#include "tests/engine/reliability/ReliabilityFixture.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/units/ExternalReaders.h"
#include "text/CodePages.h"

using engine_testing::ProgramFolder;
using engine_testing::readPriceTable;
using Lines = std::vector<std::string>;

namespace {

constexpr std::size_t kDbfRecordCount = 4;    // u32 in the table header
constexpr std::size_t kDbfHeaderLength = 8;   // u16
constexpr std::size_t kDbfRecordLength = 10;  // u16
constexpr std::size_t kDbfIndexFlag = 28;     // u8

std::uint32_t readU32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}
void writeU32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<char>((value >> (8 * i)) & 0xFF);
}
std::uint16_t readU16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(at)) |
                                      static_cast<unsigned char>(bytes.at(at + 1)) << 8);
}
void writeU16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes.at(at) = static_cast<char>(value & 0xFF);
    bytes.at(at + 1) = static_cast<char>(value >> 8);
}

// Byte offset of the first tag's root node.
std::size_t rootNodeOffset(const std::string& mdx) {
    const std::uint32_t header = readU32(mdx, dbf::mdx::kFirstSlot + dbf::mdx::kSlotHeaderPage);
    return readU32(mdx, header * dbf::mdx::kPageSize + dbf::mdx::kTagRoot) * dbf::mdx::kPageSize;
}

std::string u8(const std::string& cp1251) { return text::cp1251ToUtf8(cp1251); }

// A program folder whose code table holds enough answers for a two-level index tag.
class CorruptFiles : public ::testing::Test {
protected:
    static constexpr int kNames = 60;

    CorruptFiles() { folder.writeUnits(reliability::standardUnits()); }

    std::string kodFile() const { return folder.path("Morvel/TKonvika/kodper.dbf"); }
    std::string kodIndex() const { return folder.path("Morvel/TKonvika/kodper.mdx"); }

    void SetUp() override {
        std::vector<std::string> records;
        for (int i = 1; i <= kNames; ++i) records.push_back(reliability::unknownCodeRecord("c", i, 30));
        source = folder.writeSource("prices.txt", {records});
        std::string lines;
        reliability::ReportingDialogs dialogs;
        dialogs.report = [&lines](const std::string& line) { lines += line + "\n"; };
        ASSERT_TRUE(convert(&dialogs));
        dialogs.flush();
        stored = reliability::parseReports(lines);
        ASSERT_EQ(stored.names.size(), static_cast<std::size_t>(kNames));
        goodTable = testing_support::readFileBytes(kodFile());
        goodIndex = testing_support::readFileBytes(kodIndex());
        ASSERT_GT(readU16(goodIndex, rootNodeOffset(goodIndex)), 0) << "the root holds keys";
        ASSERT_GT(goodIndex.size(), 3 * dbf::mdx::kBlockSize + dbf::mdx::kHeadSize) << "two levels";
    }

    bool convert(reliability::ReportingDialogs* dialogs) {
        TLogFile logFile;
        TKonvika converter(folder.root(), logFile);
        converter.SetDialogFactory(dialogs);
        return converter.Convert("40", source, folder.outputPath(), true, "", folder.unitsFolder(),
                                 dialogs, dialogs);
    }

    // A conversion over a code table with the given index bytes: it must run, ask nothing,
    // keep every row and leave a rebuilt index that an independent reader lists.
    void expectIndexRebuilt(const std::string& indexBytes) {
        testing_support::writeFileBytes(kodFile(), goodTable);
        testing_support::writeFileBytes(kodIndex(), indexBytes);
        const reliability::ChildOutcome child = reliability::runInChild([&] {
            reliability::ReportingDialogs dialogs;
            const bool result = convert(&dialogs);
            return std::string("result: ") + (result ? "1" : "0") +
                   " questions: " + std::to_string(dialogs.questions);
        });
        ASSERT_TRUE(child.exited) << "signal " << child.signal;
        EXPECT_EQ(child.output, "result: 1 questions: 0");
        EXPECT_EQ(readPriceTable(folder.outputPath()).size(), static_cast<std::size_t>(kNames));
        const std::string table = testing_support::readFileBytes(kodFile());
        EXPECT_EQ(table.size(), goodTable.size());
        EXPECT_EQ(table.substr(32), goodTable.substr(32)) << "the rows are kept";
        EXPECT_EQ(external_readers::mdxTags(kodIndex()), Lines{"NR_IND"});
        EXPECT_EQ(reliability::checkMappingTables(folder.root(), stored), Lines{});
    }

    // A conversion over a broken table: the table helper's read error, false, no crash, and
    // the table's rows stay in the file for whoever mends it.
    void expectTableError(const std::string& path, const std::string& tableBytes) {
        testing_support::writeFileBytes(path, tableBytes);
        const reliability::ChildOutcome child = reliability::runInChild([&] {
            const bool result = convert(nullptr);
            return std::string("result: ") + (result ? "1" : "0");
        });
        ASSERT_TRUE(child.exited) << "signal " << child.signal;
        EXPECT_EQ(child.output.substr(0, child.output.find('\n')), "result: 0");
        const Lines boxes = reliability::messageBoxes(child.output);
        ASSERT_FALSE(boxes.empty()) << child.output;
        EXPECT_EQ(boxes.back(), "Класс WDbfFile|Ошибка при чтении файла: " + u8(path));
        std::string after = testing_support::readFileBytes(path);
        ASSERT_EQ(after.size(), tableBytes.size()) << "the table is neither cut nor deleted";
        if (after.size() > kDbfIndexFlag) after[kDbfIndexFlag] = tableBytes[kDbfIndexFlag];  // the repair may clear the flag
        EXPECT_EQ(after, tableBytes);
    }

    ProgramFolder folder;
    std::string source, goodTable, goodIndex;
    reliability::StoredAnswers stored;
};

TEST_F(CorruptFiles, IndexOfRandomBytesIsRebuilt) {
    std::mt19937 random(7);
    std::string bytes(goodIndex.size(), '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    expectIndexRebuilt(bytes);
}

TEST_F(CorruptFiles, IndexWithRandomBytesAfterItsHeadIsRebuilt) {
    std::mt19937 random(11);
    std::string bytes = goodIndex;
    for (std::size_t at = dbf::mdx::kHeadSize; at < bytes.size(); ++at) bytes[at] = static_cast<char>(random());
    expectIndexRebuilt(bytes);
}

TEST_F(CorruptFiles, IndexWithRootPointerOutOfRangeIsRebuilt) {
    for (std::uint32_t page : {0x7FFFFFFFu, 0xFFFFFFFFu, 0u, 1u, static_cast<std::uint32_t>(goodIndex.size() / 512)}) {
        SCOPED_TRACE(page);
        std::string bytes = goodIndex;
        const std::uint32_t header = readU32(bytes, dbf::mdx::kFirstSlot + dbf::mdx::kSlotHeaderPage);
        writeU32(bytes, header * dbf::mdx::kPageSize + dbf::mdx::kTagRoot, page);
        expectIndexRebuilt(bytes);
    }
}

TEST_F(CorruptFiles, IndexWithTagHeaderOutOfRangeIsRebuilt) {
    std::string bytes = goodIndex;
    writeU32(bytes, dbf::mdx::kFirstSlot + dbf::mdx::kSlotHeaderPage, 0x00FFFFFFu);
    expectIndexRebuilt(bytes);
}

TEST_F(CorruptFiles, IndexWithChildPointersOutOfRangeOrInALoopIsRebuilt) {
    const std::size_t root = rootNodeOffset(goodIndex);
    const std::uint32_t rootPage = static_cast<std::uint32_t>(root / dbf::mdx::kPageSize);
    const std::uint32_t lastPage = static_cast<std::uint32_t>(goodIndex.size() / dbf::mdx::kPageSize);
    // The root's first child: itself (a loop), past the end, inside the head, the tag header.
    const std::uint32_t header = readU32(goodIndex, dbf::mdx::kFirstSlot + dbf::mdx::kSlotHeaderPage);
    for (std::uint32_t child : {rootPage, lastPage + 2, 2u, header, 0xFFFFFFF0u}) {
        SCOPED_TRACE(child);
        std::string bytes = goodIndex;
        writeU32(bytes, root + dbf::mdx::kNodeSpare + 4, child);
        expectIndexRebuilt(bytes);
    }
    // Every child of the root pointing back at the root.
    std::string looping = goodIndex;
    const std::uint16_t keys = readU16(looping, root + dbf::mdx::kNodeKeyCount);
    const std::uint16_t item = readU16(looping, header * dbf::mdx::kPageSize + dbf::mdx::kTagItemLength);
    for (std::uint16_t k = 0; k <= keys; ++k) writeU32(looping, root + 8 + static_cast<std::size_t>(k) * item, rootPage);
    expectIndexRebuilt(looping);
    // A key count far beyond what a node holds.
    std::string counted = goodIndex;
    writeU16(counted, root + dbf::mdx::kNodeKeyCount, 0xFFFF);
    expectIndexRebuilt(counted);
}

TEST_F(CorruptFiles, IndexOfAnotherTableIsRebuilt) {
    // The same structure with other rows: every key is well formed and wrong for this table.
    ProgramFolder other;
    other.writeUnits(reliability::standardUnits());
    std::vector<std::string> records;
    for (int i = 1; i <= kNames; ++i) records.push_back(reliability::unknownCodeRecord("other", i, 30));
    reliability::ReportingDialogs dialogs;
    {
        TLogFile logFile;
        TKonvika converter(other.root(), logFile);
        converter.SetDialogFactory(&dialogs);
        ASSERT_TRUE(converter.Convert("40", other.writeSource("p.txt", {records}), other.outputPath(), true,
                                      "", other.unitsFolder(), nullptr, nullptr));
    }
    expectIndexRebuilt(testing_support::readFileBytes(other.path("Morvel/TKonvika/kodper.mdx")));
}

TEST_F(CorruptFiles, IndexCutShortIsRebuilt) {
    for (std::size_t size : {std::size_t{0}, std::size_t{100}, dbf::mdx::kHeadSize, goodIndex.size() - 512}) {
        SCOPED_TRACE(size);
        expectIndexRebuilt(goodIndex.substr(0, size));
    }
}

TEST_F(CorruptFiles, CodeTableWithACountBeyondTheFile) {
    std::string bytes = goodTable;
    writeU32(bytes, kDbfRecordCount, readU32(bytes, kDbfRecordCount) + 5);
    expectTableError(kodFile(), bytes);
    writeU32(bytes, kDbfRecordCount, 0xFFFFFFFFu);
    expectTableError(kodFile(), bytes);
}

TEST_F(CorruptFiles, CodeTableWhoseRecordLengthDisagreesWithTheFields) {
    std::string bytes = goodTable;
    for (std::uint16_t length : {std::uint16_t{0}, std::uint16_t{1}, std::uint16_t{112}, std::uint16_t{114}, std::uint16_t{0xFFFF}}) {
        SCOPED_TRACE(length);
        writeU16(bytes, kDbfRecordLength, length);
        expectTableError(kodFile(), bytes);
    }
}

TEST_F(CorruptFiles, CodeTableWithAHeaderLengthBeyondTheFile) {
    std::string bytes = goodTable;
    writeU16(bytes, kDbfHeaderLength, 0xFFFF);
    expectTableError(kodFile(), bytes);
    writeU16(bytes, kDbfHeaderLength, 31);
    expectTableError(kodFile(), bytes);
}

TEST_F(CorruptFiles, CodeTableCutInTheMiddleOfARecord) {
    const std::size_t headerLength = readU16(goodTable, kDbfHeaderLength);
    const std::size_t recordLength = readU16(goodTable, kDbfRecordLength);
    expectTableError(kodFile(), goodTable.substr(0, headerLength + 10 * recordLength + recordLength / 2));
    expectTableError(kodFile(), goodTable.substr(0, headerLength + 1));
}

TEST_F(CorruptFiles, CodeTableShorterThanItsHeaderFlagIsNotExtended) {
    expectTableError(kodFile(), goodTable.substr(0, 20));
    expectTableError(kodFile(), std::string());
}

TEST_F(CorruptFiles, UnitsTableCutInTheMiddleOfARecord) {
    const std::string path = folder.unitsFolder() + "/Ei1.dbf";
    const std::string bytes = testing_support::readFileBytes(path);
    const std::size_t headerLength = readU16(bytes, kDbfHeaderLength);
    const std::size_t recordLength = readU16(bytes, kDbfRecordLength);
    expectTableError(path, bytes.substr(0, headerLength + recordLength + 3));
    std::string counted = bytes;
    writeU32(counted, kDbfRecordCount, 1000);
    expectTableError(path, counted);
}

// A broken template is copied as it is; the copy gives the read error and stays for the user.
TEST_F(CorruptFiles, BrokenTemplateGivesTheReadErrorOfTheOutput) {
    const std::string templatePath = folder.path("Morvel/Shablon/Resurs/cenashab.dbf");
    std::string bytes = testing_support::readFileBytes(templatePath);
    writeU16(bytes, kDbfRecordLength, 7);
    testing_support::writeFileBytes(templatePath, bytes);
    const reliability::ChildOutcome child = reliability::runInChild([&] {
        return std::string("result: ") + (convert(nullptr) ? "1" : "0");
    });
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_EQ(child.output.substr(0, child.output.find('\n')), "result: 0");
    const Lines boxes = reliability::messageBoxes(child.output);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), "Класс WDbfFile|Ошибка при чтении файла: " + u8(folder.outputPath()));
    EXPECT_EQ(testing_support::readFileBytes(folder.outputPath()).size(), bytes.size());
}

}  // namespace
