// The command-line tail after the program name, as the wide command line gives it.
#include <gtest/gtest.h>

#include <string>

#include "platform/CommandLine.h"
#include "text/CodePages.h"

namespace {

struct TailCase {
    const wchar_t* commandLine;
    const wchar_t* tail;
};

class Tail : public ::testing::TestWithParam<TailCase> {};

TEST_P(Tail, StartsAfterTheProgramNameAndItsBlanks) {
    EXPECT_EQ(platform::tailAfterProgramName(GetParam().commandLine), GetParam().tail);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, Tail,
    ::testing::Values(
        TailCase{L"konvika.exe MG419?a.txt?", L"MG419?a.txt?"},
        TailCase{L"\"C:\\Program Files\\Morvel\\konvika.exe\"  MG419? x ?", L"MG419? x ?"},
        TailCase{L"konvika.exe\t \tA?\"C:\\Цены 2005\\a.txt\"?", L"A?\"C:\\Цены 2005\\a.txt\"?"},
        TailCase{L"\"C:\\Мои программы\\konvika.exe\"", L""},
        TailCase{L"konvika.exe", L""},
        TailCase{L"konvika.exe   ", L""},
        TailCase{L"", L""},
        // The tail keeps its inner and trailing blanks as they are.
        TailCase{L"k.exe a  b ", L"a  b "}));

TEST(CommandLineTail, ComesInWindows1251) {
    std::string tail;
    std::string problem = "left over";
    ASSERT_TRUE(platform::commandLineTailFrom(
        L"k.exe MG419?C:\\Цены Гарвена\\прайс.txt?C:\\Вывод\\цены.dbf?C:\\Ед 2?C:\\Ед 1?", tail,
        problem));
    EXPECT_EQ(tail, "MG419?C:\\Цены Гарвена\\прайс.txt?C:\\Вывод\\цены.dbf?C:\\Ед 2?C:\\Ед 1?"_w);
    EXPECT_EQ(problem, "");
}

TEST(CommandLineTail, ACharacterWithoutWindows1251FormIsRefusedWithAMessage) {
    std::string tail = "left over";
    std::string problem;
    EXPECT_FALSE(platform::commandLineTailFrom(L"k.exe MG419?C:\\価格\\a.txt?", tail, problem));
    EXPECT_EQ(tail, "");
    EXPECT_EQ(problem,
              "Командная строка содержит символ U+4FA1, которого нет в кодировке Windows-1251."_w);
}

TEST(CommandLineTail, OfThisProcessHasNoProgramNameInIt) {
    std::string tail;
    std::string problem;
    ASSERT_TRUE(platform::commandLineTail(0, nullptr, tail, problem)) << problem;
    EXPECT_EQ(tail.find(".exe"), std::string::npos) << tail;
}

}  // namespace
