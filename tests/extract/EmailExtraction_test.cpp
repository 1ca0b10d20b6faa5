#include "extract/EmailExtraction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace orv;

namespace {

struct Harvest {
    std::vector<std::string> rows;
    int pumps = 0;
};

Harvest harvest(std::string_view text, SeenEmails& seen) {
    Harvest out;
    HarvestCallbacks callbacks{[&] { ++out.pumps; },
                               [&](std::string_view row) { out.rows.emplace_back(row); }};
    HarvestEmailsFromText(text, seen, callbacks);
    return out;
}

Harvest harvest(std::string_view text) {
    SeenEmails seen;
    return harvest(text, seen);
}

using Rows = std::vector<std::string>;

struct HarvestCase {
    const char* name;
    std::string text;
    Rows rows;
};

void PrintTo(const HarvestCase& row, std::ostream* out) {
    *out << row.name;
}

auto caseName = [](const auto& info) { return std::string(info.param.name); };

} // namespace

class HarvestCases : public ::testing::TestWithParam<HarvestCase> {};

TEST_P(HarvestCases, FindsExactlyTheseRows) {
    EXPECT_EQ(harvest(GetParam().text).rows, GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    FollowersAndEnclosers, HarvestCases,
    ::testing::Values(HarvestCase{"Comma", "write a@b.org, soon", {"a@b.org"}},
                      HarvestCase{"Semicolon", "a@b.org;", {"a@b.org"}},
                      HarvestCase{"Colon", "a@b.org: here", {"a@b.org"}},
                      HarvestCase{"ClosingParenthesis", "(see a@b.org)", {"a@b.org"}},
                      HarvestCase{"QuestionMark", "a@b.org?", {"a@b.org"}},
                      HarvestCase{"AngleBrackets", "Ann <ann@x.com>", {"ann@x.com"}},
                      HarvestCase{"SquareBrackets", "[ann@x.com]", {"ann@x.com"}},
                      HarvestCase{"StraightQuotes", "\"ann@x.com\" 'bo@x.com'", {"ann@x.com", "bo@x.com"}},
                      HarvestCase{"SchemePrefix", "mailto:ann@x.com", {"ann@x.com"}},
                      HarvestCase{"EveryPunctuationAround", "!#$%&*/=^`{|}~\\ann@x.com\a\v", {"ann@x.com"}}),
    caseName);

INSTANTIATE_TEST_SUITE_P(RejectedWhole, HarvestCases,
                         ::testing::Values(HarvestCase{"SentenceFinalFullStop", "Mail ann@x.com. Thanks", {}},
                                           HarvestCase{"TypographicQuotes",
                                                       "\xE2\x80\x9C"
                                                       "ann@x.com"
                                                       "\xE2\x80\x9D",
                                                       {}},
                                           HarvestCase{"TypographicDashBefore",
                                                       "\xE2\x80\x93"
                                                       "ann@x.com",
                                                       {}},
                                           HarvestCase{"LineFeedAfter", "ann@x.com\nnext line", {}},
                                           HarvestCase{"LineFeedBefore", "first\nann@x.com", {}},
                                           HarvestCase{"PlusInLocalPart", "ann+tag@x.com", {}},
                                           HarvestCase{"BracketedNumericHost", "ann@[10.0.0.1]", {}},
                                           HarvestCase{"NonAsciiLocal", "j\xC3\xBCrgen@x.de", {}},
                                           HarvestCase{"NonAsciiDomain", "ann@m\xC3\xBCnchen.de", {}},
                                           HarvestCase{"MalformedUtf8",
                                                       "ann@x.com\xFF \xC2@x.com \xA0"
                                                       "a@x.com",
                                                       {}},
                                           HarvestCase{"NoAt", "nothing to see. here", {}},
                                           HarvestCase{"NoDot", "ann@localhost", {}}),
                         caseName);

INSTANTIATE_TEST_SUITE_P(
    Separators, HarvestCases,
    ::testing::Values(HarvestCase{"JoinedBySolidus", "a@x.com/b@y.org", {"a@x.com", "b@y.org"}},
                      HarvestCase{"JoinedBySemicolon", "a@x.com;b@y.org", {"a@x.com", "b@y.org"}},
                      HarvestCase{"JoinedByComma", "a@x.com,b@y.org", {"a@x.com", "b@y.org"}},
                      HarvestCase{"VerticalTab", "a@x.com\vb@y.org", {"a@x.com", "b@y.org"}},
                      HarvestCase{"CarriageReturn", "a@x.com\rb@y.org", {"a@x.com", "b@y.org"}},
                      HarvestCase{"Tab", "a@x.com\tb@y.org", {"a@x.com", "b@y.org"}},
                      HarvestCase{"NoBreakSpace",
                                  "a@x.com\xC2\xA0"
                                  "b@y.org",
                                  {"a@x.com", "b@y.org"}},
                      HarvestCase{"NoBreakSpaceAfterMalformedLead",
                                  "\xE2\xC2\xA0"
                                  "a@x.com",
                                  {"a@x.com"}},
                      HarvestCase{"TwoAtInOneToken", "a@b@x.com c@y.org", {"c@y.org"}}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    LettersAndDuplicates, HarvestCases,
    ::testing::Values(HarvestCase{"FirstFormWins", "Ann@X.com ann@x.COM ANN@x.com", {"Ann@X.com"}},
                      HarvestCase{"SameTwice", "a@x.com a@x.com", {"a@x.com"}},
                      HarvestCase{"CaseKeptInRow", "John.Smith@Example.ORG", {"John.Smith@Example.ORG"}}),
    caseName);

struct TokenCase {
    const char* name;
    const char* token;
    bool valid;
};

void PrintTo(const TokenCase& row, std::ostream* out) {
    *out << row.name;
}

class PatternCases : public ::testing::TestWithParam<TokenCase> {};

TEST_P(PatternCases, MatchesWholeToken) {
    EXPECT_EQ(IsValidEmail(GetParam().token), GetParam().valid) << GetParam().token;
}

INSTANTIATE_TEST_SUITE_P(
    LocalPart, PatternCases,
    ::testing::Values(TokenCase{"Plain", "ann@x.com", true}, TokenCase{"StartsWithDot", ".ann@x.com", false},
                      TokenCase{"StartsWithHyphen", "-ann@x.com", true},
                      TokenCase{"StartsWithUnderscore", "_ann@x.com", true},
                      TokenCase{"DotsInside", "a..n.@x.com", true}, TokenCase{"Empty", "@x.com", false},
                      TokenCase{"Plus", "a+b@x.com", false}, TokenCase{"TwoAt", "a@b@x.com", false}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Domain, PatternCases,
    ::testing::Values(TokenCase{"OneLetterTop", "a@x.c", false}, TokenCase{"NoDot", "a@localhost", false},
                      TokenCase{"UnderscoreInLabel", "a@my_host.com", false},
                      TokenCase{"HyphenLabels", "a@-x-.y-.com", true},
                      TokenCase{"EmptyLabel", "a@x..com", false}, TokenCase{"LeadingDot", "a@.x.com", false},
                      TokenCase{"TrailingDot", "a@x.com.", false}, TokenCase{"DigitTop", "a@x.c0m", false},
                      TokenCase{"LabelsThenOctet", "a@x.255]", true},
                      TokenCase{"LabelsThenBigOctet", "a@x.256]", false},
                      TokenCase{"LineFeedAtEnd", "a@x.com\n", false},
                      TokenCase{"LineFeedInside", "a@x\n.com", false}),
    caseName);

INSTANTIATE_TEST_SUITE_P(BracketHost, PatternCases,
                         ::testing::Values(TokenCase{"FourOctets", "a@[192.168.0.1]", true},
                                           TokenCase{"MaxOctets", "a@[255.250.249.0]", true},
                                           TokenCase{"OctetTooBig", "a@[1.2.3.256]", false},
                                           TokenCase{"LeadingZero", "a@[01.2.3.4]", false},
                                           TokenCase{"ThreeOctets", "a@[1.2.3]", false},
                                           TokenCase{"FiveOctets", "a@[1.2.3.4.5]", false},
                                           TokenCase{"LettersAfterThree", "a@[1.2.3.ab", true},
                                           TokenCase{"NoClosingBracket", "a@[1.2.3.4", false},
                                           TokenCase{"SomethingAfterBracket", "a@[1.2.3.4]x", false}),
                         caseName);

TEST(EmailReplacePunctuation, EverySeparatorBecomesOneSpace) {
    const std::string separators = "\a\v,!\"#$%&'()*/:;<=>?[\\]^`{|}~\xC2\xA0";
    EXPECT_EQ(ReplacePunctuation(separators), std::string(30, ' '));
}

TEST(EmailReplacePunctuation, KeepsEverythingElse) {
    const std::string kept = "\t\n\r +-_.@aZ09\xE2\x80\x9C\xC3\xA9\xFF\xC2\xC2";
    EXPECT_EQ(ReplacePunctuation(kept), kept);
    EXPECT_EQ(ReplacePunctuation("a\xC2\xA0"
                                 "b"),
              "a b");
    EXPECT_EQ(ReplacePunctuation(""), "");
}

TEST(EmailCandidateTokens, CutsAtTabCarriageReturnAndSpaceOnly) {
    // Line feed and punctuation stay inside words; "." may stand before "@";
    // duplicates are kept in text order.
    const Rows expected = {"a.b@c", "x@y.z", "@.", "p@q.r\ns", "a,b@c.d", "x@y.z"};
    EXPECT_EQ(GetCandidateTokens("a.b@c\tx@y.z\r@. p@q.r\ns a,b@c.d x@y.z noat. @nodot"), expected);
    EXPECT_TRUE(GetCandidateTokens("").empty());
    EXPECT_TRUE(GetCandidateTokens("\t\t\r  ").empty());
}

TEST(EmailHarvest, PumpsOncePerCandidateBeforeTestingIt) {
    EXPECT_EQ(harvest("no address in here.").pumps, 0);
    EXPECT_EQ(harvest("user@host but no dot").pumps, 0);
    const Harvest mixed = harvest("a@x.com bad.@x.com. a@x.com @. plain text");
    EXPECT_EQ(mixed.pumps, 4);
    EXPECT_EQ(mixed.rows, Rows{"a@x.com"});

    // The pump runs before the test: a row appended during the third pump was
    // preceded by exactly three pumps.
    int pumps = 0;
    std::vector<int> pumpsBeforeRow;
    HarvestCallbacks callbacks{[&] { ++pumps; }, [&](std::string_view) { pumpsBeforeRow.push_back(pumps); }};
    SeenEmails seen;
    HarvestEmailsFromText("x.@y.z q@w.e a@x.com", seen, callbacks);
    EXPECT_EQ(pumpsBeforeRow, std::vector<int>{3});
}

TEST(EmailHarvest, SeenSetSpansTextsAndHoldsLowerCase) {
    SeenEmails seen;
    EXPECT_EQ(harvest("Ann@X.Com", seen).rows, Rows{"Ann@X.Com"});
    EXPECT_EQ(seen, SeenEmails{"ann@x.com"});
    EXPECT_TRUE(harvest("ann@x.com ANN@X.COM", seen).rows.empty());
    EXPECT_EQ(harvest("bo@x.com", seen).rows, Rows{"bo@x.com"});
}

TEST(EmailHarvest, EmptyCallbacksAreAllowed) {
    SeenEmails seen;
    HarvestEmailsFromText("a@x.com b@y.org", seen, HarvestCallbacks{});
    EXPECT_EQ(seen.size(), 2u);
}

TEST(EmailHarvest, CallbackFailureStopsTheHarvestKeepingEarlierRows) {
    SeenEmails seen;
    Rows rows;
    HarvestCallbacks callbacks{{}, [&](std::string_view row) {
                                   rows.emplace_back(row);
                                   if (rows.size() == 2)
                                       throw std::runtime_error("list refused");
                               }};
    EXPECT_THROW(HarvestEmailsFromText("a@x.com b@x.com c@x.com", seen, callbacks), std::runtime_error);
    EXPECT_EQ(rows, (Rows{"a@x.com", "b@x.com"}));
    EXPECT_EQ(seen, (SeenEmails{"a@x.com", "b@x.com"}));
}
