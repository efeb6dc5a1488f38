#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "gvread/ByteSource.h"
#include "gvread/RecordArray.h"
#include "reader/GvreadApi.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
// A huge allocation must fail as in a normal build (std::bad_alloc), not stop the tests.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif
#endif

namespace {

// Claims to be far larger than any memory; never asked for bytes in these tests.
class HugeSource final : public gvread::ByteSource {
public:
    std::uint64_t size() const override { return std::uint64_t{1} << 62; }
    bool readAt(std::uint64_t, char*, std::size_t) override { return false; }
};

}  // namespace

TEST(GvreadRecordArray, TableLargerThanMemoryIsCodeFour) {
    HugeSource source;
    gvread::RecordArray records;
    gvread::TableEntry table;
    table.firstRecord = 10;
    table.end = (std::uint64_t{1} << 62) - 1;
    table.recordCount = 3;
    EXPECT_EQ(records.load(source, table), GV_ERROR_MEMORY);
    EXPECT_EQ(records.count(), 0);
    EXPECT_EQ(records.heldBytes(), 0u);
}

TEST(GvreadRecordArray, MoreRecordsThanPointersCanHoldIsCodeFour) {
    HugeSource source;
    gvread::RecordArray records;
    gvread::TableEntry table;
    table.firstRecord = 0;
    table.end = 100;
    table.recordCount = std::uint64_t{1} << 61;
    EXPECT_EQ(records.load(source, table), GV_ERROR_MEMORY);
    EXPECT_EQ(records.count(), 0);
}

TEST(GvreadRecordArray, FailedLoadReleasesThePreviousTable) {
    gvread::MemorySource source("a\nb\n");
    gvread::RecordArray records;
    gvread::TableEntry table;
    table.end = 4;
    table.recordCount = 2;
    ASSERT_EQ(records.load(source, table), GV_OK);
    EXPECT_EQ(records.count(), 2);
    EXPECT_STREQ(records.records()[1], "b");
    table.end = 10;  // beyond the source
    EXPECT_EQ(records.load(source, table), GV_ERROR_OPEN);
    EXPECT_EQ(records.count(), 0);
    EXPECT_EQ(records.heldBytes(), 0u);
}

TEST(GvreadRecordArray, CountDifferentFromTheIndexIsNotTrusted) {
    gvread::MemorySource source("a\nb\nc\n");
    gvread::RecordArray records;
    gvread::TableEntry table;
    table.end = 6;
    table.recordCount = 2;
    EXPECT_EQ(records.load(source, table), GV_ERROR_OPEN);
    table.recordCount = 4;
    EXPECT_EQ(records.load(source, table), GV_ERROR_OPEN);
    table.recordCount = 3;
    EXPECT_EQ(records.load(source, table), GV_OK);
}
