#include <gtest/gtest.h>

#include <string>

#include "app/ApplicationTitle.h"
#include "app/CommandLineTail.h"
#include "app/ExceptionReport.h"
#include "text/CodePages.h"

TEST(ExceptionReport, FullStopAfterALastCharacterThatSortsAfterThePoint) {
    struct Case {
        std::string message;
        std::string report;
    } cases[] = {
        {"", ""},
        {"TSPDLL: error 126", "TSPDLL: error 126."},
        {"ends with a point.", "ends with a point."},
        {"exclamation!", "exclamation!"},
        {"comma,", "comma,"},      // ',' sorts before '.'
        {"slash/", "slash/."},     // '/' sorts right after '.'
        {"dash-", "dash-"},
        {"closing)", "closing)"},
        {"letter z", "letter z."},
        {"Ошибка"_w, "Ошибка."_w},  // Windows-1251 letters sort after every ASCII sign
        {"?", "?."},
        {std::string("x") + char(0x7F), std::string("x") + char(0x7F) + "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(app::ExceptionReportText(c.message), c.report);
    }
}

TEST(ApplicationTitle, ProgramTitleText) {
    EXPECT_EQ(text::cp1251ToUtf8(app::ProgramTitle()),
              "Цены Гарвена в ОРН (Версия 1.0 от 20-10-2005)");
}

TEST(ApplicationTitle, BaseNameOfTheProgramFile) {
    EXPECT_EQ(app::ProgramBaseName("/opt/konvika/konvika"), "konvika");
    EXPECT_EQ(app::ProgramBaseName("C:\\Morvel\\Konvika.exe"), "Konvika");
    EXPECT_EQ(app::ProgramBaseName("konvika"), "konvika");
    EXPECT_EQ(app::ProgramBaseName("/x/my.prog.bin"), "my.prog");
    EXPECT_EQ(app::ProgramBaseName("/x/.hidden"), ".hidden");
}

TEST(ApplicationTitle, TitleAndHintAreKept) {
    app::SetApplicationTitle("first");
    app::SetApplicationHint("hint");
    EXPECT_EQ(app::ApplicationTitle(), "first");
    EXPECT_EQ(app::ApplicationHint(), "hint");
    app::SetApplicationTitle("second");
    EXPECT_EQ(app::ApplicationTitle(), "second");
}

// On Windows the tail comes from the wide command line, not from argv (tested with the
// platform layer).
#ifndef _WIN32
TEST(CommandLineTail, ArgumentsAfterTheProgramPath) {
    const char* none[] = {"/opt/konvika"};
    EXPECT_EQ(app::CommandLineTail(1, none), "");
    const char* one[] = {"/opt/konvika", "MG419?a b?c?d?e?"};
    EXPECT_EQ(app::CommandLineTail(2, one), "MG419?a b?c?d?e?");
    // Split by a shell at blanks: joined again with one blank each.
    const char* split[] = {"/opt/konvika", "MG419?/my", "prices?c?d?e?"};
    EXPECT_EQ(app::CommandLineTail(3, split), "MG419?/my prices?c?d?e?");
    // Bytes pass unchanged (a Windows-1251 path stays as given).
    const std::string cyrillic = "Цены"_w + "?";
    const char* bytes[] = {"/opt/konvika", cyrillic.c_str()};
    EXPECT_EQ(app::CommandLineTail(2, bytes), cyrillic);
}
#endif
