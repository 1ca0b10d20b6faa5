#include "extract/PresentationReader.h"
#include "support/FakePictures.h"
#include "support/PptBuilder.h"
#include "support/ReadBytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orv {
namespace {

using test::PptDeck;
using test::PptPicture;
using test::PptShape;
using test::PptSlide;
using Strings = std::vector<std::string>;

std::string showing(const std::string& text) {
    return "SHOWS:" + text;
}

PptSlide slideOf(std::vector<PptShape> shapes) {
    PptSlide slide;
    slide.shapes = std::move(shapes);
    return slide;
}

PresentationContent read(const PptDeck& deck, const ReadOptions& options) {
    return ReadPresentationBytes(test::BytesOf(test::BuildPpt(deck)), options);
}

// "text" for a shape, "-" without a text frame, "picture name:text" for a picture.
Strings shapesOf(const SlideContent& slide) {
    Strings out;
    for (const ShapeContent& shape : slide.shapes)
        out.push_back(shape.place == TextPlace::Picture ? "picture " + shape.name + ":" + shape.text
                      : shape.hasTextFrame              ? shape.text
                                                        : "-");
    return out;
}

Strings placedOf(const SlideContent& page) {
    Strings out;
    for (const PlacedText& placed : page.allText)
        out.push_back(std::string(TextPlaceName(placed.place)) + " " + placed.name + ":" + placed.text);
    return out;
}

Strings skippedOf(const SlideContent& page) {
    Strings out;
    for (const SkippedPart& part : page.skipped)
        out.push_back(part.part);
    return out;
}

TEST(PptPictures, EachKindOfStoredPictureIsHandedOverAsAFile) {
    // A bitmap of 8 bits a pixel: its 40-byte header, then 256 colours.
    std::string dib(40, '\0');
    dib[0] = 40;
    dib[14] = 8;
    const std::string bmpHeader = std::string("BM") + std::string{char(14 + 40), 0, 0, 0} +
                                  std::string(4, '\0') + std::string{char(0x36), 4, 0, 0};
    const struct {
        const char* kind;
        PptPicture picture;
        std::string handedOver;
    } cases[] = {
        {"PNG in the stream", {0xF01E, showing("png"), 0x6E0}, showing("png")},
        {"JPEG with two ids", {0xF01D, showing("jpeg"), 0x46B}, showing("jpeg")},
        {"CMYK JPEG", {0xF02A, showing("cmyk"), 0x6E2}, showing("cmyk")},
        {"TIFF", {0xF029, showing("tiff"), 0x6E4}, showing("tiff")},
        {"bitmap given its file header", {0xF01F, dib, 0x7A8}, bmpHeader + dib},
        {"EMF after its metafile header", {0xF01A, "vector", 0x3D4}, "vector"},
        {"PNG kept in the store entry", {0xF01E, showing("entry"), 0x6E0, true}, showing("entry")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        PptDeck deck;
        deck.pictures = {PptPicture{0xF01E, "unused"}, c.picture};
        deck.slides = {slideOf({PptShape::pictureOf(2, u"Pic")})};
        const auto fake = std::make_shared<test::FakePictures>();
        read(deck, test::ReadingPictures(fake));
        EXPECT_EQ(fake->expected, 2u);
        ASSERT_EQ(fake->bytes.size(), 1u);
        EXPECT_EQ(std::string(fake->bytes[0].begin(), fake->bytes[0].end()), c.handedOver);
        EXPECT_EQ(fake->parts, Strings{"slide 1, picture 2"});
    }
}

// A text box, a picture, a text box filled with a picture, the first picture
// again under another name, and a line.
PptDeck placedPictures() {
    PptDeck deck;
    deck.pictures = {{0xF01E, showing("logo@example.com")}, {0xF01E, showing("fill@example.com")}};
    PptShape card = PptShape::textBox(u"card");
    card.name = u"Card";
    card.fillPicture = 2;
    PptSlide slide;
    slide.shapes = {PptShape::textBox(u"before"), PptShape::pictureOf(1, u"Logo"), card,
                    PptShape::pictureOf(1, u"Again"), PptShape::of(PptShape::Kind::Line)};
    slide.notes = {u"note"};
    deck.slides = {slide};
    deck.notesShapes[0] = {PptShape::pictureOf(2, u"OnNotes")};
    test::PptMaster master;
    master.shapes = {PptShape::of(PptShape::Kind::Group, {PptShape::pictureOf(1, u"InGroup")})};
    deck.masters = {master};
    return deck;
}

TEST(PptPictures, PicturesStandWhereTheirShapesStandOnEveryPage) {
    const auto fake = std::make_shared<test::FakePictures>();
    const auto content = read(placedPictures(), test::ReadingPictures(fake, true));
    ASSERT_EQ(content.slides.size(), 1u);
    const Strings shapes{"before",
                         "picture Logo:logo@example.com",
                         "card",
                         "picture Card:fill@example.com",
                         "picture Again:logo@example.com",
                         "-"};
    EXPECT_EQ(shapesOf(content.slides[0]), shapes);
    EXPECT_EQ(placedOf(content.slides[0]),
              Strings({"shape :before", "picture Logo:logo@example.com", "shape Card:card",
                       "picture Card:fill@example.com", "picture Again:logo@example.com", "notes :note",
                       "picture OnNotes:fill@example.com"}));
    ASSERT_EQ(content.masterPages.size(), 1u);
    EXPECT_EQ(placedOf(content.masterPages[0]), Strings{"picture InGroup:logo@example.com"});
    // Each stored picture is read once, whatever shows it.
    EXPECT_EQ(fake->parts, Strings({"slide 1, picture 1", "slide 1, picture 2"}));
    EXPECT_EQ(fake->expected, 2u);

    // The default walk reads the slide's own shapes alike.
    const auto plain = read(placedPictures(), test::ReadingPictures(std::make_shared<test::FakePictures>()));
    EXPECT_EQ(shapesOf(plain.slides[0]), shapes);
}

TEST(PptPictures, WithoutPicturesRequestedNothingChanges) {
    for (const bool allText : {false, true}) {
        const auto content = read(placedPictures(), ReadOptions{allText});
        EXPECT_EQ(shapesOf(content.slides[0]), Strings({"before", "-", "card", "-", "-"}));
        for (const auto& placed : content.slides[0].allText)
            EXPECT_NE(placed.place, TextPlace::Picture);
    }
}

TEST(PptPictures, AWrongEntrySkipsOnlyItsPicture) {
    const struct {
        const char* what;
        PptPicture second;
        std::uint32_t shown = 2; // the index the shape names
    } cases[] = {
        {"place past the end of the stream", {0xF01E, showing("x"), 0x6E0, false, 1u << 30}},
        {"place inside another picture", {0xF01E, showing("x"), 0x6E0, false, 3}},
        {"a damaged picture", {0xF01E, "DAMAGED"}},
        {"a record of no picture kind", {0xF100, showing("x")}},
        {"an index past the store", {0xF01E, showing("x")}, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PptDeck deck;
        deck.pictures = {{0xF01E, showing("good")}, c.second};
        deck.slides = {
            slideOf({PptShape::pictureOf(c.shown), PptShape::pictureOf(1), PptShape::textBox(u"text")}),
            slideOf({PptShape::pictureOf(c.shown)})};
        const auto content = read(deck, test::ReadingPictures(std::make_shared<test::FakePictures>()));
        ASSERT_EQ(content.slides.size(), 2u);
        EXPECT_EQ(shapesOf(content.slides[0]), Strings({"picture :", "picture :good", "text"}));
        const std::string part = "picture " + std::to_string(c.shown);
        EXPECT_EQ(skippedOf(content.slides[0]), Strings{"slide 1, " + part});
        // Named again on every page that shows it.
        EXPECT_EQ(skippedOf(content.slides[1]), Strings{"slide 2, " + part});
    }
}

} // namespace
} // namespace orv
