#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Tcommandlineparser.h"
#include "tests/support/RecordingDesktop.h"

namespace {

std::vector<std::string> paramsOf(const TCommandLineParser& parser) {
    std::vector<std::string> params;
    for (int i = 0; i < parser.GetParamCount(); ++i) {
        std::string p;
        EXPECT_TRUE(parser.GetParamByIdx(i, p));
        params.push_back(p);
    }
    return params;
}

}  // namespace

TEST(CommandLineParser, SplitsAtEverySeparator) {
    struct Case {
        std::string text;
        std::vector<std::string> params;
    } cases[] = {
        {"a?b?c?d?e?", {"a", "b", "c", "d", "e"}},
        {"a?b?c?d?e", {"a", "b", "c", "d"}},
        {"a??c?d?e?", {"a", "", "c", "d", "e"}},
        {"?", {""}},
        {"abc", {}},
        {" a ?\"C:/My Files/x.gv\"?", {" a ", "\"C:/My Files/x.gv\""}},
    };
    for (const auto& c : cases) {
        TCommandLineParser parser;
        EXPECT_TRUE(parser.ParseCommandLine(c.text, '?')) << c.text;
        EXPECT_EQ(paramsOf(parser), c.params) << c.text;
    }
}

TEST(CommandLineParser, EmptyTextOrNulSeparatorKeepsEarlierParameters) {
    TCommandLineParser parser;
    EXPECT_EQ(parser.GetParamCount(), 0);
    EXPECT_FALSE(parser.ParseCommandLine("", '?'));
    EXPECT_TRUE(parser.ParseCommandLine("a?b?", '?'));
    EXPECT_FALSE(parser.ParseCommandLine("", '?'));
    EXPECT_FALSE(parser.ParseCommandLine("x?y?z?", '\0'));
    EXPECT_EQ(paramsOf(parser), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(parser.ParseCommandLine("c?", '?'));
    EXPECT_EQ(paramsOf(parser), (std::vector<std::string>{"c"}));
}

TEST(CommandLineParser, PositionOutsideTheParametersShowsTheMessage) {
    testing_support::RecordingDesktop desktop;
    TCommandLineParser parser;
    parser.ParseCommandLine("a?b?c?d?e?", '?');
    std::string param = "unchanged";
    EXPECT_FALSE(parser.GetParamByIdx(5, param));
    EXPECT_FALSE(parser.GetParamByIdx(-1, param));
    EXPECT_EQ(param, "unchanged");
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[0].caption, "TCommandLineParser");
    EXPECT_EQ(desktop.lastTextUtf8(),
              "GetParamByIdx: Заданный индекс превышает количество параметров!");
    EXPECT_TRUE(parser.GetParamByIdx(4, param));
    EXPECT_EQ(param, "e");
}
