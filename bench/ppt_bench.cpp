// Reading speed of binary presentations: a bulk of generated decks, read from
// memory, reported as files per second (items_per_second).
#include "extract/PresentationReader.h"
#include "support/PptBuilder.h"

#include <benchmark/benchmark.h>

#include <span>
#include <string>
#include <vector>

namespace {

std::vector<std::string> makeDecks(int count, int slidesPerDeck) {
    using orv::test::PptShape;
    std::vector<std::string> decks;
    for (int d = 0; d < count; ++d) {
        orv::test::PptDeck deck;
        deck.reversedStorage = d % 2 == 1;
        for (int s = 0; s < slidesPerDeck; ++s) {
            orv::test::PptSlide slide;
            slide.outline = {u"Quarterly review, slide title",
                             u"Contact sales@example.com\rOr support@example.org"};
            slide.shapes = {
                PptShape::placeholder(0),
                PptShape::placeholder(1),
                PptShape::textBox(u"Notes for the speaker\vname.surname@example.net"),
                PptShape::of(PptShape::Kind::Table, {PptShape::textBox(u"cell"), PptShape::textBox(u"cell")}),
                PptShape::of(PptShape::Kind::Picture),
                PptShape::textBox(u"Footer text", true)};
            deck.slides.push_back(slide);
        }
        decks.push_back(orv::test::BuildPpt(deck));
    }
    return decks;
}

void readDecks(benchmark::State& state) {
    const auto decks = makeDecks(64, static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (const auto& deck : decks)
        bytes += deck.size();
    for (auto _ : state) {
        for (const auto& deck : decks) {
            auto content = orv::ReadPresentationBytes(
                std::span(reinterpret_cast<const std::uint8_t*>(deck.data()), deck.size()));
            benchmark::DoNotOptimize(content);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(decks.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK(readDecks)->Arg(5)->Arg(30)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
