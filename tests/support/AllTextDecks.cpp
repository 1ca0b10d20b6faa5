#include "support/AllTextDecks.h"

#include "support/CompoundFileBuilder.h"
#include "support/OfficeDocuments.h"
#include "support/PptBuilder.h"
#include "support/PptxBuilder.h"

namespace orv::test {

namespace {

using Kind = PptShape::Kind;

constexpr std::string_view kNs =
    R"( xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main")"
    R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")"
    R"( xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main")";
constexpr std::string_view kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string rels(const std::vector<std::string>& entries) {
    std::string out =
        R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
    for (const auto& e : entries)
        out += e;
    return out + "</Relationships>";
}

std::string rel(std::string_view id, std::string_view type, std::string_view target, bool external = false) {
    return "<Relationship Id=\"" + std::string(id) + "\" Type=\"" + std::string(kRel) + std::string(type) +
           "\" Target=\"" + std::string(target) + "\"" + (external ? " TargetMode=\"External\"" : "") + "/>";
}

std::string paragraphs(std::string_view text) {
    return "<a:p><a:r><a:t>" + std::string(text) + "</a:t></a:r></a:p>";
}

} // namespace

// A package whose slide holds something in every place the mode reads, each
// with its own address, out of order in the markup where order matters.
std::string PackageWithEveryPlace(const std::function<void(PptxBuilder&)>& change) {
    PptxBuilder b;
    auto& s = b.addSlide();
    s.addTextBox({"shape1@example.com"});
    s.addGroup({"group1@example.com", "group2@example.com"});
    s.addTable({{"cell11@example.com", "cell12@example.com"}, {"cell21@example.com"}});
    s.addRawXml(R"(<p:sp><p:nvSpPr><p:cNvPr id="40" name="Linked"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr><p:spPr/>)"
                R"(<p:txBody><a:bodyPr/><a:p><a:r><a:rPr><a:hlinkClick r:id="rIdL"/></a:rPr>)"
                R"(<a:t>Write to us</a:t></a:r></a:p></p:txBody></p:sp>)");
    s.addRawXml(
        R"(<p:graphicFrame><p:nvGraphicFramePr><p:cNvPr id="41" name="Diagram"/><p:cNvGraphicFramePr/>)"
        R"(<p:nvPr/></p:nvGraphicFramePr><p:xfrm/><a:graphic><a:graphicData )"
        R"(uri="http://schemas.openxmlformats.org/drawingml/2006/diagram"><dgm:relIds )"
        R"(xmlns:dgm="http://schemas.openxmlformats.org/drawingml/2006/diagram" r:dm="rIdD" r:lo="x"/>)"
        R"(</a:graphicData></a:graphic></p:graphicFrame>)");
    s.addRawXml(
        WithAltText(TextBoxXml({"shape2@example.com"}, s.nextShapeId()), "Contact", "alt@example.com"));
    s.addChart({"chart@example.com", {"north@example.com", "South"}, {"series@example.com"}});
    b.master().addPlaceholder({"master@example.com"}, "ftr");
    b.layout(1).addPlaceholder({"layout@example.com"}, "ftr");
    b.notesMaster().addTextBox({"notesmaster@example.com"});
    b.handoutMaster().addTextBox({"handout@example.com"});
    b.setPart("ppt/slides/_rels/slide1.xml.rels",
              rels({rel("rIdC2", "comments", "../comments/modern1.xml"),
                    rel("rId2", "chart", "../charts/chart_slide1_1.xml"),
                    rel("rIdL", "hyperlink", "MAILTO:link%40example.com?subject=Hi", true),
                    rel("rIdN", "notesSlide", "../notesSlides/notesSlide1.xml"),
                    rel("rIdD", "diagramData", "../diagrams/data1.xml")}));
    b.setPart("ppt/notesSlides/notesSlide1.xml",
              "<p:notes" + std::string(kNs) +
                  R"(><p:cSld><p:spTree><p:sp><p:nvSpPr><p:cNvPr id="3" name="TextBox 3"/><p:cNvSpPr/>)"
                  R"(<p:nvPr/></p:nvSpPr><p:spPr/><p:txBody><a:bodyPr/><a:p><a:r><a:rPr>)"
                  R"(<a:hlinkClick r:id="rIdNL"/></a:rPr><a:t>notes@example.com</a:t></a:r></a:p></p:txBody>)"
                  "</p:sp></p:spTree></p:cSld></p:notes>");
    b.setPart("ppt/notesSlides/_rels/notesSlide1.xml.rels",
              rels({rel("rIdNL", "hyperlink", "mailto:noteslink@example.com", true)}));
    b.setPart("ppt/diagrams/data1.xml",
              R"(<dgm:dataModel xmlns:dgm="http://schemas.openxmlformats.org/drawingml/2006/diagram")" +
                  std::string(kNs.substr(0, kNs.find(" xmlns:r"))) +
                  "><dgm:ptLst><dgm:pt><dgm:t><a:bodyPr/>" + paragraphs("diagram@example.com") +
                  "</dgm:t></dgm:pt><dgm:pt type=\"parTrans\"/></dgm:ptLst></dgm:dataModel>");
    b.setPart("ppt/comments/modern1.xml",
              R"(<p188:cmLst xmlns:p188="http://schemas.microsoft.com/office/powerpoint/2018/8/main")" +
                  std::string(kNs.substr(0, kNs.find(" xmlns:r"))) + "><p188:cm><p188:txBody><a:bodyPr/>" +
                  paragraphs("modern@example.com") +
                  "</p188:txBody><p188:replyLst><p188:reply><p188:txBody>" + paragraphs("reply@example.com") +
                  "</p188:txBody></p188:reply></p188:replyLst></p188:cm></p188:cmLst>");
    // The older comment list, on a second slide, beside an ordinary shape.
    auto& second = b.addSlide();
    second.addTextBox({"second@example.com"});
    // A newer chart (a sunburst), shown as the presentation application
    // writes it: in alternate content whose fallback is a plain shape.
    second.addRawXml(
        R"(<mc:AlternateContent><mc:Choice Requires="cx1" )"
        R"(xmlns:cx1="http://schemas.microsoft.com/office/drawing/2015/9/8/chartex"><p:graphicFrame>)"
        R"(<p:nvGraphicFramePr><p:cNvPr id="50" name="Sunburst"/><p:cNvGraphicFramePr/><p:nvPr/>)"
        R"(</p:nvGraphicFramePr><p:xfrm/><a:graphic><a:graphicData )"
        R"(uri="http://schemas.microsoft.com/office/drawing/2014/chartex"><cx:chart )"
        R"(xmlns:cx="http://schemas.microsoft.com/office/drawing/2014/chartex" r:id="rIdX"/>)"
        R"(</a:graphicData></a:graphic></p:graphicFrame></mc:Choice><mc:Fallback><p:sp><p:nvSpPr>)"
        R"(<p:cNvPr id="50" name="Sunburst"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr><p:spPr/></p:sp>)"
        R"(</mc:Fallback></mc:AlternateContent>)");
    b.setPart("ppt/charts/chartEx1.xml",
              R"(<cx:chartSpace xmlns:cx="http://schemas.microsoft.com/office/drawing/2014/chartex">)"
              R"(<cx:chartData><cx:data id="0"><cx:strDim type="cat"><cx:f>Sheet1!$A$2:$A$3</cx:f>)"
              R"(<cx:lvl ptCount="2"><cx:pt idx="0">east@example.com</cx:pt><cx:pt idx="1">West</cx:pt>)"
              R"(</cx:lvl></cx:strDim><cx:numDim type="size"><cx:lvl ptCount="2"><cx:pt idx="0">1</cx:pt>)"
              R"(<cx:pt idx="1">2</cx:pt></cx:lvl></cx:numDim></cx:data></cx:chartData><cx:chart>)"
              R"(<cx:title><cx:tx><cx:txData><cx:v>sunburst@example.com</cx:v></cx:txData></cx:tx>)"
              R"(</cx:title><cx:plotArea><cx:plotAreaRegion><cx:series layoutId="sunburst"><cx:tx>)"
              R"(<cx:txData><cx:f>Sheet1!$B$1</cx:f><cx:v>cxseries@example.com</cx:v></cx:txData></cx:tx>)"
              R"(<cx:dataId val="0"/></cx:series></cx:plotAreaRegion></cx:plotArea></cx:chart>)"
              R"(</cx:chartSpace>)");
    // A workbook and a text document embedded on it.
    Workbook book;
    book.sharedStrings = {"<t>sheet@example.com</t>"};
    book.sheets = {{"Sheet1", RowXml({SharedStringCell("A1", 0)})}};
    WordDocument letter;
    letter.body = WordParagraph("word@example.com");
    second.addEmbedded("Sheet.xlsx", ZipBytes(WorkbookEntries(book)))
        .addEmbedded("Letter.docx", ZipBytes(WordDocumentEntries(letter)));
    b.setPart("ppt/slides/_rels/slide2.xml.rels",
              rels({rel("rIdC", "comments", "../comments/comment1.xml"),
                    rel("rId2", "package", "../embeddings/Sheet.xlsx"),
                    rel("rId3", "package", "../embeddings/Letter.docx"),
                    "<Relationship Id=\"rIdX\" Type=\"http://schemas.microsoft.com/office/2014/relationships/"
                    "chartEx\" Target=\"../charts/chartEx1.xml\"/>"}));
    b.setPart("ppt/comments/comment1.xml", "<p:cmLst" + std::string(kNs) +
                                               "><p:cm authorId=\"0\"><p:pos x=\"1\" "
                                               "y=\"1\"/><p:text>old@example.com</p:text></p:cm></p:cmLst>");
    if (change)
        change(b);
    return b.bytes();
}

// The same places in a binary presentation. Diagrams are stored there as the
// groups they draw and charts as embedded objects, so those places have no
// counterpart; alternative text has no title there, a master's footer is
// kept in its headers and footers, not in a shape, and the workbook and the
// text document are OLE objects, the one compressed.
std::string BinaryWithEveryPlace(const std::function<void(PptStreams&)>& change) {
    PptDeck deck;
    PptSlide slide;
    PptShape first = PptShape::textBox(u"shape1@example.com");
    first.name = u"First";
    PptShape inGroup = PptShape::textBox(u"group1@example.com");
    inGroup.name = u"Inner";
    PptShape nested = PptShape::of(Kind::Group, {PptShape::textBox(u"group2@example.com")});
    PptShape table = PptShape::of(Kind::Table, {PptShape::textBox(u"cell11@example.com"),
                                                PptShape::textBox(u"cell12@example.com"),
                                                PptShape::textBox(u"cell21@example.com")});
    table.name = u"Table 5";
    PptShape linked = PptShape::textBox(u"Write to us");
    linked.linkId = 7;
    PptShape described = PptShape::textBox(u"shape2@example.com");
    described.description = u"alt@example.com";
    slide.shapes = {first, PptShape::of(Kind::Group, {inGroup, nested}), table, linked, described};
    PptShape notes = PptShape::textBox(u"notes@example.com");
    notes.linkId = 9;
    notes.linkOnText = true;
    deck.notesShapes[0] = {notes};
    slide.comments = {u"comment@example.com"};
    slide.footer = u"slidefooter@example.com"; // set on this slide alone
    deck.slides = {slide};
    deck.slides.push_back(PptSlide{{PptShape::textBox(u"second@example.com")}, {}, false, {}, {}, {}, {}});
    deck.hyperlinks = {{7, u"mailto:link@example.com?subject=Hi"},
                       {8, u"https://example.com/"},
                       {9, u"mailto:noteslink@example.com"}};
    // A master with a described picture and a footer (kept in its headers
    // and footers), the notes and handout masters with a text box each.
    PptShape logo = PptShape::of(Kind::Picture);
    logo.name = u"Logo";
    logo.description = u"masteralt@example.com";
    deck.masters = {PptMaster{{logo}, {}, u"master@example.com", false}};
    deck.notesMaster = PptMaster{{PptShape::textBox(u"notesmaster@example.com")}, {}, {}, false};
    deck.handoutMaster = PptMaster{{PptShape::textBox(u"handout@example.com")}, {}, {}, false};
    Workbook book;
    book.sharedStrings = {"<t>sheet@example.com</t>"};
    book.sheets = {{"Sheet1", RowXml({SharedStringCell("A1", 0)})}};
    WordDocument letter;
    letter.body = WordParagraph("word@example.com");
    const auto storage = [](const std::string& package) {
        return CompoundFileBuilder().addStream(u"Package", package).build();
    };
    deck.oleObjects = {PptOleObject::compressed(1, u"Worksheet", storage(ZipBytes(WorkbookEntries(book)))),
                       PptOleObject::stored(2, u"Document", storage(ZipBytes(WordDocumentEntries(letter))))};
    PptStreams streams = BuildPptStreams(deck);
    if (change)
        change(streams);
    return PackPpt(streams);
}

OdpBuilder OpenDocumentWithEveryPlace() {
    OdpBuilder b;
    auto& s = b.addSlide();
    s.addComment({"modern@example.com"});
    s.addRawXml(
        "<presentation:notes><draw:page-thumbnail/>" + OdfTextBoxXml({"notes@example.com"}) +
        R"(<draw:custom-shape><text:p><text:a xlink:href="mailto:noteslink@example.com">Mail us</text:a>)"
        "</text:p></draw:custom-shape></presentation:notes>");
    s.addRawXml(OdfTextBoxXml({"shape1@example.com"}, "TextBox 1"));
    s.addRawXml(OdfGroupXml({OdfTextBoxXml({"group1@example.com"}, "Inner"),
                             OdfGroupXml({OdfTextBoxXml({"group2@example.com"}, "Deep")})},
                            "Group"));
    s.addRawXml(
        OdfTableXml({{"cell11@example.com", "cell12@example.com"}, {"cell21@example.com"}}, "Table 1"));
    // Alternative text and a click action before the text, as the office
    // application writes them.
    s.addRawXml(R"(<draw:custom-shape draw:name="Linked">)" + OdfAltTextXml("Contact", "alt@example.com") +
                OdfClickXml("mailto:click@example.com") +
                R"(<text:p><text:a xlink:type="simple" )"
                R"(xlink:href="MAILTO:link%40example.com?subject=Hi">Write to us</text:a></text:p>)"
                R"(</draw:custom-shape>)");
    s.addRawXml(OdfObjectFrameXml(
        b.addObject(
            {OdfChartBodyXml({"chart@example.com", {"north@example.com", "South"}, {"series@example.com"}})}),
        "Chart 1"));
    s.addRawXml(R"(<draw:a xlink:type="simple" xlink:href="mailto:shapelink@example.com">)" +
                OdfTextBoxXml({"shape2@example.com"}, "Wrapped") + "</draw:a>");
    s.addComment({"old@example.com"}, false);
    s.setFooter("slidefooter@example.com");
    auto& second = b.addSlide();
    second.addRawXml(OdfTextBoxXml({"second@example.com"}, "TextBox 2"));
    second.addRawXml(
        R"(<draw:custom-shape><text:p><text:a xlink:href="mailto:dup@example.com">one</text:a> and )"
        R"(<text:a xlink:href="https://example.com/">web</text:a> and )"
        R"(<text:a xlink:href="mailto:dup@example.com">two</text:a></text:p></draw:custom-shape>)");
    b.addMasterPage("Default")
        .addEmptyPlaceholder("title", "Click to add Title")
        .addRawXml(R"(<draw:frame draw:name="Footer" presentation:class="footer"><draw:text-box>)"
                   R"(<text:p>footer@example.com</text:p></draw:text-box></draw:frame>)");
    return b;
}

} // namespace orv::test
