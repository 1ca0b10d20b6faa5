// The "all text" mode reads the documents a deck embeds, after its masters
// and layouts: each once, in the order the deck refers to them, within the
// bounds on embedded documents; what it cannot read is skipped and named.
#include "extract/PresentationReader.h"
#include "extract/common/ReadLimits.h"
#include "extract/sheet/WorkbookReader.h"
#include "extract/word/WordDocumentReader.h"
#include "support/OfficeDocuments.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv {
namespace {

using test::BytesOf;
using test::PptxBuilder;

// A deck of one slide holding `text`.
std::string deckWith(const std::string& text) {
    PptxBuilder b;
    b.addSlide().addTextBox({text});
    return b.bytes();
}

TEST(EmbeddedDocuments, ReadOnceInOrderWithinTheirBounds) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> texts;   // "slide:place:name:text"
        std::vector<std::string> skipped; // "part: description", their beginnings
    };
    // Two decks on two slides, the first referred to again by the second
    // slide and by the master: each read once, in the order first met.
    PptxBuilder two;
    two.addSlide().addTextBox({"outer@example.com"}).addEmbedded("a.pptx", deckWith("a@example.com"));
    two.addSlide()
        .addEmbedded("b.pptx", deckWith("b@example.com"))
        .addEmbeddedReference("ppt/embeddings/a.pptx");
    two.master().addEmbeddedReference("ppt/embeddings/a.pptx");
    // A deck within a deck within a deck within a deck: the third level is
    // not read, and is named.
    std::string nested = deckWith("level3@example.com");
    for (const char* level : {"level2@example.com", "level1@example.com"}) {
        PptxBuilder b;
        b.addSlide().addTextBox({level}).addEmbedded("inner.pptx", nested);
        nested = b.bytes();
    }
    PptxBuilder deep;
    deep.addSlide().addEmbedded("outer.pptx", nested);
    // What is of no kind read stays unread; what is damaged or too large is
    // skipped.
    PptxBuilder odd;
    odd.addSlide()
        .addEmbedded("image.png", std::string("\x89PNG\r\n\x1A\n", 8) + std::string(504, '\0'))
        .addEmbedded("cut.pptx", deckWith("cut@example.com").substr(0, 200))
        .addEmbedded("bomb.pptx", std::string(limits::kMaxEmbeddedSize + 1, 'x'))
        .addEmbedded("fine.pptx", deckWith("fine@example.com"));
    // A workbook and a text document, each with its address.
    test::Workbook book;
    book.sharedStrings = {"<t>shared@example.com</t>"};
    book.sheets = {{"Names", test::RowXml({test::SharedStringCell("A1", 0),
                                           test::InlineStringCell("B1", "inline@example.com")})}};
    test::WordDocument letter;
    letter.body = test::WordParagraph("body@example.com");
    letter.footers = {test::WordParagraph("footer@example.com")};
    PptxBuilder office;
    office.addSlide()
        .addEmbedded("Sheet.xlsx", test::ZipBytes(test::WorkbookEntries(book)))
        .addEmbedded("Letter.docx", test::ZipBytes(test::WordDocumentEntries(letter)));
    PptxBuilder many;
    for (std::size_t i = 0; i <= limits::kMaxEmbeddedDocuments; ++i)
        many.addSlide().addEmbedded("d" + std::to_string(i) + ".pptx",
                                    deckWith(std::to_string(i) + "@example.com"));

    std::vector<std::string> manyTexts;
    for (std::size_t i = 0; i < limits::kMaxEmbeddedDocuments; ++i)
        manyTexts.push_back("0:embedded:ppt/embeddings/d" + std::to_string(i) + ".pptx:" + std::to_string(i) +
                            "@example.com");
    const std::vector<Case> cases{
        {"decks on two slides and the master",
         two.bytes(),
         {"1:shape:TextBox 2:outer@example.com", "0:embedded:ppt/embeddings/a.pptx:a@example.com",
          "0:embedded:ppt/embeddings/b.pptx:b@example.com"},
         {}},
        {"a workbook and a text document",
         office.bytes(),
         {"0:embedded:ppt/embeddings/Sheet.xlsx:shared@example.com",
          "0:embedded:ppt/embeddings/Sheet.xlsx:inline@example.com",
          "0:embedded:ppt/embeddings/Letter.docx:body@example.com",
          "0:embedded:ppt/embeddings/Letter.docx:footer@example.com"},
         {}},
        {"nesting past two levels",
         deep.bytes(),
         {"0:embedded:ppt/embeddings/outer.pptx:level1@example.com",
          "0:embedded:ppt/embeddings/outer.pptx:level2@example.com"},
         {"ppt/embeddings/outer.pptx, ppt/embeddings/inner.pptx, ppt/embeddings/inner.pptx: The presentation "
          "is "
          "too large to read safely: it nests embedded documents more than 2 deep"}},
        {"a picture, a damaged deck, a zip bomb",
         odd.bytes(),
         {"0:embedded:ppt/embeddings/fine.pptx:fine@example.com"},
         {"ppt/embeddings/cut.pptx: The file is damaged",
          "ppt/embeddings/bomb.pptx: The presentation looks like a zip bomb"}},
        {"more documents than a file may embed",
         many.bytes(),
         manyTexts,
         {"ppt/embeddings/d16.pptx: The presentation is too large to read safely: it embeds more than 16 "
          "documents in all"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto content = ReadPresentationBytes(BytesOf(c.bytes), ReadOptions{true});
        std::vector<std::string> texts;
        for (const auto& placed : test::HarvestedTexts(content))
            if (placed.text.find('@') != std::string::npos)
                texts.push_back(std::to_string(placed.slide) + ":" +
                                std::string(TextPlaceName(placed.place)) + ":" + placed.name + ":" +
                                placed.text);
        EXPECT_EQ(texts, c.texts);
        std::vector<std::string> skipped;
        for (const auto* pages : {&content.slides, &content.masterPages})
            for (const SlideContent& page : *pages)
                for (const SkippedPart& part : page.skipped)
                    skipped.push_back(part.part + ": " + part.description);
        ASSERT_EQ(skipped.size(), c.skipped.size()) << ::testing::PrintToString(skipped);
        for (std::size_t i = 0; i < skipped.size(); ++i)
            EXPECT_EQ(skipped[i].substr(0, c.skipped[i].size()), c.skipped[i]);
        // The default walk reads none of it.
        EXPECT_TRUE(ReadPresentationBytes(BytesOf(c.bytes)).masterPages.empty());
    }
}

// The formats read only inside decks bid on their own kind alone: by the
// main document's declared type, or by its root when the type is generic.
TEST(EmbeddedDocuments, EachFormatBidsOnItsOwnKindOnly) {
    test::Workbook workbook{{}, {{"S", test::RowXml({})}}};
    test::Workbook macroWorkbook = workbook;
    macroWorkbook.mainContentType = "application/vnd.ms-excel.sheet.macroEnabled.main+xml";
    test::Workbook genericWorkbook = workbook;
    genericWorkbook.mainContentType = "application/xml";
    test::WordDocument macroDocument;
    macroDocument.mainContentType = "application/vnd.ms-word.document.macroEnabled.main+xml";
    test::WordDocument genericDocument;
    genericDocument.mainContentType = "application/xml";
    PptxBuilder deck;
    deck.addSlide();
    const auto book = [](const test::Workbook& w) { return test::ZipBytes(test::WorkbookEntries(w)); };
    const auto document = [](const test::WordDocument& d) {
        return test::ZipBytes(test::WordDocumentEntries(d));
    };
    const struct {
        const char* name;
        std::string bytes;
        int workbookBid;
        int documentBid;
    } cases[] = {
        {"workbook", book(workbook), 2, 0},
        {"macro-enabled workbook", book(macroWorkbook), 2, 0},
        {"generic type, workbook root", book(genericWorkbook), 2, 0},
        {"text document", document({}), 0, 2},
        {"macro-enabled text document", document(macroDocument), 0, 2},
        {"generic type, document root", document(genericDocument), 0, 2},
        {"presentation", deck.bytes(), 0, 0},
        {"empty zip", test::ZipBytes({}), 0, 0},
        {"no zip, a workbook root", "<workbook/>", 0, 0},
        {"no zip, a document root", "<w:document/>", 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(test::BidOn(sheet::kFormat, c.bytes), c.workbookBid) << c.name;
        EXPECT_EQ(test::BidOn(word::kFormat, c.bytes), c.documentBid) << c.name;
    }
}

} // namespace
} // namespace orv
