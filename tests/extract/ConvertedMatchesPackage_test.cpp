// A presentation converted from a package by an office suite, as a binary
// presentation or as an OpenDocument presentation, must give the same text,
// shape for shape, and so the same addresses. The converted files were saved
// from packages written by tests/data/make_ppt_samples.py (see
// make_ppt_samples.sh and make_odp_samples.sh); the builder writes the same
// decks again here. The OpenDocument conversion turns text boxes into custom
// shapes and the line into a connector, which changes no reading: both keep or
// lack their text frame as before.
#include "extract/Harvest.h"
#include "extract/PresentationReader.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

const std::string kData = ORVANDEL_SOURCE_DIR "/tests/data/";

// "place:text" of every text the "all text" mode reads, slide by slide
// ("|" after each); the shapes' names are left out, as a conversion renames.
std::vector<std::string> placedTexts(const PresentationContent& content) {
    std::vector<std::string> out;
    int slide = 1;
    for (const auto& placed : HarvestedTexts(content)) {
        if (placed.slide == 0)
            continue; // the masters: each conversion writes masters of its own
        for (; slide < placed.slide; ++slide)
            out.emplace_back("|");
        out.push_back(std::string(TextPlaceName(placed.place)) + ":" + placed.text);
    }
    for (; slide <= static_cast<int>(content.slides.size()); ++slide)
        out.emplace_back("|");
    return out;
}

// In the "all text" mode too, the conversions read as the package: its group
// and table became an OpenDocument group and table (a binary one in .ppt),
// and the notes pages the conversions add hold only empty placeholders.
void expectSameAllText(const PresentationContent& fromPackage, const char* convertedName) {
    SCOPED_TRACE(convertedName);
    const auto fromConverted = ReadPresentationFile(kData + convertedName, ReadOptions{true});
    EXPECT_EQ(placedTexts(fromConverted), placedTexts(fromPackage));
    EXPECT_EQ(AddressesIn(fromConverted), AddressesIn(fromPackage));
}

void expectSame(const PptxBuilder& package, const char* convertedName) {
    SCOPED_TRACE(convertedName);
    const auto fromPackage = ReadBytes(package.bytes());
    const auto fromConverted = ReadPresentationFile(kData + convertedName);
    EXPECT_EQ(ShapeTexts(fromConverted), ShapeTexts(fromPackage));
    EXPECT_EQ(AddressesIn(fromConverted), AddressesIn(fromPackage));
    EXPECT_FALSE(AddressesIn(fromPackage).empty());
}

} // namespace

TEST(ConvertedMatchesPackage, PlaceholdersBoxesTableGroupAndLine) {
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
    for (const char* converted : {"placeholders.ppt", "placeholders.odp", "placeholders.fodp"})
        expectSame(deck, converted);
    const auto allText = ReadPresentationBytes(BytesOf(deck.bytes()), ReadOptions{true});
    // The cell's and the grouped address come in.
    EXPECT_EQ(AddressesIn(allText).size(), AddressesIn(ReadBytes(deck.bytes())).size() + 2);
    for (const char* converted : {"placeholders.ppt", "placeholders.odp", "placeholders.fodp"})
        expectSameAllText(allText, converted);
}

TEST(ConvertedMatchesPackage, ThreeSlidesOneEmpty) {
    PptxBuilder deck;
    deck.addSlide().addTextBox({"alpha@example.com"});
    deck.addSlide();
    deck.addSlide().addTextBox({"Привет gamma@example.com"});
    for (const char* converted : {"three_slides.ppt", "three_slides.odp"}) {
        expectSame(deck, converted);
        expectSameAllText(ReadPresentationBytes(BytesOf(deck.bytes()), ReadOptions{true}), converted);
    }
}

// Source and conversion both lie in tests/data. The OpenDocument conversion
// keeps every text but the slide-number field, which it stores as "<number>"
// (the field's value is worked out when shown), so the texts differ there and
// nowhere else; the empty body placeholder becomes one marked as such, with no
// text.
TEST(ConvertedMatchesPackage, FieldsLevelsSpacesAndAnEmptyPlaceholder) {
    const auto fromPackage = ReadPresentationFile(kData + "fields.pptx");
    const auto fromConverted = ReadPresentationFile(kData + "fields.odp");
    auto expected = ShapeTexts(fromPackage);
    ASSERT_EQ(expected.at(0), "Slide 1 of the deck");
    expected.at(0) = "Slide <number> of the deck";
    EXPECT_EQ(ShapeTexts(fromConverted), expected);
    EXPECT_EQ(expected.at(2), "wide  spaces   here\tand@example.com\vdespués: josé@example.es");
    EXPECT_EQ(expected.at(5), "");
    EXPECT_EQ(AddressesIn(fromConverted), AddressesIn(fromPackage));
    EXPECT_EQ(AddressesIn(fromPackage).size(), 4u); // the address pattern takes no accented letters
    // The same in the "all text" mode, where the field's text differs as above.
    const auto allFromPackage = ReadPresentationFile(kData + "fields.pptx", ReadOptions{true});
    const auto allFromConverted = ReadPresentationFile(kData + "fields.odp", ReadOptions{true});
    EXPECT_EQ(AddressesIn(allFromConverted), AddressesIn(allFromPackage));
    EXPECT_EQ(AddressesIn(allFromPackage), AddressesIn(fromPackage));
}
