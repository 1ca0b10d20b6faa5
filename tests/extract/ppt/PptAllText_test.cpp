// What the "all text" mode reads of a binary presentation beyond its slides'
// shapes: the masters, alternative text and the links of notes pages.
#include "extract/PresentationReader.h"
#include "support/CompoundFileBuilder.h"
#include "support/PptBuilder.h"
#include "support/ReadBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv {
namespace {

using test::PptDeck;
using test::PptMaster;
using test::PptShape;
using test::PptSlide;
using Kind = PptShape::Kind;
using Texts = std::vector<std::string>;

std::string describe(const PlacedText& placed) {
    return std::string(TextPlaceName(placed.place)) + ":" + placed.name + ":" + placed.text;
}

// "place:name:text" for every text of the slides, in order.
Texts slideTexts(const PresentationContent& content) {
    Texts out;
    for (const SlideContent& slide : content.slides)
        for (const PlacedText& placed : slide.allText)
            out.push_back(describe(placed));
    return out;
}

// The same for the master pages, "|" after each.
Texts masterTexts(const PresentationContent& content) {
    Texts out;
    for (const SlideContent& page : content.masterPages) {
        EXPECT_TRUE(page.allTextRead);
        EXPECT_TRUE(page.shapes.empty());
        for (const PlacedText& placed : page.allText)
            out.push_back(describe(placed));
        out.push_back("|");
    }
    return out;
}

PresentationContent readAllText(const std::string& bytes) {
    return ReadPresentationBytes(test::BytesOf(bytes), ReadOptions{true});
}

PptShape named(PptShape shape, std::u16string name, std::u16string description = {}) {
    shape.name = std::move(name);
    shape.description = std::move(description);
    return shape;
}

PptDeck oneSlide() {
    PptDeck deck;
    deck.slides = {PptSlide{{PptShape::textBox(u"slide")}, {}, false, {}, {}, {}, {}}};
    return deck;
}

TEST(PptAllText, MastersAfterTheSlidesInTheDocumentsOrder) {
    struct Row {
        const char* what;
        PptDeck deck;
        Texts expected;
    };
    std::vector<Row> rows;
    const auto row = [&](const char* what, auto change, Texts expected) {
        PptDeck deck = oneSlide();
        change(deck);
        rows.push_back({what, std::move(deck), std::move(expected)});
    };
    row("a main master's shapes, groups and tables, all as master",
        [](PptDeck& d) {
            d.masters = {PptMaster{{named(PptShape::textBox(u"m@example.com"), u"Box", u"alt"),
                                    PptShape::of(Kind::Group, {named(PptShape::textBox(u"g"), u"In")}),
                                    named(PptShape::of(Kind::Table, {PptShape::textBox(u"c")}), u"T")},
                                   {},
                                   {},
                                   false}};
        },
        {"master:Box:m@example.com", "master:Box:alt", "master:In:g", "master:T:c", "|"});
    row("main and title masters in list order, placeholder text from the master list",
        [](PptDeck& d) {
            d.masters = {PptMaster{{PptShape::placeholder(1)}, {u"Title style", u"Body style"}, {}, false},
                         PptMaster{{PptShape::textBox(u"title master")}, {}, {}, true}};
        },
        {"master::Body style", "|", "master::title master", "|"});
    row("a master's own footer, then the document's footer for slides, on the first master only",
        [](PptDeck& d) {
            d.masters = {PptMaster{{PptShape::textBox(u"box")}, {}, u"own@example.com", false},
                         PptMaster{{}, {}, {}, true}};
            d.slideFooter = u"slides@example.com";
        },
        {"master::box", "master::own@example.com", "master::slides@example.com", "|", "|"});
    row("the notes master with the notes footer, then the handout master",
        [](PptDeck& d) {
            d.masters = {PptMaster{}};
            d.notesMaster = PptMaster{{PptShape::textBox(u"notes master")}, {}, {}, false};
            d.handoutMaster = PptMaster{{PptShape::textBox(u"handout")}, {}, {}, false};
            d.notesFooter = u"notes@example.com";
        },
        {"|", "master::notes master", "master::notes@example.com", "|", "master::handout", "|"});
    row("without a notes master the handout master shows the notes footer",
        [](PptDeck& d) {
            d.handoutMaster = PptMaster{{PptShape::textBox(u"handout")}, {}, {}, false};
            d.notesFooter = u"notes@example.com";
        },
        {"master::handout", "master::notes@example.com", "|"});
    row("a slide-number field keeps its mark, a master's mailto: link comes last as master text",
        [](PptDeck& d) {
            PptShape number = PptShape::textBox(u"Page *");
            number.slideNumberFields = {5};
            PptShape linked = PptShape::textBox(u"Write");
            linked.linkId = 3;
            d.hyperlinks = {{3, u"mailto:ml@example.com"}};
            d.masters = {PptMaster{{linked, number}, {}, {}, false}};
        },
        {"master::Write", "master::Page *", "master::ml@example.com", "|"});

    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string bytes = test::BuildPpt(r.deck);
        const auto content = readAllText(bytes);
        EXPECT_EQ(slideTexts(content), Texts{"shape::slide"});
        EXPECT_EQ(masterTexts(content), r.expected);
        EXPECT_TRUE(test::ReadBytes(bytes).masterPages.empty()); // read in this mode only
    }

    // A master the document names twice (here the handout master is the
    // notes master) is read once.
    PptDeck twice = oneSlide();
    twice.notesMaster = PptMaster{{PptShape::textBox(u"notes master")}, {}, {}, false};
    twice.handoutMaster = PptMaster{};
    auto streams = test::BuildPptStreams(twice);
    // The document atom, after the document record's header and its own:
    // sizes and zoom, then the notes and the handout master's persist ids.
    test::PutLe32(streams.document, 16 + 28, test::ReadLe32(streams.document, 16 + 24));
    EXPECT_EQ(masterTexts(readAllText(test::PackPpt(streams))), (Texts{"master::notes master", "|"}));
}

TEST(PptAllText, AlternativeTextRightAfterWhatTheShapeShows) {
    struct Row {
        const char* what;
        PptShape shape;
        Texts expected;
    };
    const std::vector<Row> rows{
        {"a text box",
         named(PptShape::textBox(u"text"), u"Box", u"a@example.com"),
         {"shape:Box:text", "alt:Box:a@example.com"}},
        {"a picture, which shows no text",
         named(PptShape::of(Kind::Picture), u"Logo", u"b@example.com"),
         {"alt:Logo:b@example.com"}},
        {"a group: after its members, each with its own",
         named(PptShape::of(Kind::Group, {named(PptShape::textBox(u"member"), u"In", u"c@example.com"),
                                          PptShape::textBox(u"last")}),
               u"G", u"d@example.com"),
         {"group:In:member", "alt:In:c@example.com", "group::last", "alt:G:d@example.com"}},
        {"a table: after its cells",
         named(PptShape::of(Kind::Table, {PptShape::textBox(u"cell")}), u"T", u"e"),
         {"table:T:cell", "alt:T:e"}},
    };
    for (const Row& row : rows) {
        PptDeck deck;
        deck.slides = {PptSlide{{row.shape}, {}, false, {}, {}, {}, {}}};
        EXPECT_EQ(slideTexts(readAllText(test::BuildPpt(deck))), row.expected) << row.what;
    }
    // On a notes page it counts as notes.
    PptDeck deck = oneSlide();
    deck.notesShapes[0] = {named(PptShape::of(Kind::Picture), u"P", u"f@example.com")};
    EXPECT_EQ(slideTexts(readAllText(test::BuildPpt(deck))),
              (Texts{"shape::slide", "notes:P:f@example.com"}));
}

TEST(PptAllText, LinksOfNotesPagesAfterTheirTextBeforeTheComments) {
    struct Row {
        const char* what;
        std::vector<PptShape> notes;
        Texts expected;
    };
    const auto link = [](std::u16string text, std::uint32_t id, bool onText) {
        PptShape shape = PptShape::textBox(std::move(text));
        shape.linkId = id;
        shape.linkOnText = onText;
        return shape;
    };
    const std::vector<Row> rows{
        {"a click on a shape",
         {link(u"one", 1, false), PptShape::textBox(u"two")},
         {"notes::one", "notes::two", "link::a@example.com"}},
        {"a link on the text", {link(u"write", 1, true)}, {"notes::write", "link::a@example.com"}},
        {"each link once, in the order first used, none for an unknown id",
         {link(u"x", 2, true), link(u"y", 1, false), link(u"z", 2, false), link(u"lost", 9, false)},
         {"notes::x", "notes::y", "notes::z", "notes::lost", "link::b@example.com", "link::a@example.com"}},
    };
    for (const Row& row : rows) {
        PptDeck deck;
        deck.slides = {PptSlide{{PptShape::textBox(u"slide")}, {}, false, {}, {}, {u"comment"}, {}}};
        deck.notesShapes[0] = row.notes;
        deck.hyperlinks = {{1, u"mailto:a@example.com"}, {2, u"mailto:b@example.com"}};
        Texts expected{"shape::slide"};
        expected.insert(expected.end(), row.expected.begin(), row.expected.end());
        expected.push_back("comment::comment");
        EXPECT_EQ(slideTexts(readAllText(test::BuildPpt(deck))), expected) << row.what;
    }
    // A text link kept in the slide list, on a placeholder's text, is one of
    // the slide's links.
    PptDeck deck = oneSlide();
    deck.slides[0].outline = {u"Title"};
    deck.slides[0].shapes.push_back(PptShape::placeholder(0));
    deck.outlineLinks[{0, 0}] = 1;
    deck.hyperlinks = {{1, u"mailto:t@example.com"}};
    EXPECT_EQ(slideTexts(readAllText(test::BuildPpt(deck))),
              (Texts{"shape::slide", "shape::Title", "link::t@example.com"}));
}

} // namespace
} // namespace orv
