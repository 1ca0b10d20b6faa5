// A binary presentation converted from a package must give the same text,
// shape for shape, and so the same addresses. The .ppt files were saved by an
// office suite from packages written by tests/data/make_ppt_samples.py; the
// builder writes the same decks again here.
#include "extract/PresentationReader.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

void expectSame(const PptxBuilder& package, const char* convertedName) {
    const auto fromPackage = ReadBytes(package.bytes());
    const auto fromBinary =
        ReadPresentationFile(std::string(ORVANDEL_SOURCE_DIR "/tests/data/") + convertedName);
    EXPECT_EQ(ShapeTexts(fromBinary), ShapeTexts(fromPackage));
    EXPECT_EQ(AddressesIn(fromBinary), AddressesIn(fromPackage));
    EXPECT_FALSE(AddressesIn(fromPackage).empty());
}

} // namespace

TEST(PptMatchesPackage, PlaceholdersBoxesTableGroupAndLine) {
    PptxBuilder deck;
    deck.addSlide()
        .addPlaceholder({"Contact title@example.com"}, "title")
        .addPlaceholder({"First body@example.org", "Second second@example.net"}, "body")
        .addTextBox({"Box \vbox@example.com"});
    deck.addSlide()
        .addTable({{"cell@example.com", "B1"}})
        .addGroup({"grouped@example.com", "Also grouped"})
        .addConnector()
        .addTextBox({"Grüße: müller@example.de"});
    expectSame(deck, "placeholders.ppt");
}

TEST(PptMatchesPackage, ThreeSlidesOneEmpty) {
    PptxBuilder deck;
    deck.addSlide().addTextBox({"alpha@example.com"});
    deck.addSlide();
    deck.addSlide().addTextBox({"Привет gamma@example.com"});
    expectSame(deck, "three_slides.ppt");
}
