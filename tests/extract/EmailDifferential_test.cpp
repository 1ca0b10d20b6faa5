// The extractor's matcher and its one-pass harvest are checked against slow,
// obviously right references: the standard library's ECMAScript regex engine,
// and the literal clean / cut / test sequence built from the public pieces.
#include "extract/EmailExtraction.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

using namespace orv;

namespace {

const char* const kPattern =
    R"(^([a-zA-Z0-9_\-])([a-zA-Z0-9_\-\.]*)@(\[((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\.){3})"
    R"(|((([a-zA-Z0-9\-]+)\.)+))([a-zA-Z]{2,}|(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\])$)";

class Generator {
public:
    explicit Generator(unsigned seed) : m_random(seed) {}

    std::size_t below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random);
    }

    template <std::size_t N> const char* pick(const char* const (&items)[N]) { return items[below(N)]; }

    // Mostly near-misses of real addresses, so both answers come up often.
    std::string token() {
        static const char* const soup[] = {"a",   "Z",   "q",   "0",        "1",    "2",   "5", "9", "25",
                                           "255", "256", "199", "01",       "_",    "-",   ".", "@", "[",
                                           "]",   "+",   "\n",  "\xC3\xA9", "\xFF", "com", "ab"};
        static const char* const local[] = {"a", "Z", "0", "_", "-", "x.y", "ab", ".", "+", "\xC3\xA9"};
        static const char* const label[] = {"a", "b-c", "0", "x1", "mail", "-", "_", "", "\n"};
        static const char* const octet[] = {"0",   "9",   "10",  "99", "100",  "199", "249",
                                            "250", "255", "256", "01", "1000", ""};
        static const char* const top[] = {"com", "de", "Org", "c", "C0", "", "ab\n"};
        std::string out;
        if (below(4) == 0) {
            for (std::size_t n = below(12); n > 0; --n)
                out += pick(soup);
            return out;
        }
        for (std::size_t n = below(8) == 0 ? 0 : 1 + below(3); n > 0; --n)
            out += below(3) == 0 ? pick(local) : "a";
        out += below(12) == 0 ? "@@" : "@";
        if (below(3) == 0) {
            out += "[";
            for (std::size_t n = 2 + below(3); n > 0; --n)
                out += std::string(pick(octet)) + ".";
        } else {
            for (std::size_t n = below(8) == 0 ? 0 : 1 + below(3); n > 0; --n)
                out += std::string(below(3) == 0 ? pick(label) : "host") + (below(8) == 0 ? ".." : ".");
        }
        if (below(2) == 0)
            out += pick(top);
        else
            out += std::string(pick(octet)) + (below(5) == 0 ? "" : "]");
        if (below(8) == 0)
            out.insert(below(out.size() + 1), pick(soup));
        return out;
    }

    // Slide-like text: addresses, near-misses and words joined by every kind of
    // separator, plus the bytes around the no-break space on their own.
    std::string text() {
        static const char* const pieces[] = {
            " ",       "\t",      "\r",  "\n",   "\v",       "\xC2\xA0", "\xC2",  "\xA0", ",",
            ";",       "<",       ">",   "(",    ")",        "\"",       ":",     "/",    "[",
            "]",       "+",       "@",   ".",    "x",        "1",        "-",     "_",    "\xE2\x80\x9C",
            "a@x.com", "A@X.COM", "b.c", "mail", "q@w.org.", "r@s.tu",   "R@s.TU"};
        std::string out;
        for (std::size_t n = below(40); n > 0; --n)
            out += below(3) == 0 ? token() : pick(pieces);
        return out;
    }

private:
    std::mt19937 m_random;
};

struct Outcome {
    std::vector<std::string> rows;
    int pumps = 0;
    SeenEmails seen;
    bool operator==(const Outcome&) const = default;
};

Outcome fused(std::string_view text) {
    Outcome out;
    HarvestCallbacks callbacks{[&] { ++out.pumps; },
                               [&](std::string_view row) { out.rows.emplace_back(row); }};
    HarvestEmailsFromText(text, out.seen, callbacks);
    return out;
}

Outcome stepByStep(std::string_view text) {
    Outcome out;
    for (const std::string& candidate : GetCandidateTokens(ReplacePunctuation(text))) {
        ++out.pumps;
        if (!IsValidEmail(candidate))
            continue;
        std::string lowered = candidate;
        for (char& c : lowered)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (out.seen.insert(lowered).second)
            out.rows.push_back(candidate);
    }
    return out;
}

} // namespace

TEST(EmailDifferential, MatcherAgreesWithEcmaScriptRegex) {
    const std::regex reference(kPattern, std::regex::ECMAScript);
    Generator generate(20240611);
    int matches = 0;
    constexpr int kTokens = 200000;
    for (int i = 0; i < kTokens; ++i) {
        const std::string token = generate.token();
        const bool expected = std::regex_search(token, reference);
        ASSERT_EQ(IsValidEmail(token), expected) << "token: \"" << token << "\"";
        matches += expected ? 1 : 0;
    }
    // Both answers must be well represented or the comparison proves little.
    EXPECT_GT(matches, kTokens / 20);
    EXPECT_LT(matches, kTokens - kTokens / 20);
}

TEST(EmailDifferential, OnePassHarvestAgreesWithCleanCutAndTest) {
    Generator generate(77);
    int rows = 0;
    for (int i = 0; i < 50000; ++i) {
        const std::string text = generate.text();
        const Outcome expected = stepByStep(text);
        ASSERT_EQ(fused(text), expected) << "text: \"" << text << "\"";
        rows += static_cast<int>(expected.rows.size());
    }
    EXPECT_GT(rows, 1000);
}

TEST(EmailHugeInput, TenMegabyteTokenIsJudgedWithoutRecursion) {
    constexpr std::size_t kHalf = 5 << 20;
    std::string valid(kHalf, 'a');
    valid += "@";
    for (std::size_t i = 0; i < kHalf / 2; ++i)
        valid += "b.";
    valid += "org";
    EXPECT_TRUE(IsValidEmail(valid));
    EXPECT_EQ(GetCandidateTokens(valid).size(), 1u);
    EXPECT_EQ(fused(valid).rows.size(), 1u);

    std::string sentenceEnd = valid + ".";
    EXPECT_FALSE(IsValidEmail(sentenceEnd));
    const Outcome outcome = fused(sentenceEnd);
    EXPECT_EQ(outcome.pumps, 1);
    EXPECT_TRUE(outcome.rows.empty());
}

TEST(EmailHugeInput, HundredMegabytesWithoutSpacesFinish) {
    // One giant token full of "@" and ".", and a giant run of near-misses
    // joined by punctuation only.
    std::string oneToken(100u << 20, 'x');
    for (std::size_t i = 0; i < oneToken.size(); i += 7)
        oneToken[i] = i % 2 == 0 ? '@' : '.';
    EXPECT_EQ(fused(oneToken).pumps, 1);

    std::string joined;
    joined.reserve(100u << 20);
    while (joined.size() < (100u << 20))
        joined += "user@host.c;";
    const Outcome outcome = fused(joined);
    EXPECT_EQ(outcome.pumps, static_cast<int>(joined.size() / 12));
    EXPECT_TRUE(outcome.rows.empty());
}
