#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "gvread/ByteSource.h"
#include "gvread/Reader.h"
#include "gvread/SourceFormat.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using gvread::Reader;
using testing_support::TempFolder;
using testing_support::writeFileBytes;

namespace {

struct Table {
    std::string title;
    std::vector<std::string> records;
    bool operator==(const Table&) const = default;
};

int openMemory(Reader& reader, std::string bytes) {
    return reader.open(std::make_unique<gvread::MemorySource>(std::move(bytes)));
}

// Every table of the open file with its records, read the way the converter reads them.
std::vector<Table> readAll(Reader& reader) {
    std::vector<Table> result;
    const GvTableId* ids = reader.tables();
    EXPECT_EQ(reader.lastError(), GV_OK);
    if (ids == nullptr) return result;
    for (int i = 0; i < reader.tableCount(); ++i) {
        const char* title = reader.tableTitle(ids[i]);
        EXPECT_NE(title, nullptr);
        Table table{title != nullptr ? title : "", {}};
        const char* const* records = reader.records(ids[i]);
        EXPECT_EQ(reader.lastError(), GV_OK);
        EXPECT_NE(records, nullptr);
        if (records == nullptr) break;
        for (int r = 0; r < reader.recordCount(); ++r) table.records.push_back(records[r]);
        EXPECT_EQ(records[reader.recordCount()], nullptr);
        result.push_back(table);
    }
    return result;
}

std::vector<Table> readBytes(const std::string& bytes, int expectedCode = GV_OK) {
    Reader reader;
    EXPECT_EQ(openMemory(reader, bytes), expectedCode);
    return expectedCode == GV_OK ? readAll(reader) : std::vector<Table>{};
}

// A source that counts how much it is asked for at once.
class CountingSource final : public gvread::ByteSource {
public:
    explicit CountingSource(std::string bytes, std::size_t* largestRead)
        : inner_(std::move(bytes)), largestRead_(largestRead) {}
    std::uint64_t size() const override { return inner_.size(); }
    bool readAt(std::uint64_t offset, char* buffer, std::size_t length) override {
        if (length > *largestRead_) *largestRead_ = length;
        return inner_.readAt(offset, buffer, length);
    }

private:
    gvread::MemorySource inner_;
    std::size_t* largestRead_;
};

// A source whose bytes cannot be read past `readable`.
class FailingSource final : public gvread::ByteSource {
public:
    FailingSource(std::string bytes, std::uint64_t readable) : inner_(std::move(bytes)), readable_(readable) {}
    std::uint64_t size() const override { return inner_.size(); }
    bool readAt(std::uint64_t offset, char* buffer, std::size_t length) override {
        if (offset + length > readable_) return false;
        return inner_.readAt(offset, buffer, length);
    }

private:
    gvread::MemorySource inner_;
    std::uint64_t readable_;
};

}  // namespace

TEST(GvreadReader, TablesAndRecordsComeInFileOrder) {
    const std::string file =
        "GARVENA 1\n#TABLE First\n4@101-0001@A@m@@1@2\n4@101-0002@B@m@@3@4\nthird\n"
        "#TABLE Empty\n#TABLE Last\nx\ny\n";
    EXPECT_EQ(readBytes(file), (std::vector<Table>{
                                   {"First", {"4@101-0001@A@m@@1@2", "4@101-0002@B@m@@3@4", "third"}},
                                   {"Empty", {}},
                                   {"Last", {"x", "y"}}}));
}

TEST(GvreadReader, RecordsAreKeptExactlyAsWritten) {
    const std::string file = "GARVENA 1\n#TABLE\n  padded  \n\t tab\n\n@@\nmid\rcr\n#TABLEX\n#TABLE\tno\n";
    EXPECT_EQ(readBytes(file),
              (std::vector<Table>{{"", {"  padded  ", "\t tab", "", "@@", "mid\rcr", "#TABLEX", "#TABLE\tno"}}}));
}

TEST(GvreadReader, CrLfFileReadsLikeLfFile) {
    const std::string lf = "GARVENA 1\n#TABLE Т1\nа@б\n\nв\n#TABLE\n#TABLE Т3\nг\n"_w;
    std::string crlf;
    for (char c : lf) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    EXPECT_EQ(readBytes(crlf), readBytes(lf));
    EXPECT_EQ(readBytes(lf).size(), 3u);
}

TEST(GvreadReader, LastLineNeedsNoLineFeed) {
    EXPECT_EQ(readBytes("GARVENA 1\n#TABLE t\nlast"), (std::vector<Table>{{"t", {"last"}}}));
    EXPECT_EQ(readBytes("GARVENA 1\r\n#TABLE t\r\nlast\r"), (std::vector<Table>{{"t", {"last"}}}));
    EXPECT_EQ(readBytes("GARVENA 1\n#TABLE t"), (std::vector<Table>{{"t", {}}}));
    EXPECT_EQ(readBytes("GARVENA 1\n#TABLE t\n"), (std::vector<Table>{{"t", {}}}));
    EXPECT_EQ(readBytes("GARVENA 1\n#TABLE t\n\n"), (std::vector<Table>{{"t", {""}}}));
}

TEST(GvreadReader, TitleIsTheRestOfTheLineAfterOneBlank) {
    EXPECT_EQ(readBytes("GARVENA 1\n#TABLE  two blanks \n")[0].title, " two blanks ");
    EXPECT_EQ(readBytes("GARVENA 1\n#TABLE \n")[0].title, "");
    EXPECT_EQ(readBytes("GARVENA 1\n#TABLE\r\n")[0].title, "");
    EXPECT_EQ(readBytes("GARVENA 1\n#TABLE a@b\r\n")[0].title, "a@b");
}

TEST(GvreadReader, SignatureOnlyIsAFileWithoutTables) {
    for (const char* file : {"GARVENA 1", "GARVENA 1\n", "GARVENA 1\r\n"}) {
        Reader reader;
        ASSERT_EQ(openMemory(reader, file), GV_OK) << file;
        EXPECT_NE(reader.tables(), nullptr);
        EXPECT_EQ(reader.lastError(), GV_OK);
        EXPECT_EQ(reader.tableCount(), 0);
    }
}

struct FormatCase {
    const char* name;
    std::string bytes;
};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << c.name; }

class GvreadFormatError : public ::testing::TestWithParam<FormatCase> {};

TEST_P(GvreadFormatError, IsCodeTwoAndLeavesTheReaderClosed) {
    Reader reader;
    EXPECT_EQ(openMemory(reader, GetParam().bytes), GV_ERROR_FORMAT);
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(reader.tables(), nullptr);
    EXPECT_EQ(reader.tableCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GvreadFormatError,
    ::testing::Values(
        FormatCase{"EmptyFile", ""},
        FormatCase{"OtherVersion", "GARVENA 2\n#TABLE t\n"},
        FormatCase{"SmallLetters", "garvena 1\n"},
        FormatCase{"TrailingBlank", "GARVENA 1 \n"},
        FormatCase{"LeadingBlank", " GARVENA 1\n"},
        FormatCase{"LongerSignature", "GARVENA 10\n"},
        FormatCase{"ByteOrderMark", "\xEF\xBB\xBFGARVENA 1\n"},
        FormatCase{"OnlyLineFeed", "\n"},
        FormatCase{"RecordBeforeFirstTable", "GARVENA 1\n4@1@a\n#TABLE t\n"},
        FormatCase{"EmptyLineBeforeFirstTable", "GARVENA 1\n\n#TABLE t\n"},
        FormatCase{"MarkerWithTabBeforeFirstTable", "GARVENA 1\n#TABLE\tt\n"},
        FormatCase{"NulInRecord", std::string("GARVENA 1\n#TABLE t\na\0b\n", 22)},
        FormatCase{"NulInSignature", std::string("GARVENA\0 1\n", 11)},
        FormatCase{"NulFarIntoTheFile",
                   "GARVENA 1\n#TABLE t\n" + std::string(200000, 'x') + std::string(1, '\0')}),
    [](const auto& formatCase) { return std::string(formatCase.param.name); });

TEST(GvreadReader, LinesAcrossChunkBordersAreJoined) {
    // A table line that starts just before the end of the first chunk and a title longer
    // than a chunk.
    const std::string head = "GARVENA 1\n#TABLE a\n";
    const std::string filler(gvread::kScanChunk - head.size() - 4, 'r');
    const std::string longTitle(gvread::kScanChunk + 100, 't');
    const std::string file = head + filler + "\n#TABLE b\nrecord\n#TABLE " + longTitle + "\nz";
    const auto tables = readBytes(file);
    ASSERT_EQ(tables.size(), 3u);
    EXPECT_EQ(tables[0].records, std::vector<std::string>{filler});
    EXPECT_EQ(tables[1], (Table{"b", {"record"}}));
    EXPECT_EQ(tables[2], (Table{longTitle, {"z"}}));
}

TEST(GvreadReader, CarriageReturnAtAChunkBorderBelongsToTheLine) {
    const std::string head = "GARVENA 1\n#TABLE a\n";
    const std::string record(gvread::kScanChunk - head.size() - 1, 'q');  // CR ends the chunk
    const auto tables = readBytes(head + record + "\r\n#TABLE\r\nlast\r\n");
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0].records, std::vector<std::string>{record});
    EXPECT_EQ(tables[1], (Table{"", {"last"}}));
}

TEST(GvreadReader, OpeningReadsInChunksAndTablesOneAtATime) {
    std::string file = "GARVENA 1\n";
    for (int t = 0; t < 20; ++t) {
        file += "#TABLE " + std::to_string(t) + "\n";
        for (int r = 0; r < 5000; ++r) file += "4@101-" + std::to_string(1000 + r) + "@name@m@@1@2\n";
    }
    ASSERT_GT(file.size(), 10 * gvread::kScanChunk);
    std::size_t largestRead = 0;
    Reader reader;
    ASSERT_EQ(reader.open(std::make_unique<CountingSource>(file, &largestRead)), GV_OK);
    EXPECT_LE(largestRead, gvread::kScanChunk);
    const GvTableId* ids = reader.tables();
    ASSERT_EQ(reader.tableCount(), 20);
    std::size_t tableBytes = file.size() / 20;
    for (int t = 0; t < 20; ++t) {
        ASSERT_NE(reader.records(ids[t]), nullptr);
        ASSERT_EQ(reader.recordCount(), 5000);
        // Only this table is held: its text and its pointers, not the whole file.
        EXPECT_LT(static_cast<std::size_t>(reader.heldBytes()), tableBytes + 5001 * sizeof(char*) + 64);
    }
    EXPECT_LT(largestRead, tableBytes);
}

TEST(GvreadReader, IdentifiersCountUpAndOthersAreOutOfRange) {
    Reader reader;
    ASSERT_EQ(openMemory(reader, "GARVENA 1\n#TABLE a\n1\n#TABLE b\n2\n"), GV_OK);
    const GvTableId* ids = reader.tables();
    ASSERT_EQ(reader.tableCount(), 2);
    EXPECT_EQ(ids[0], Reader::kFirstTableId);
    EXPECT_EQ(ids[1], Reader::kFirstTableId + 1);
    ASSERT_NE(reader.records(ids[0]), nullptr);
    ASSERT_EQ(reader.recordCount(), 1);
    for (GvTableId bad : {GvTableId{0}, GvTableId{1}, Reader::kFirstTableId - 1, Reader::kFirstTableId + 2,
                          GvTableId{0xFFFFFFFFu}}) {
        EXPECT_EQ(reader.records(bad), nullptr) << bad;
        EXPECT_EQ(reader.lastError(), GV_ERROR_RANGE) << bad;
        EXPECT_EQ(reader.recordCount(), 0) << bad;
        EXPECT_EQ(reader.record(0), nullptr);
        EXPECT_EQ(reader.tableTitle(bad), nullptr) << bad;
    }
    // A good identifier after a bad one clears the error.
    ASSERT_NE(reader.records(ids[1]), nullptr);
    EXPECT_EQ(reader.lastError(), GV_OK);
    EXPECT_STREQ(reader.record(0), "2");
    EXPECT_EQ(reader.record(1), nullptr);
    EXPECT_EQ(reader.record(-1), nullptr);
}

TEST(GvreadReader, CallsOutOfOrderGiveCodeThreeOrNothing) {
    Reader reader;
    EXPECT_EQ(reader.close(), GV_ERROR_NOT_OPEN);
    EXPECT_EQ(reader.tables(), nullptr);
    EXPECT_EQ(reader.lastError(), GV_ERROR_NOT_OPEN);
    EXPECT_EQ(reader.tableCount(), 0);
    EXPECT_EQ(reader.records(Reader::kFirstTableId), nullptr);
    EXPECT_EQ(reader.lastError(), GV_ERROR_NOT_OPEN);
    EXPECT_EQ(reader.recordCount(), 0);
    EXPECT_EQ(reader.record(0), nullptr);
    EXPECT_EQ(reader.tableTitle(Reader::kFirstTableId), nullptr);
    EXPECT_EQ(reader.heldBytes(), 0);

    ASSERT_EQ(openMemory(reader, "GARVENA 1\n#TABLE a\n1\n"), GV_OK);
    ASSERT_NE(reader.records(reader.tables()[0]), nullptr);
    EXPECT_GT(reader.heldBytes(), 0);
    EXPECT_EQ(reader.close(), GV_OK);
    EXPECT_EQ(reader.heldBytes(), 0);
    EXPECT_EQ(reader.recordCount(), 0);
    EXPECT_EQ(reader.close(), GV_ERROR_NOT_OPEN);
    EXPECT_EQ(reader.records(Reader::kFirstTableId), nullptr);
    EXPECT_EQ(reader.lastError(), GV_ERROR_NOT_OPEN);
}

TEST(GvreadReader, OpeningAgainReplacesTheFile) {
    Reader reader;
    ASSERT_EQ(openMemory(reader, "GARVENA 1\n#TABLE a\n1\n#TABLE b\n"), GV_OK);
    ASSERT_NE(reader.records(reader.tables()[0]), nullptr);
    ASSERT_EQ(openMemory(reader, "GARVENA 1\n#TABLE c\nx\ny\n"), GV_OK);
    EXPECT_EQ(reader.recordCount(), 0);
    EXPECT_EQ(readAll(reader), (std::vector<Table>{{"c", {"x", "y"}}}));
    // A failed open leaves nothing open.
    EXPECT_EQ(openMemory(reader, "nothing"), GV_ERROR_FORMAT);
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(reader.close(), GV_ERROR_NOT_OPEN);
}

TEST(GvreadReader, ArraysStayValidUntilTheirNextCall) {
    Reader reader;
    ASSERT_EQ(openMemory(reader, "GARVENA 1\n#TABLE a\none\ntwo\n#TABLE b\nthree\n"), GV_OK);
    const GvTableId* ids = reader.tables();
    const char* const* first = reader.records(ids[0]);
    ASSERT_NE(first, nullptr);
    // Calls other than the next gvGetRecords leave the record array alone.
    EXPECT_EQ(reader.tables(), ids);
    reader.tableCount();
    reader.tableTitle(ids[1]);
    reader.record(5);
    reader.lastError();
    EXPECT_STREQ(first[0], "one");
    EXPECT_STREQ(first[1], "two");
    // The table array outlives every gvGetRecords.
    ASSERT_NE(reader.records(ids[1]), nullptr);
    ASSERT_NE(reader.records(ids[0]), nullptr);
    EXPECT_EQ(ids[0], Reader::kFirstTableId);
    EXPECT_EQ(ids[1], Reader::kFirstTableId + 1);
}

TEST(GvreadReader, UnreadableSourceIsCodeOne) {
    const std::string file = "GARVENA 1\n#TABLE a\n" + std::string(100000, 'x') + "\n";
    Reader reader;
    EXPECT_EQ(reader.open(std::make_unique<FailingSource>(file, 1000)), GV_ERROR_OPEN);
    EXPECT_EQ(reader.open(std::unique_ptr<gvread::ByteSource>()), GV_ERROR_OPEN);
    EXPECT_EQ(reader.open(static_cast<const char*>(nullptr)), GV_ERROR_OPEN);
    EXPECT_FALSE(reader.isOpen());
}

TEST(GvreadReader, FilesOnDiskOpenOrGiveCodeOne) {
    TempFolder folder;
    Reader reader;
    EXPECT_EQ(reader.open(folder.file("missing.txt").c_str()), GV_ERROR_OPEN);
    EXPECT_EQ(reader.open(folder.path().c_str()), GV_ERROR_OPEN);  // a folder
    EXPECT_EQ(reader.open(""), GV_ERROR_OPEN);
    writeFileBytes(folder.file("p.txt"), "GARVENA 1\r\n#TABLE Цены\r\n4@101-0001@Бетон@м3@@10,5@12\r\n"_w);
    ASSERT_EQ(reader.open(folder.file("p.txt").c_str()), GV_OK);
    EXPECT_EQ(readAll(reader), (std::vector<Table>{{"Цены"_w, {"4@101-0001@Бетон@м3@@10,5@12"_w}}}));
}

TEST(GvreadReader, FileShortenedAfterOpeningIsCodeOne) {
    TempFolder folder;
    const std::string path = folder.file("p.txt");
    writeFileBytes(path, "GARVENA 1\n#TABLE a\n1\n#TABLE b\n22222\n33333\n");
    Reader reader;
    ASSERT_EQ(reader.open(path.c_str()), GV_OK);
    ASSERT_EQ(::truncate(path.c_str(), 30), 0);
    const GvTableId* ids = reader.tables();
    EXPECT_NE(reader.records(ids[0]), nullptr);
    EXPECT_EQ(reader.records(ids[1]), nullptr);
    EXPECT_EQ(reader.lastError(), GV_ERROR_OPEN);
    EXPECT_EQ(reader.recordCount(), 0);
}

TEST(GvreadReader, FileChangedAfterOpeningIsNotTrusted) {
    TempFolder folder;
    const std::string path = folder.file("p.txt");
    writeFileBytes(path, "GARVENA 1\n#TABLE a\nabc\ndef\n#TABLE b\nghi\n");
    Reader reader;
    ASSERT_EQ(reader.open(path.c_str()), GV_OK);
    const GvTableId* ids = reader.tables();
    // Same size, a NUL in the first table and an extra line end in the second.
    writeFileBytes(path, std::string("GARVENA 1\n#TABLE a\na\0c\ndef\n#TABLE b\ng\ni\n", 40));
    EXPECT_EQ(reader.records(ids[0]), nullptr);
    EXPECT_EQ(reader.lastError(), GV_ERROR_FORMAT);
    EXPECT_EQ(reader.records(ids[1]), nullptr);
    EXPECT_EQ(reader.lastError(), GV_ERROR_OPEN);
}

TEST(GvreadReader, EveryChunkSizeGivesTheSameTables) {
    const std::string file =
        "GARVENA 1\r\n#TABLE one\r\nalpha\r\n\r\n#TABLE\r\n#TABLE\n#TABLEX\r\n#TABLE  t\rx\nrecord\r\rlast\r";
    const std::vector<Table> expected = {{"one", {"alpha", ""}}, {"", {}}, {"", {"#TABLEX"}}, {" t\rx", {"record\r\rlast"}}};
    for (std::size_t chunk = 1; chunk <= file.size() + 1; ++chunk) {
        Reader reader(chunk);
        ASSERT_EQ(openMemory(reader, file), GV_OK) << chunk;
        EXPECT_EQ(readAll(reader), expected) << "chunk " << chunk;
    }
    for (std::size_t chunk : {1u, 2u, 7u, 10u, 11u}) {
        Reader reader(chunk);
        EXPECT_EQ(openMemory(reader, "GARVENA 1X\n"), GV_ERROR_FORMAT) << chunk;
        EXPECT_EQ(openMemory(reader, "GARVENA 1\n#TABLE\r"), GV_OK) << chunk;
        EXPECT_EQ(reader.tableCount(), 1) << chunk;
    }
}
