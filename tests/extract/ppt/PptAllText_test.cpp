// What the "all text" mode reads of a binary presentation beyond its slides'
// shapes: the masters, alternative text, the links of notes pages and the
// documents its OLE objects hold.
#include "extract/PresentationReader.h"
#include "extract/common/ReadLimits.h"
#include "support/CompoundFileBuilder.h"
#include "support/OfficeDocuments.h"
#include "support/PptBuilder.h"
#include "support/PptxBuilder.h"
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

// Each OLE object is read once after the masters, as an embedded document
// named after its id and menu name, within the bounds on embedded documents;
// one that cannot be read is skipped and named, and the rest is read.
TEST(PptAllText, OleObjectsAsEmbeddedDocuments) {
    using test::PptOleObject;
    const auto storage = [](std::u16string stream, const std::string& bytes) {
        return test::CompoundFileBuilder().addStream(std::move(stream), bytes).build();
    };
    const auto pptx = [](const std::string& text) {
        test::PptxBuilder b;
        b.addSlide().addTextBox({text});
        return b.bytes();
    };
    test::Workbook book;
    book.sharedStrings = {"<t>sheet@example.com</t>"};
    book.sheets = {{"Names", test::RowXml({test::SharedStringCell("A1", 0)})}};
    const std::string xlsx = test::ZipBytes(test::WorkbookEntries(book));
    // The packager's stream: size, kind, label, path, two words, a temporary
    // path with its length, the file with its size.
    const std::string packaged = pptx("packaged@example.com");
    std::string native = std::string("\x02\x00", 2) + "deck.pptx" + '\0' + "C:\\deck.pptx" + '\0' +
                         std::string("\x00\x00\x03\x00", 4);
    test::AppendLe32(native, 4);
    native += std::string("C:\\t", 3) + '\0';
    test::AppendLe32(native, static_cast<std::uint32_t>(packaged.size()));
    native += packaged;
    std::string nativeStream;
    test::AppendLe32(nativeStream, static_cast<std::uint32_t>(native.size()));
    nativeStream += native;
    // A binary presentation as an object: its streams in the object's storage.
    const auto pptStorage = [](std::vector<PptOleObject> objects, std::u16string text) {
        PptDeck deck;
        deck.slides = {PptSlide{{PptShape::textBox(std::move(text))}, {}, false, {}, {}, {}, {}}};
        deck.oleObjects = std::move(objects);
        return test::BuildPpt(deck);
    };

    PptOleObject damagedZlib = PptOleObject::compressed(4, u"Worksheet", storage(u"Package", xlsx));
    damagedZlib.body.replace(8, 8, 8, '\xFF');
    PptOleObject oversize = PptOleObject::compressed(5, u"Worksheet", storage(u"Package", xlsx));
    test::PutLe32(oversize.body, 0, limits::kMaxEmbeddedSize + 1);
    PptOleObject bomb = PptOleObject::compressed(6, u"Worksheet", storage(u"Package", xlsx));
    test::PutLe32(bomb.body, 0, 8u << 20);
    PptOleObject linked =
        PptOleObject::stored(7, u"Presentation", storage(u"Package", pptx("link@example.com")));
    linked.link = true;
    std::vector<PptOleObject> many;
    Texts manyTexts;
    for (std::uint32_t i = 1; i <= limits::kMaxEmbeddedDocuments + 1; ++i) {
        many.push_back(
            PptOleObject::stored(i, {}, storage(u"Package", pptx(std::to_string(i) + "@example.com"))));
        if (i <= limits::kMaxEmbeddedDocuments)
            manyTexts.push_back("0:embedded:OLE object " + std::to_string(i) + ":" + std::to_string(i) +
                                "@example.com");
    }
    const std::string level2 =
        pptStorage({PptOleObject::stored(1, u"Slide", storage(u"Package", pptx("level3@example.com")))},
                   u"level2@example.com");

    struct Row {
        const char* what;
        std::vector<PptOleObject> objects;
        Texts texts;   // "slide:place:name:text" of the addresses
        Texts skipped; // "part: description", their beginnings
    };
    const std::vector<Row> rows{
        {"a package, compressed or not, a packaged file, a linked copy",
         {PptOleObject::compressed(1, u"Worksheet", storage(u"Package", xlsx)),
          PptOleObject::stored(2, {}, storage(u"Package", pptx("deck@example.com"))),
          PptOleObject::compressed(3, u"Package", storage(u"\u0001Ole10Native", nativeStream)), linked},
         {"0:embedded:OLE object 1 (Worksheet):sheet@example.com", "0:embedded:OLE object 2:deck@example.com",
          "0:embedded:OLE object 3 (Package):packaged@example.com",
          "0:embedded:OLE object 7 (Presentation):link@example.com"},
         {}},
        {"a workbook storage and an unknown document stay unread",
         {PptOleObject::stored(1, u"Worksheet", storage(u"Workbook", std::string(600, '\0'))),
          PptOleObject::stored(2, u"Image", storage(u"CONTENTS", "\x89PNG\r\n")),
          PptOleObject::stored(3, {}, storage(u"Package", pptx("after@example.com")))},
         {"0:embedded:OLE object 3:after@example.com"},
         {}},
        {"a damaged stream, an object too large, a bomb, a storage that is none",
         {damagedZlib, oversize, bomb, PptOleObject::stored(8, {}, "not a compound file"),
          PptOleObject::compressed(9, {}, storage(u"Package", pptx("rest@example.com")))},
         {"0:embedded:OLE object 9:rest@example.com"},
         {"OLE object 4 (Worksheet): The presentation is damaged: the compressed storage of an embedded "
          "object",
          "OLE object 5 (Worksheet): The presentation is too large to read safely: an embedded object is "
          "larger "
          "than 16 MiB",
          "OLE object 6 (Worksheet): The presentation is too large to read safely: an embedded object looks "
          "like a zip bomb",
          "OLE object 8: The file is damaged"}},
        {"presentations within presentations, past two levels",
         {PptOleObject::compressed(
             1, u"Slide", pptStorage({PptOleObject::stored(1, u"Slide", level2)}, u"level1@example.com"))},
         {"0:embedded:OLE object 1 (Slide):level1@example.com",
          "0:embedded:OLE object 1 (Slide):level2@example.com"},
         {"OLE object 1 (Slide), OLE object 1 (Slide), OLE object 1 (Slide): The presentation is too large "
          "to "
          "read safely: it nests embedded documents more than 2 deep"}},
        {"more documents than a file may embed",
         many,
         manyTexts,
         {"OLE object 17: The presentation is too large to read safely: it embeds more than 16 documents"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PptDeck deck = oneSlide();
        deck.masters = {PptMaster{{PptShape::textBox(u"master")}, {}, {}, false}};
        deck.oleObjects = row.objects;
        const std::string bytes = test::BuildPpt(deck);
        const auto content = readAllText(bytes);
        Texts texts;
        for (const auto& placed : test::HarvestedTexts(content))
            if (placed.text.find('@') != std::string::npos)
                texts.push_back(std::to_string(placed.slide) + ":" +
                                std::string(TextPlaceName(placed.place)) + ":" + placed.name + ":" +
                                placed.text);
        EXPECT_EQ(texts, row.texts);
        // The master first, then one page an object.
        ASSERT_EQ(content.masterPages.size(), 1 + row.objects.size());
        EXPECT_EQ(describe(content.masterPages[0].allText.at(0)), "master::master");
        Texts skipped;
        for (const SlideContent& page : content.masterPages)
            for (const SkippedPart& part : page.skipped)
                skipped.push_back(part.part + ": " + part.description);
        ASSERT_EQ(skipped.size(), row.skipped.size()) << ::testing::PrintToString(skipped);
        for (std::size_t i = 0; i < skipped.size(); ++i)
            EXPECT_EQ(skipped[i].substr(0, row.skipped[i].size()), row.skipped[i]);
        // The default walk reads none of it.
        EXPECT_TRUE(ReadPresentationBytes(test::BytesOf(bytes)).masterPages.empty());
    }
}

} // namespace
} // namespace orv
