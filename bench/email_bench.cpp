// Throughput of the address harvest on slide-like prose and on text where every
// token is a candidate that fails. Run a Release build:
//   build/bench/email_bench --benchmark_min_time=1
#include "extract/EmailExtraction.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

constexpr std::size_t kTextSize = 8u << 20;

// Prose with paragraph and line breaks, a few addresses in the usual wrappings,
// and the occasional near-miss (sentence-final full stop, typographic quotes).
std::string slideText() {
    static const char* const words[] = {
        "the",    "quarterly", "results", "show",  "growth", "in",   "every", "region", "and",    "our",
        "team",   "expects",   "further", "gains", "next",   "year", "see",   "slide",  "for",    "details",
        "market", "share",     "2024",    "Q3",    "—",      "–",    "über",  "costs",  "(est.)", "e.g.",
        "i.e.",   "v2.1",      "1,250",   "42%",   "&",      "R&D",  "team.", "done;",  "notes:", "“key”"};
    static const char* const addresses[] = {"ann.lee@example.com", "<sales@acme-corp.co.uk>",
                                            "mailto:info@x.org,",  "Bob@Example.COM",
                                            "help@desk.io.",       "“quote@marks.net”"};
    static const char* const breaks[] = {" ", " ", " ", " ", " ", " ", "\r", "\v", "\t", ", "};
    std::mt19937 random(1);
    std::string text;
    text.reserve(kTextSize + 64);
    while (text.size() < kTextSize) {
        if (random() % 150 == 0)
            text += addresses[random() % std::size(addresses)];
        else
            text += words[random() % std::size(words)];
        text += breaks[random() % std::size(breaks)];
    }
    return text;
}

// Every token holds "@" and ".", so every token is pumped and tested, and none passes.
std::string adversarialText() {
    static const char* const tokens[] = {"name@example.com.", "a+b@host.org",   "x@y.z",
                                         "first.last@domain", "“q@w.de”",       "user@@mail.net",
                                         ".dot@start.com",    "u@host_name.org"};
    std::mt19937 random(2);
    std::string text;
    text.reserve(kTextSize + 64);
    while (text.size() < kTextSize) {
        text += tokens[random() % std::size(tokens)];
        text += random() % 4 == 0 ? "\r" : " ";
    }
    return text;
}

void runHarvest(benchmark::State& state, const std::string& text, const orv::HarvestCallbacks& callbacks) {
    std::size_t rows = 0;
    for (auto _ : state) {
        orv::SeenEmails seen;
        orv::HarvestEmailsFromText(text, seen, callbacks);
        rows = seen.size();
        benchmark::DoNotOptimize(rows);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["addresses"] = static_cast<double>(rows);
}

void BM_HarvestSlideText(benchmark::State& state) {
    static const std::string text = slideText();
    runHarvest(state, text, {});
}

void BM_HarvestAdversarial(benchmark::State& state) {
    static const std::string text = adversarialText();
    runHarvest(state, text, {});
}

// The same text with a no-op pump and row sink, as the window wires them.
void BM_HarvestSlideTextWithCallbacks(benchmark::State& state) {
    static const std::string text = slideText();
    runHarvest(state, text, {[] {}, [](std::string_view) {}});
}

// The literal clean / cut / test sequence, for comparison with the one-pass harvest.
void BM_CleanThenCutSlideText(benchmark::State& state) {
    static const std::string text = slideText();
    for (auto _ : state) {
        std::size_t valid = 0;
        for (const std::string& token : orv::GetCandidateTokens(orv::ReplacePunctuation(text)))
            valid += orv::IsValidEmail(token) ? 1 : 0;
        benchmark::DoNotOptimize(valid);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

} // namespace

BENCHMARK(BM_HarvestSlideText);
BENCHMARK(BM_HarvestAdversarial);
BENCHMARK(BM_HarvestSlideTextWithCallbacks);
BENCHMARK(BM_CleanThenCutSlideText);

BENCHMARK_MAIN();
