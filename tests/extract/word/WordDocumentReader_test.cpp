// Text documents as a deck embeds them: one text per paragraph, part by
// part (body, headers, footers, notes, comments), then the part's mailto:
// links; damaged and hostile documents refused by kind.
#include "extract/word/WordDocumentReader.h"
#include "support/OfficeDocuments.h"
#include "support/PptxBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv {
namespace {

using test::WordDocument;
using test::WordDocumentEntries;
using test::WordParagraph;
using Lines = std::vector<std::string>;

std::string bytesOf(const WordDocument& document) {
    return test::ZipBytes(WordDocumentEntries(document));
}

std::string withPart(const WordDocument& document, const std::string& name, std::string bytes) {
    return test::ZipBytes(test::WithPart(WordDocumentEntries(document), name, std::move(bytes)));
}

std::string run(std::string_view content) {
    return "<w:r>" + std::string(content) + "</w:r>";
}

// Runs of every kind inside one paragraph, deleted text and a field's
// instruction among them.
const std::string kRuns =
    "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>" +
    run("<w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t><w:cr/>") + "<w:hyperlink r:id=\"link1\">" +
    run("<w:t>link</w:t>") + "</w:hyperlink>" + "<w:fldSimple w:instr=\" PAGE \">" + run("<w:t>7</w:t>") +
    "</w:fldSimple>" + "<w:smartTag w:uri=\"u\" w:element=\"e\">" + run("<w:t>tag</w:t>") + "</w:smartTag>" +
    "<w:sdt><w:sdtPr><w:alias w:val=\"x\"/></w:sdtPr><w:sdtContent>" + run("<w:t>ctl</w:t>") +
    "</w:sdtContent></w:sdt>" + "<w:del w:id=\"1\" w:author=\"A\">" + run("<w:delText>gone</w:delText>") +
    "</w:del><w:ins w:id=\"2\" w:author=\"A\">" + run("<w:t xml:space=\"preserve\"> new</w:t>") + "</w:ins>" +
    run("<w:fldChar w:fldCharType=\"begin\"/>") + run("<w:instrText> DATE </w:instrText>") +
    run("<w:fldChar w:fldCharType=\"separate\"/>") + run("<w:t>day</w:t>") +
    run("<w:fldChar w:fldCharType=\"end\"/>") + "<w:hyperlink r:id=\"link1\">" + run("<w:t>again</w:t>") +
    "</w:hyperlink><w:hyperlink r:id=\"link2\">" + run("<w:t>web</w:t>") + "</w:hyperlink></w:p>";

// A table whose second cell holds a table.
const std::string kTable = "<w:tbl><w:tblPr/><w:tr><w:tc>" + WordParagraph("cell") +
                           "</w:tc><w:tc><w:tbl><w:tr><w:tc>" + WordParagraph("inner") +
                           "</w:tc></w:tr></w:tbl><w:p/></w:tc></w:tr></w:tbl>";

// A text box as a shape of the later drawing vocabulary, with the older
// drawing as the fallback: its paragraphs once, after the paragraph that
// holds it.
const std::string kTextBox =
    "<w:p>" + run("<w:t>before</w:t>") +
    run("<mc:AlternateContent "
        "xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\" "
        "xmlns:v=\"urn:schemas-microsoft-com:vml\"><mc:Choice Requires=\"wps\"><w:drawing><wps:wsp><wps:txbx>"
        "<w:txbxContent>" +
        WordParagraph("boxed") +
        "</w:txbxContent></wps:txbx></wps:wsp></w:drawing></mc:Choice><mc:Fallback><w:pict><v:shape>"
        "<v:textbox><w:txbxContent>" +
        WordParagraph("boxed") +
        "</w:txbxContent></v:textbox></v:shape></w:pict></mc:Fallback>"
        "</mc:AlternateContent>") +
    run("<w:t xml:space=\"preserve\"> after</w:t>") + "</w:p>";

// `depth` tables, each in the only cell of the one around it.
std::string deepTable(std::size_t depth) {
    std::string body;
    for (std::size_t i = 0; i < depth; ++i)
        body += "<w:tbl><w:tr><w:tc>";
    body += WordParagraph("deep");
    for (std::size_t i = 0; i < depth; ++i)
        body += "</w:tc></w:tr></w:tbl>";
    return bytesOf({body});
}

std::string part(std::string_view root, const std::string& content) {
    return "<w:" + std::string(root) +
           " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">" + content +
           "</w:" + std::string(root) + ">";
}

struct Case {
    const char* name;
    std::string bytes;
    Lines expected;
};

TEST(WordDocumentReader, ReadsEachPartsParagraphs) {
    WordDocument body{kRuns + kTable + kTextBox + WordParagraph("last")};
    body.links = {"mailto:someone%40example.com?subject=hi", "https://example.com/"};
    WordDocument parts{WordParagraph("body")};
    parts.headers = {WordParagraph("first header"), WordParagraph("second header")};
    parts.footers = {WordParagraph("footer")};
    parts.footnotes = "<w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/></w:r></w:p>"
                      "</w:footnote><w:footnote w:id=\"1\">" +
                      WordParagraph("footnote") + "</w:footnote>";
    parts.endnotes = "<w:endnote w:id=\"1\">" + WordParagraph("endnote") + "</w:endnote>";
    parts.comments = "<w:comment w:id=\"0\" w:author=\"A\">" + WordParagraph("comment") + "</w:comment>";
    WordDocument strict{WordParagraph("strict")};
    strict.strict = true;
    WordDocument headerLink{WordParagraph("body")};
    headerLink.headers = {"<w:p><w:hyperlink r:id=\"x\">" + run("<w:t>h</w:t>") + "</w:hyperlink></w:p>"};

    const Case cases[] = {
        {"runs, tables and text boxes",
         bytesOf(body),
         {"1|shape|word/document.xml|a\tb\vc\vlink7tagctl newdayagainweb", "1|shape|word/document.xml|cell",
          "1|shape|word/document.xml|inner", "1|shape|word/document.xml|before after",
          "1|shape|word/document.xml|boxed", "1|shape|word/document.xml|last",
          "1|link|word/document.xml|someone@example.com"}},
        {"parts in order",
         bytesOf(parts),
         {"1|shape|word/document.xml|body", "2|shape|word/header2.xml|first header",
          "3|shape|word/header1.xml|second header", "4|shape|word/footer1.xml|footer",
          "5|shape|word/footnotes.xml|footnote", "6|shape|word/endnotes.xml|endnote",
          "7|shape|word/comments.xml|comment"}},
        {"strict namespaces", bytesOf(strict), {"1|shape|word/document.xml|strict"}},
        {"empty document", bytesOf({}), {}},
        {"header missing",
         test::ZipBytes(test::WithoutPart(WordDocumentEntries(parts), "word/header1.xml")),
         {"1|shape|word/document.xml|body", "2|shape|word/header2.xml|first header", "failed|damaged"}},
        {"header is a footer",
         withPart(parts, "word/header2.xml", part("ftr", WordParagraph("x"))),
         {"1|shape|word/document.xml|body", "failed|damaged"}},
        {"footnotes not well-formed",
         withPart(parts, "word/footnotes.xml", "<w:footnotes"),
         {"1|shape|word/document.xml|body", "2|shape|word/header2.xml|first header",
          "3|shape|word/header1.xml|second header", "4|shape|word/footer1.xml|footer", "failed|damaged"}},
        {"a header's damaged relationships skip its links",
         withPart(headerLink, "word/_rels/header1.xml.rels", "<Relationships"),
         {"1|shape|word/document.xml|body", "2|shape|word/header1.xml|h",
          "2|skipped|word/header1.xml, links|damaged"}},
        {"main document not well-formed",
         withPart(parts, "word/document.xml", "<w:document"),
         {"failed|damaged"}},
        {"a workbook", test::ZipBytes(test::WorkbookEntries({})), {"failed|not a presentation"}},
        {"tables nested 50,000 deep", deepTable(50'000), {"1|shape|word/document.xml|deep"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::ReadLines(word::kFormat, c.bytes), c.expected) << c.name;
}

} // namespace
} // namespace orv
