#include "shell/WindowCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace orv;

TEST(WindowCommandLine, HelpAndVersionAreAnsweredAndEverythingElseIsLeftToTheWindow) {
    struct Row {
        std::vector<std::string> args;
        std::optional<std::string> answer;
    };
    const std::vector<Row> rows{
        {{}, std::nullopt},
        {{"talk.pptx", "/home/u/Decks"}, std::nullopt},
        {{"--help"}, WindowUsage()},
        {{"-h"}, WindowUsage()},
        {{"deck.pptx", "--version"}, WindowVersion()},
        {{"--version", "--help"}, WindowVersion()}, // the first one asked
        {{"--", "--help"}, std::nullopt},           // a file named so
        {{"-help", "--helper", "-v"}, std::nullopt},
    };
    for (const Row& row : rows) {
        std::string trace;
        for (const auto& arg : row.args)
            trace += arg + " ";
        SCOPED_TRACE(trace);
        EXPECT_EQ(WindowCommandLineAnswer(row.args), row.answer);
    }
    EXPECT_TRUE(WindowVersion().starts_with("orvandel "));
    for (const char* told :
         {"[PATH]", "Quillmoor.ini", "[Orvandel]", "orvandel-cli", "--version", "results.sqlite"})
        EXPECT_NE(WindowUsage().find(told), std::string::npos) << told;
}
