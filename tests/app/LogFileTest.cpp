#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/Tlogfile.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/TempFolder.h"
#include "text/CodePages.h"

using testing_support::readFileBytes;

namespace {

class FixedClock final : public LogClock {
public:
    explicit FixedClock(LogTime t) : t_(t) {}
    LogTime now() const override { return t_; }

private:
    LogTime t_;
};

void useRussianStamp(TLogFile& log, LogTime t) {
    log.SetClock(std::make_shared<FixedClock>(t));
    log.SetTimeFormats({"%d.%m.%Y", "%H:%M:%S"});
}

const LogTime kOctober20{2005, 10, 20, 14, 3, 27, 0};

}  // namespace

TEST(LogFile, EntryIsStampDashMessageAndOneCarriageReturn) {
    testing_support::TempFolder folder;
    TLogFile log;
    useRussianStamp(log, kOctober20);
    ASSERT_TRUE(log.Open(folder.file("k.log"), "w+"));
    EXPECT_TRUE(log.WriteLine("ABC"));
    EXPECT_TRUE(log.WriteLine("Таблица обработана."_w));
    EXPECT_TRUE(log.Close());
    EXPECT_EQ(readFileBytes(folder.file("k.log")),
              "20.10.2005 14:03:27 - ABC\r20.10.2005 14:03:27 - " + "Таблица обработана."_w + "\r");
}

TEST(LogFile, LineFeedInsideAMessageIsStoredAsCrLf) {
    testing_support::TempFolder folder;
    TLogFile log;
    useRussianStamp(log, kOctober20);
    ASSERT_TRUE(log.Open(folder.file("k.log"), "w+"));
    EXPECT_TRUE(log.WriteLine("a\n b"));
    log.Close();
    EXPECT_EQ(readFileBytes(folder.file("k.log")), "20.10.2005 14:03:27 - a\r\n b\r");
}

TEST(LogFile, BinaryModeWritesLineFeedsUnchanged) {
    testing_support::TempFolder folder;
    TLogFile log;
    useRussianStamp(log, kOctober20);
    ASSERT_TRUE(log.Open(folder.file("k.log"), "wb"));
    log.WriteLine("a\nb");
    log.Close();
    EXPECT_EQ(readFileBytes(folder.file("k.log")), "20.10.2005 14:03:27 - a\nb\r");
}

TEST(LogFile, MidnightToTheMillisecondWritesTheDateOnly) {
    testing_support::TempFolder folder;
    TLogFile log;
    useRussianStamp(log, {2005, 10, 20, 0, 0, 0, 0});
    EXPECT_EQ(log.TimeStamp(), "20.10.2005");
    useRussianStamp(log, {2005, 10, 20, 0, 0, 0, 1});
    EXPECT_EQ(log.TimeStamp(), "20.10.2005 00:00:00");
}

TEST(LogFile, EveryByteOfAMessageIsWrittenUnchanged) {
    testing_support::TempFolder folder;
    TLogFile log;
    useRussianStamp(log, kOctober20);
    std::string all;
    for (int b = 1; b < 256; ++b) {
        if (b != '\n') all += static_cast<char>(b);
    }
    ASSERT_TRUE(log.Open(folder.file("k.log"), "w+"));
    log.WriteLine(all);
    log.Close();
    EXPECT_EQ(readFileBytes(folder.file("k.log")), "20.10.2005 14:03:27 - " + all + "\r");
}

TEST(LogFile, OpenInMissingFolderShowsTheMessage) {
    testing_support::RecordingDesktop desktop;
    testing_support::TempFolder folder;
    TLogFile log;
    const std::string path = folder.file("missing/k.log");
    EXPECT_FALSE(log.Open(path, "w+"));
    EXPECT_FALSE(log.IsOpen());
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].caption, "TLogFile");
    EXPECT_EQ(desktop.lastTextUtf8(), "TLogFile: Не удалось открыть файл протокола " + path + "!");
}

TEST(LogFile, CloseTwiceSucceedsQuietly) {
    testing_support::RecordingDesktop desktop;
    testing_support::TempFolder folder;
    TLogFile log;
    ASSERT_TRUE(log.Open(folder.file("k.log"), "w+"));
    EXPECT_TRUE(log.Close());
    EXPECT_TRUE(log.Close());
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(LogFile, OpeningWithWPlusEmptiesAnExistingLog) {
    testing_support::TempFolder folder;
    testing_support::writeFileBytes(folder.file("k.log"), "old contents");
    TLogFile log;
    ASSERT_TRUE(log.Open(folder.file("k.log"), "w+"));
    log.Close();
    EXPECT_EQ(readFileBytes(folder.file("k.log")), "");
}

TEST(LogFile, ReopeningClosesTheFirstStream) {
    testing_support::TempFolder folder;
    TLogFile log;
    useRussianStamp(log, kOctober20);
    ASSERT_TRUE(log.Open(folder.file("a.log"), "w+"));
    log.WriteLine("one");
    ASSERT_TRUE(log.Open(folder.file("b.log"), "w+"));
    log.WriteLine("two");
    log.Close();
    EXPECT_EQ(readFileBytes(folder.file("a.log")), "20.10.2005 14:03:27 - one\r");
    EXPECT_EQ(readFileBytes(folder.file("b.log")), "20.10.2005 14:03:27 - two\r");
}

TEST(LogFile, WriteFailureOnAFullDeviceShowsTheMessage) {
    testing_support::RecordingDesktop desktop;
    TLogFile log;
    ASSERT_TRUE(log.Open("/dev/full", "w+"));
    EXPECT_FALSE(log.WriteLine("x"));
    EXPECT_EQ(desktop.lastTextUtf8(), "Ошибка при записи в файл протокола /dev/full!");
    log.Close();
}

TEST(LogFile, WriteWithoutOpenFails) {
    testing_support::RecordingDesktop desktop;
    TLogFile log;
    EXPECT_FALSE(log.WriteLine("x"));
}
