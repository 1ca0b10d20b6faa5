#include "filelist/Wildcard.h"

#include <gtest/gtest.h>

namespace {

struct WildcardCase {
    const char* label;
    const char* pattern;
    const char* name;
    bool matches;
};

void PrintTo(const WildcardCase& c, std::ostream* os) {
    *os << c.label;
}

class WildcardTable : public testing::TestWithParam<WildcardCase> {};

TEST_P(WildcardTable, Matches) {
    const auto& c = GetParam();
    EXPECT_EQ(orv::MatchesWildcard(c.name, c.pattern), c.matches) << c.pattern << " vs " << c.name;
}

const WildcardCase kCases[] = {
    {"StarDotStarWithoutDot", "*.*", "README", true},
    {"StarDotStarHidden", "*.*", ".profile", true},
    {"StarAlone", "*", "a.b.c", true},
    {"PlainExtension", "*.pptx", "deck.pptx", true},
    {"CaseInsensitive", "*.PPTX", "Deck.PpTx", true},
    {"OtherExtension", "*.pptx", "deck.ppt", false},
    {"ThreeLetterMatchesLonger", "*.ppt", "deck.pptx", true},
    {"ThreeLetterMatchesLongerCase", "*.PPT", "deck.PPTM", true},
    {"ThreeLetterOnlyLastExtension", "*.ppt", "deck.ppt.bak", false},
    {"ThreeLetterNotInStem", "*.ppt", "pptx", false},
    {"FourLetterIsExact", "*.pptx", "deck.pptxx", false},
    {"TwoLetterIsExact", "*.pp", "deck.ppt", false},
    {"LeadingDotAnswer", "*..ppt", "deck.ppt", false},
    {"LeadingDotAnswerDoubleDot", "*..ppt", "deck..ppt", true},
    {"QuestionMarkOneCharacter", "*.pp?", "deck.ppt", true},
    {"QuestionMarkNotEmpty", "*.pp?", "deck.pp", false},
    {"QuestionMarkOneCodePoint", "?.txt", "\xC3\xA9.txt", true},
    {"StarInExtension", "*.p*", "deck.potx", true},
    {"StarInExtensionNoDot", "*.p*", "deckp", false},
    {"DotStarMatchesNameWithoutDot", "deck.*", "deck", true},
    {"DotStarOtherName", "deck.*", "decks", false},
    {"NoBacktrackingBlowUp", "*a*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
    {"NonAsciiExact", "*.\xC3\xA9t\xC3\xA9", "x.\xC3\xA9t\xC3\xA9", true},
    {"InvalidUtf8ComparedAsBytes", "*.\xFF", "x.\xFF", true},
    {"InvalidUtf8NotFoldedIntoOther", "*.\xFF", "x.\xFE", false},
};

INSTANTIATE_TEST_SUITE_P(Wildcard, WildcardTable, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<WildcardCase>& info) { return info.param.label; });

} // namespace
