// The development reader library as the converter meets it: loaded through the binding from
// a program folder (named in Cyrillic, with blanks), called through its C entry points in the
// converter's order. On 32-bit Windows the same contract holds for the library built __stdcall,
// exported under plain and under decorated names: the binding calls either convention.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/SharedLibrary.h"
#include "reader/Tspdll.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using testing_support::TempFolder;
using testing_support::writeFileBytes;

namespace {

// Name and file of each build of the development library: pairs of texts.
const char* const kVariants[] = {GVREAD_VARIANTS};
constexpr std::size_t kVariantCount = sizeof kVariants / sizeof kVariants[0] / 2;

class GvreadLibrary : public ::testing::TestWithParam<std::size_t> {
protected:
    GvreadLibrary() {
        const std::string library = TSPDLL::LibraryPathIn(folder_);
        EXPECT_TRUE(platform::createDirectories(platform::folderOf(library)));
        EXPECT_TRUE(platform::copyFile(kVariants[2 * GetParam() + 1], library));
        binding_ = std::make_unique<TSPDLL>(folder_);
    }

    std::string writeSource(const std::string& name, const std::string& bytes) {
        writeFileBytes(data_.file(name), bytes);
        return data_.file(name);
    }

    TempFolder programRoot_;
    const std::string folder_ = platform::joinPath(programRoot_.path(), "Программа Морвел 1.0"_w);
    TempFolder data_;
    std::unique_ptr<TSPDLL> binding_;
};

}  // namespace

TEST_P(GvreadLibrary, ConverterCallingOrderOverTablesOfThreeNoneAndTwo) {
    TSPDLL& gv = *binding_;
    const std::string path = writeSource(
        "p.txt",
        "GARVENA 1\r\n#TABLE Сборник 1\r\n4@101-0001-1@Бетон@м3@@100@120\r\n"
        "4@101-0001-2@Раствор@м3@@90@95\r\n3@101-0002@Щебень@т@@50@60\r\n"
        "#TABLE Пустая\r\n#TABLE Сборник 3\r\n1@201-0001@Рабочий@чел.-ч@@1@2\r\n"
        "1@201-0002@Машинист@чел.-ч@@3@4\r\n"_w);
    ASSERT_EQ(gv.gvOpen(path.c_str()), GV_OK);
    const GvTableId* tables = gv.gvGetTables();
    ASSERT_EQ(gv.gvGetError(), GV_OK);
    ASSERT_EQ(gv.gvGetCountT(), 3);
    std::vector<std::vector<std::string>> seen;
    for (int i = 0; i < gv.gvGetCountT(); ++i) {
        const char* const* records = gv.gvGetRecords(tables[i]);
        ASSERT_EQ(gv.gvGetError(), GV_OK);
        std::vector<std::string> texts;
        for (int r = 0; r < gv.gvGetCountR(); ++r) texts.push_back(records[r]);
        seen.push_back(texts);
    }
    EXPECT_EQ(seen[0], (std::vector<std::string>{"4@101-0001-1@Бетон@м3@@100@120"_w,
                                                 "4@101-0001-2@Раствор@м3@@90@95"_w,
                                                 "3@101-0002@Щебень@т@@50@60"_w}));
    EXPECT_TRUE(seen[1].empty());
    EXPECT_EQ(seen[2], (std::vector<std::string>{"1@201-0001@Рабочий@чел.-ч@@1@2"_w,
                                                 "1@201-0002@Машинист@чел.-ч@@3@4"_w}));
    EXPECT_EQ(gv.gvClose(), GV_OK);
}

TEST_P(GvreadLibrary, EveryErrorCodeThroughTheEntryPoints) {
    TSPDLL& gv = *binding_;
    // 3: out of order.
    EXPECT_EQ(gv.gvClose(), GV_ERROR_NOT_OPEN);
    EXPECT_EQ(gv.gvGetTables(), nullptr);
    EXPECT_EQ(gv.gvGetError(), GV_ERROR_NOT_OPEN);
    EXPECT_EQ(gv.gvGetCountT(), 0);
    EXPECT_EQ(gv.gvGetRecords(1), nullptr);
    EXPECT_EQ(gv.gvGetError(), GV_ERROR_NOT_OPEN);
    EXPECT_EQ(gv.gvGetCountR(), 0);
    // 1: cannot be opened.
    EXPECT_EQ(gv.gvOpen(data_.file("missing.txt").c_str()), GV_ERROR_OPEN);
    EXPECT_EQ(gv.gvOpen(nullptr), GV_ERROR_OPEN);
    EXPECT_EQ(gv.gvOpen(data_.path().c_str()), GV_ERROR_OPEN);
    // 2: not a source price file.
    EXPECT_EQ(gv.gvOpen(writeSource("bad.txt", "PRICES\n#TABLE a\n").c_str()), GV_ERROR_FORMAT);
    EXPECT_EQ(gv.gvGetTables(), nullptr);
    EXPECT_EQ(gv.gvGetError(), GV_ERROR_NOT_OPEN);
    // 5: an identifier that is not one of the file's.
    ASSERT_EQ(gv.gvOpen(writeSource("ok.txt", "GARVENA 1\n#TABLE a\nx\n").c_str()), GV_OK);
    const GvTableId* tables = gv.gvGetTables();
    EXPECT_EQ(gv.gvGetRecords(tables[0] + 1), nullptr);
    EXPECT_EQ(gv.gvGetError(), GV_ERROR_RANGE);
    EXPECT_EQ(gv.gvGetCountR(), 0);
    EXPECT_EQ(gv.gvGetRecords(0), nullptr);
    EXPECT_EQ(gv.gvGetError(), GV_ERROR_RANGE);
    // gvGetTables clears the error of an earlier gvGetRecords.
    EXPECT_EQ(gv.gvGetTables(), tables);
    EXPECT_EQ(gv.gvGetError(), GV_OK);
    EXPECT_EQ(gv.gvClose(), GV_OK);
    EXPECT_EQ(gv.gvClose(), GV_ERROR_NOT_OPEN);
}

TEST_P(GvreadLibrary, EntryPointsTheConverterNeverCalls) {
    TSPDLL& gv = *binding_;
    EXPECT_EQ(std::string(gv.gvGetTech()),
              "gvread 1.0: development reader of GARVENA 1 source price files");
    EXPECT_EQ(gv.gvSizeBuffer(), 0);
    ASSERT_EQ(gv.gvOpen(writeSource("ok.txt", "GARVENA 1\n#TABLE Первая\nab\ncd\n#TABLE\n"_w).c_str()), GV_OK);
    const GvTableId* tables = gv.gvGetTables();
    EXPECT_EQ(std::string(gv.gvGetTable(tables[0])), "Первая"_w);
    EXPECT_EQ(std::string(gv.gvGetTable(tables[1])), "");
    EXPECT_EQ(gv.gvGetTable(tables[1] + 1), nullptr);
    EXPECT_EQ(gv.gvGetRecord(0), nullptr);
    ASSERT_NE(gv.gvGetRecords(tables[0]), nullptr);
    EXPECT_STREQ(gv.gvGetRecord(1), "cd");
    EXPECT_EQ(gv.gvGetRecord(2), nullptr);
    // Texts "ab" and "cd" with their zero bytes and three pointers.
    EXPECT_GE(gv.gvSizeBuffer(), static_cast<int>(6 + 3 * sizeof(char*)));
    const GvTableId first = tables[0];  // the array goes with the file
    EXPECT_EQ(gv.gvClose(), GV_OK);
    EXPECT_EQ(gv.gvSizeBuffer(), 0);
    EXPECT_EQ(gv.gvGetTable(first), nullptr);
}

TEST_P(GvreadLibrary, FreedLibraryForgetsItsOpenFile) {
    ASSERT_EQ(binding_->gvOpen(writeSource("ok.txt", "GARVENA 1\n#TABLE a\n").c_str()), GV_OK);
    ASSERT_EQ(binding_->gvGetCountT(), 1);
    binding_.reset();
    binding_ = std::make_unique<TSPDLL>(folder_);
    EXPECT_EQ(binding_->gvGetCountT(), 0);
    EXPECT_EQ(binding_->gvClose(), GV_ERROR_NOT_OPEN);
}

INSTANTIATE_TEST_SUITE_P(Builds, GvreadLibrary, ::testing::Range<std::size_t>(0, kVariantCount),
                         [](const auto& build) { return std::string(kVariants[2 * build.param]); });

TEST(GvreadBuilds, DecoratedStdcallBuildHasNoPlainNames) {
    // The binding found its entry points under the decorated names alone.
    for (std::size_t i = 0; i < kVariantCount; ++i) {
        if (std::string(kVariants[2 * i]) != "stdcall_decorated") continue;
        platform::SharedLibrary library;
        int code = 0;
        std::string text;
        ASSERT_TRUE(library.load(kVariants[2 * i + 1], code, text)) << text;
        EXPECT_EQ(library.symbol("gvOpen"), nullptr);
        EXPECT_NE(library.symbol("_gvOpen@4"), nullptr);
        EXPECT_NE(library.symbol("_gvGetCountT@0"), nullptr);
        return;
    }
    if (sizeof(void*) == 4 && platform::kPathSeparator == '\\') FAIL() << "no decorated build";
}
