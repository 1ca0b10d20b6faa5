#include "cli/CliOptions.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase {
    const char* label;
    std::vector<std::string> args;
    bool usable;
    bool comma = false;
    unsigned jobs = 0;
    std::vector<std::string> extensions = {};
    std::vector<std::string> paths = {};
    bool help = false;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.label;
}

class CliParseTable : public testing::TestWithParam<ParseCase> {};

TEST_P(CliParseTable, Parses) {
    const auto& c = GetParam();
    const auto result = orv::ParseCliArguments(c.args);
    EXPECT_EQ(result.error.empty(), c.usable) << result.error;
    if (!c.usable)
        return;
    EXPECT_EQ(result.options.format == orv::CliFormat::Comma, c.comma);
    EXPECT_EQ(result.options.jobs, c.jobs);
    EXPECT_EQ(result.options.extensions, c.extensions);
    EXPECT_EQ(result.options.paths, c.paths);
    EXPECT_EQ(result.options.help, c.help);
}

const ParseCase kCases[] = {
    {"OnePath", {"a.pptx"}, true, false, 0, {}, {"a.pptx"}},
    {"PathsKeepTheirOrder", {"b", "a", "b"}, true, false, 0, {}, {"b", "a", "b"}},
    {"Comma", {"--comma", "a"}, true, true, 0, {}, {"a"}},
    {"JobsSeparate", {"-j", "4", "a"}, true, false, 4, {}, {"a"}},
    {"JobsGlued", {"-j8", "a"}, true, false, 8, {}, {"a"}},
    {"JobsLong", {"--jobs=3", "a"}, true, false, 3, {}, {"a"}},
    {"JobsAtLimit", {"-j", "64", "a"}, true, false, 64, {}, {"a"}},
    {"ExtensionsCollect", {"--ext", "ppt", "--ext=txt", "d"}, true, false, 0, {"ppt", "txt"}, {"d"}},
    {"OptionsAfterPaths", {"a", "--comma"}, true, true, 0, {}, {"a"}},
    {"DoubleDashEndsOptions", {"--", "--comma", "-j"}, true, false, 0, {}, {"--comma", "-j"}},
    {"SingleDashIsAPath", {"-"}, true, false, 0, {}, {"-"}},
    {"HelpNeedsNoPath", {"--help"}, true, false, 0, {}, {}, true},
    {"ShortHelp", {"-h", "a"}, true, false, 0, {}, {"a"}, true},
    {"NoPath", {}, false},
    {"OnlyOptions", {"--comma", "-j", "2"}, false},
    {"UnknownOption", {"--fast", "a"}, false},
    {"UnknownShortOption", {"-x", "a"}, false},
    {"ExtPrefixIsNoOption", {"--extension=ppt", "a"}, false},
    {"JobsMissing", {"a", "-j"}, false},
    {"JobsZero", {"-j", "0", "a"}, false},
    {"JobsNegative", {"-j", "-2", "a"}, false},
    {"JobsWord", {"-j", "four", "a"}, false},
    {"JobsTrailingGarbage", {"-j4x", "a"}, false},
    {"JobsTooMany", {"-j", "65", "a"}, false},
    {"JobsHuge", {"-j", "99999999999999999999", "a"}, false},
    {"ExtMissing", {"a", "--ext"}, false},
    {"ExtEmpty", {"--ext=", "a"}, false},
    {"FormatComma", {"--format", "comma", "a"}, true, true, 0, {}, {"a"}},
    {"FormatGlued", {"--format=csv", "a"}, true, false, 0, {}, {"a"}},
    {"FormatUnknown", {"--format", "xml", "a"}, false},
    {"FormatMissing", {"a", "--format"}, false},
    {"FilesFromNeedsNoPath", {"--files-from", "list", "-0"}, true},
    {"FilesFromEmpty", {"--files-from=", "a"}, false},
    {"NulWithoutList", {"-0", "a"}, false},
    {"MergeNeedsShards", {"--merge"}, false},
    {"MergeTakesNoList", {"--merge", "--files-from", "l", "a"}, false},
};

TEST(CliParse, NewOptionsLandInTheirFields) {
    const std::vector<std::string> args = {"--all-text", "--format", "jsonl",          "--files-from",
                                           "-",          "-0",       "--files-from=l", "p"};
    const auto parsed = orv::ParseCliArguments(args);
    ASSERT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.allText);
    EXPECT_EQ(parsed.options.format, orv::CliFormat::Jsonl);
    EXPECT_EQ(parsed.options.filesFrom, (std::vector<std::string>{"-", "l"}));
    EXPECT_TRUE(parsed.options.nulSeparated);
    EXPECT_FALSE(parsed.options.merge);
    EXPECT_TRUE(orv::ParseCliArguments(std::vector<std::string>{"--merge", "s.jsonl"}).options.merge);
}

INSTANTIATE_TEST_SUITE_P(Cli, CliParseTable, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ParseCase>& info) { return info.param.label; });

} // namespace
