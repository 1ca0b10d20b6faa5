#include "filelist/NormalizePath.h"

#include <gtest/gtest.h>

using orv::NormalizePath;

struct NormalizeCase {
    const char* name;
    const char* input;
    const char* expected;
};

class NormalizePathCases : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizePathCases, Collapses) {
    EXPECT_EQ(NormalizePath(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, NormalizePathCases,
    ::testing::Values(
        NormalizeCase{"BackslashPairsAreOrdinaryCharacters", "/d/a\\\\b.pptx", "/d/a\\\\b.pptx"},
        NormalizeCase{"LeadingBackslashesStay", "\\\\server\\share", "\\\\server\\share"},
        NormalizeCase{"BackslashBesideSlashes", "/d\\//x\\", "/d\\/x\\"},
        NormalizeCase{"OneLeadingBackslashStays", "\\x\\\\y", "\\x\\\\y"},
        NormalizeCase{"ThreeSlashesBecomeTwo", "/a///b", "/a//b"}, NormalizeCase{"Empty", "", ""},
        NormalizeCase{"RootScanGivesSingleSlash", "//name", "/name"},
        NormalizeCase{"DoubledSlashInside", "/home/u//deck.pptx", "/home/u/deck.pptx"},
        NormalizeCase{"FourSlashesOnePass", "/a////b", "/a//b"},
        NormalizeCase{"TrailingSlashKept", "/home/u/", "/home/u/"},
        NormalizeCase{"NonAsciiUntouched", "/tmp//Präsentation ü.pptx", "/tmp/Präsentation ü.pptx"}),
    [](const auto& info) { return std::string(info.param.name); });
