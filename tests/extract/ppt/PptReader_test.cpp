#include "base/Failure.h"
#include "extract/PresentationReader.h"
#include "support/CompoundFileBuilder.h"
#include "support/PptBuilder.h"
#include "support/ReadBytes.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

namespace orv {
namespace {

using test::PptDeck;
using test::PptShape;
using test::PptSlide;
using Kind = PptShape::Kind;

// Text and text-frame flag of every shape, e.g. "T:a@b.c|-|T:" per slide.
std::vector<std::string> summary(const PresentationContent& content) {
    std::vector<std::string> slides;
    for (const SlideContent& slide : content.slides) {
        std::string line;
        for (const ShapeContent& shape : slide.shapes) {
            if (!line.empty())
                line += "|";
            line += shape.hasTextFrame ? "T:" + shape.text : "-";
        }
        slides.push_back(line);
    }
    return slides;
}

using Slides = std::vector<std::string>;

PptDeck deckOf(std::vector<PptSlide> slides) {
    PptDeck deck;
    deck.slides = std::move(slides);
    return deck;
}

TEST(PptReader, ShapesOfEveryKind) {
    PptSlide slide;
    slide.outline = {u"Title t@example.com", u"Body\rsecond line"};
    slide.shapes = {PptShape::placeholder(0),
                    PptShape::placeholder(1),
                    PptShape::textBox(u"Box\vline break"),
                    PptShape::of(Kind::Group, {PptShape::textBox(u"inside@group.com")}),
                    PptShape::of(Kind::Table, {PptShape::textBox(u"cell@table.com")}),
                    PptShape::of(Kind::Picture),
                    PptShape::of(Kind::Line),
                    PptShape::of(Kind::AutoShape),
                    PptShape::placeholder(7)};
    const auto content = test::ReadBytes(test::BuildPpt(deckOf({slide})));
    EXPECT_EQ(summary(content),
              Slides({"T:Title t@example.com|T:Body\rsecond line|T:Box\vline break|-|-|-|-|T:|T:"}));
}

TEST(PptReader, TextEncodings) {
    struct Row {
        const char* name;
        PptShape shape;
        std::string expected;
    };
    const Row rows[] = {
        {"eight-bit Latin-1", PptShape::textBox(u"Gr\u00FC\u00DFe \u00E9@x.fr", true), "Grüße é@x.fr"},
        {"eight-bit high bytes keep code points", PptShape::textBox(u"\u0080\u00FF", true), "\u0080\u00FF"},
        {"sixteen-bit Cyrillic", PptShape::textBox(u"\u041F\u0440\u0438 a@b.ru"), "При a@b.ru"},
        {"surrogate pair", PptShape::textBox(u"\U0001F600 x@y.z"), "\U0001F600 x@y.z"},
        {"lone high surrogate", PptShape::textBox(std::u16string{u'a', char16_t(0xD800), u'b'}), "a\uFFFDb"},
        {"lone low surrogate at end", PptShape::textBox(std::u16string{u'a', char16_t(0xDC00)}), "a\uFFFD"},
        {"empty text", PptShape::textBox(u""), ""},
    };
    for (const Row& row : rows) {
        PptSlide slide;
        slide.shapes = {row.shape};
        const auto content = test::ReadBytes(test::BuildPpt(deckOf({slide})));
        ASSERT_EQ(content.slides.size(), 1u) << row.name;
        ASSERT_EQ(content.slides[0].shapes.size(), 1u) << row.name;
        EXPECT_EQ(content.slides[0].shapes[0].text, row.expected) << row.name;
    }
}

TEST(PptReader, EightBitOutlineText) {
    PptSlide slide;
    slide.outline = {u"Caf\u00E9 c@d.fr"};
    slide.outlineEightBit = true;
    slide.shapes = {PptShape::placeholder(0)};
    EXPECT_EQ(summary(test::ReadBytes(test::BuildPpt(deckOf({slide})))), Slides({"T:Café c@d.fr"}));
}

TEST(PptReader, SlideNumberFieldsShowTheSlidesNumber) {
    PptDeck deck;
    deck.slides.resize(2);
    PptSlide& second = deck.slides[1];
    second.outline = {u"Page * of many"};
    second.outlineSlideNumberFields = {{5, 5, 99}}; // repeated and out-of-range positions are ignored
    auto box = PptShape::textBox(u"*/* x@y.zz*", true);
    box.slideNumberFields = {0, 2, 9}; // position 9 holds "z", not the field character
    second.shapes = {PptShape::placeholder(0), box, PptShape::textBox(u"no field: *")};
    EXPECT_EQ(summary(test::ReadBytes(test::BuildPpt(deck))),
              Slides({"", "T:Page 2 of many|T:2/2 x@y.zz*|T:no field: *"}));
}

TEST(PptReader, SlidesInPresentationOrderNotStorageOrder) {
    PptDeck deck;
    for (const char16_t* text : {u"first", u"second", u"third"}) {
        PptSlide slide;
        slide.outline = {text};
        slide.shapes = {PptShape::placeholder(0), PptShape::textBox(std::u16string(text) + u" box")};
        deck.slides.push_back(slide);
    }
    deck.slides.insert(deck.slides.begin() + 1, PptSlide{}); // a slide without shapes
    deck.reversedStorage = true;
    EXPECT_EQ(summary(test::ReadBytes(test::BuildPpt(deck))),
              Slides({"T:first|T:first box", "", "T:second|T:second box", "T:third|T:third box"}));
}

TEST(PptReader, NoSlides) {
    EXPECT_TRUE(test::ReadBytes(test::BuildPpt(PptDeck{})).slides.empty());
}

TEST(PptReader, IncrementalSaveUsesNewestRecords) {
    PptDeck deck;
    PptSlide one;
    one.outline = {u"old title"};
    one.shapes = {PptShape::placeholder(0), PptShape::textBox(u"old@box.com")};
    PptSlide two;
    two.shapes = {PptShape::textBox(u"kept@two.com")};
    deck.slides = {one, two};
    PptSlide revised;
    revised.outline = {u"new title"};
    revised.shapes = {PptShape::placeholder(0), PptShape::textBox(u"new@box.com"), PptShape::of(Kind::Line)};
    deck.revised[0] = revised;
    for (const bool reversed : {false, true}) {
        deck.reversedStorage = reversed;
        EXPECT_EQ(summary(test::ReadBytes(test::BuildPpt(deck))),
                  Slides({"T:new title|T:new@box.com|-", "T:kept@two.com"}))
            << "reversed " << reversed;
    }
}

TEST(PptReader, DamagedDocumentStreams) {
    PptSlide slide;
    slide.shapes = {PptShape::textBox(u"a@b.c")};
    auto deck = deckOf({slide});
    deck.revised[0] = slide;
    const auto good = test::BuildPptStreams(deck);
    struct Row {
        const char* name;
        void (*damage)(test::PptStreams&);
    };
    const Row rows[] = {
        {"edit chain loops",
         [](test::PptStreams& s) { test::PutLe32(s.document, s.editOffsets[0] + 16, s.editOffsets[1]); }},
        {"current edit beyond stream",
         [](test::PptStreams& s) { test::PutLe32(s.currentUser, 16, 0x7FFFFFF0); }},
        {"current edit is no edit", [](test::PptStreams& s) { test::PutLe32(s.currentUser, 16, 0); }},
        {"document id missing",
         [](test::PptStreams& s) { test::PutLe32(s.document, s.editOffsets[1] + 24, 99); }},
        {"persist entry points nowhere",
         [](test::PptStreams& s) { test::PutLe32(s.document, s.directoryOffsets[1] + 12, 0x7FFFFFF0); }},
        {"persist directory overlong",
         [](test::PptStreams& s) { test::PutLe32(s.document, s.directoryOffsets[1] + 4, 0x0FFFFFFF); }},
        {"stream cut short", [](test::PptStreams& s) { s.document.resize(s.document.size() / 3); }},
    };
    for (const Row& row : rows) {
        auto streams = good;
        row.damage(streams);
        const std::string bytes = test::PackPpt(streams);
        const auto refusal = test::RefusalOf(bytes);
        ASSERT_TRUE(refusal) << row.name;
        EXPECT_EQ(refusal->kind, FailureKind::Damaged) << row.name << ": " << test::FailureOf(bytes);
    }
}

TEST(PptReader, AnImpossibleRecordLengthIsDamageNotRepetition) {
    PptSlide slide;
    slide.shapes = {PptShape::textBox(u"a@b.c")};
    auto streams = test::BuildPptStreams(deckOf({slide}));
    test::PutLe32(streams.document, streams.editOffsets[0] + 4, 0xFFFFFFFF);
    const std::string description = test::FailureOf(test::PackPpt(streams));
    EXPECT_NE(description.find("reaches past the end"), std::string::npos) << description;
}

TEST(PptReader, RefusedDocuments) {
    PptSlide slide;
    slide.shapes = {PptShape::textBox(u"secret@x.com")};
    PptDeck encryptedEdit = deckOf({slide});
    encryptedEdit.encryptedEdit = true;
    PptDeck encryptedToken = deckOf({slide});
    encryptedToken.encryptedToken = true;
    auto oldStreams = test::BuildPptStreams(deckOf({slide}));
    test::PutLe16(oldStreams.currentUser, 22, 0x03F3); // file version before 97
    auto foreignUser = test::BuildPptStreams(deckOf({slide}));
    test::PutLe16(foreignUser.currentUser, 2, 0x1234);
    auto unknownToken = test::BuildPptStreams(deckOf({slide}));
    test::PutLe32(unknownToken.currentUser, 12, 0x12345678);
    auto shortUser = test::BuildPptStreams(deckOf({slide}));
    shortUser.currentUser.resize(20);

    struct Row {
        const char* name;
        std::string bytes;
        FailureKind expected;
    };
    const Row rows[] = {
        {"encryption session in edit", test::BuildPpt(encryptedEdit), FailureKind::Encrypted},
        {"encrypted current-user token", test::BuildPpt(encryptedToken), FailureKind::Encrypted},
        {"old file version", test::PackPpt(oldStreams), FailureKind::NotPresentation},
        {"current user of another form", test::PackPpt(foreignUser), FailureKind::Damaged},
        {"current user with an unknown token", test::PackPpt(unknownToken), FailureKind::Damaged},
        {"current user cut short", test::PackPpt(shortUser), FailureKind::Damaged},
    };
    for (const Row& row : rows)
        EXPECT_EQ(test::RefusalOf(row.bytes), test::Refusal{row.expected})
            << row.name << ": " << test::FailureOf(row.bytes);
}

TEST(PptReader, RepeatedSlidesCannotExhaustMemory) {
    // One slide record named by a great many slide-list entries.
    PptSlide slide;
    slide.shapes.assign(2000, PptShape::textBox(std::u16string(400, u'x')));
    auto streams = test::BuildPptStreams(deckOf({slide}));
    // Document header and atom, slide-list header, then the first slide entry.
    const std::string entry = streams.document.substr(64, 28);
    ASSERT_EQ(static_cast<unsigned char>(entry[2]), 0xF3);
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += entry;
    // Splice the entries into the slide list and fix the lengths around it.
    std::string& doc = streams.document;
    doc.insert(64 + 28, many);
    test::PutLe32(doc, 4, static_cast<std::uint32_t>(test::ReadLe32(doc, 4) + many.size()));
    test::PutLe32(doc, 60, static_cast<std::uint32_t>(test::ReadLe32(doc, 60) + many.size()));
    // Every later offset moved by the inserted bytes.
    const auto shift = static_cast<std::uint32_t>(many.size());
    for (auto& offset : streams.editOffsets)
        offset += shift;
    const std::uint32_t dir = streams.directoryOffsets[0] + shift;
    test::PutLe32(doc, dir + 16, test::ReadLe32(doc, dir + 16) + shift);
    test::PutLe32(doc, streams.editOffsets[0] + 20, dir);
    test::PutLe32(streams.currentUser, 16, streams.editOffsets[0]);
    EXPECT_NE(test::FailureOf(test::PackPpt(streams)).find("repeats"), std::string::npos);
}

TEST(PptReader, SamplesWrittenByAnotherOfficeSuite) {
    const std::string dir = std::string(ORVANDEL_SOURCE_DIR) + "/tests/data/";
    const auto placeholders = summary(ReadPresentationFile(dir + "placeholders.ppt"));
    EXPECT_EQ(placeholders,
              Slides({"T:Contact title@example.com|T:First body@example.org\rSecond second@example.net|T:Box "
                      "\vbox@example.com",
                      "-|-|-|T:Grüße: müller@example.de"}));
    EXPECT_EQ(summary(ReadPresentationFile(dir + "three_slides.ppt")),
              Slides({"T:alpha@example.com", "", "T:Привет gamma@example.com"}));
}

} // namespace
} // namespace orv
