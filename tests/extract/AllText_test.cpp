// The "all text" mode of the readers: every place, the one harvest order,
// the group depth bound, and the default mode unchanged by it.
#include "base/Failure.h"
#include "extract/Harvest.h"
#include "extract/PresentationReader.h"
#include "extract/common/Uri.h"
#include "support/AllTextDecks.h"
#include "support/OdpBuilder.h"
#include "support/PptBuilder.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orv {
namespace {

using test::BytesOf;
using test::PptShape;
using Kind = PptShape::Kind;

// "place:name:text" for every text the harvest reads, slide by slide.
std::vector<std::string> harvestOrder(const std::string& bytes, bool allText) {
    std::vector<std::string> out;
    for (const auto& placed :
         test::HarvestedTexts(ReadPresentationBytes(BytesOf(bytes), ReadOptions{allText})))
        out.push_back(std::string(TextPlaceName(placed.place)) + ":" + placed.name + ":" + placed.text);
    return out;
}

TEST(AllText, PackageGivesEveryPlaceInTheOneOrder) {
    EXPECT_EQ(harvestOrder(test::PackageWithEveryPlace(), true),
              (std::vector<std::string>{"shape:TextBox 2:shape1@example.com",
                                        "group:TextBox 4:group1@example.com",
                                        "group:TextBox 5:group2@example.com",
                                        "table:Table 6:cell11@example.com",
                                        "table:Table 6:cell12@example.com",
                                        "table:Table 6:cell21@example.com",
                                        "shape:Linked:Write to us",
                                        "shape:TextBox 7:shape2@example.com",
                                        "alt:TextBox 7:Contact",
                                        "alt:TextBox 7:alt@example.com",
                                        "chart:Chart 8:chart@example.com",
                                        "chart:Chart 8:north@example.com",
                                        "chart:Chart 8:South",
                                        "chart:Chart 8:series@example.com",
                                        "diagram:Diagram:diagram@example.com",
                                        "notes:TextBox 3:notes@example.com",
                                        "link::noteslink@example.com",
                                        "comment::modern@example.com",
                                        "comment::reply@example.com",
                                        "link::link@example.com",
                                        "shape:TextBox 2:second@example.com",
                                        "chart:Sunburst:sunburst@example.com",
                                        "chart:Sunburst:east@example.com",
                                        "chart:Sunburst:West",
                                        "chart:Sunburst:cxseries@example.com",
                                        "comment::old@example.com",
                                        "master:Placeholder 2:master@example.com",
                                        "layout:Placeholder 2:layout@example.com",
                                        "master:TextBox 2:notesmaster@example.com",
                                        "master:TextBox 2:handout@example.com",
                                        "embedded:ppt/embeddings/Sheet.xlsx:sheet@example.com",
                                        "embedded:ppt/embeddings/Letter.docx:word@example.com"}));
}

TEST(AllText, BinaryGivesEveryPlaceInTheOneOrder) {
    EXPECT_EQ(harvestOrder(test::BinaryWithEveryPlace(), true),
              (std::vector<std::string>{"shape:First:shape1@example.com",
                                        "group:Inner:group1@example.com",
                                        "group::group2@example.com",
                                        "table:Table 5:cell11@example.com",
                                        "table:Table 5:cell12@example.com",
                                        "table:Table 5:cell21@example.com",
                                        "shape::Write to us",
                                        "shape::shape2@example.com",
                                        "alt::alt@example.com",
                                        "shape::slidefooter@example.com",
                                        "notes::notes@example.com",
                                        "link::noteslink@example.com",
                                        "comment::comment@example.com",
                                        "link::link@example.com",
                                        "shape::second@example.com",
                                        "master:Logo:masteralt@example.com",
                                        "master::master@example.com",
                                        "master::notesmaster@example.com",
                                        "master::handout@example.com",
                                        "embedded:OLE object 1 (Worksheet):sheet@example.com",
                                        "embedded:OLE object 2 (Document):word@example.com"}));
}

TEST(AllText, OpenDocumentGivesEveryPlaceInTheOneOrder) {
    const auto deck = test::OpenDocumentWithEveryPlace();
    for (const std::string& bytes : {deck.bytes(), deck.flatBytes()})
        EXPECT_EQ(harvestOrder(bytes, true), (std::vector<std::string>{"shape:TextBox 1:shape1@example.com",
                                                                       "group:Inner:group1@example.com",
                                                                       "group:Deep:group2@example.com",
                                                                       "table:Table 1:cell11@example.com",
                                                                       "table:Table 1:cell12@example.com",
                                                                       "table:Table 1:cell21@example.com",
                                                                       "shape:Linked:Write to us",
                                                                       "alt:Linked:Contact",
                                                                       "alt:Linked:alt@example.com",
                                                                       "chart:Chart 1:chart@example.com",
                                                                       "chart:Chart 1:series@example.com",
                                                                       "chart:Chart 1:north@example.com",
                                                                       "chart:Chart 1:South",
                                                                       "shape:Wrapped:shape2@example.com",
                                                                       "shape::slidefooter@example.com",
                                                                       "notes::notes@example.com",
                                                                       "notes::Mail us",
                                                                       "link::noteslink@example.com",
                                                                       "comment::modern@example.com",
                                                                       "comment::old@example.com",
                                                                       "link::click@example.com",
                                                                       "link::link@example.com",
                                                                       "link::shapelink@example.com",
                                                                       "shape:TextBox 2:second@example.com",
                                                                       "shape::one and web and two",
                                                                       "link::dup@example.com",
                                                                       "master:Footer:footer@example.com"}));
}

TEST(AllText, OffReadsTheTopLevelShapesAsBefore) {
    EXPECT_EQ(harvestOrder(test::PackageWithEveryPlace(), false),
              (std::vector<std::string>{"shape:TextBox 2:shape1@example.com", "shape:Linked:Write to us",
                                        "shape:TextBox 7:shape2@example.com",
                                        "shape:TextBox 2:second@example.com"}));
    EXPECT_EQ(harvestOrder(test::BinaryWithEveryPlace(), false),
              (std::vector<std::string>{"shape:First:shape1@example.com", "shape::Write to us",
                                        "shape::shape2@example.com", "shape::second@example.com"}));
    // OpenDocument shapes keep no name outside the mode, as before it.
    const auto odp = test::OpenDocumentWithEveryPlace();
    for (const std::string& bytes : {odp.bytes(), odp.flatBytes()})
        EXPECT_EQ(harvestOrder(bytes, false),
                  (std::vector<std::string>{"shape::shape1@example.com", "shape::Write to us",
                                            "shape::shape2@example.com", "shape::second@example.com",
                                            "shape::one and web and two"}));
    // The shapes the host answers for are the top-level ones in both modes.
    for (const std::string& bytes :
         {test::PackageWithEveryPlace(), test::BinaryWithEveryPlace(), odp.bytes(), odp.flatBytes()}) {
        const auto on = ReadPresentationBytes(BytesOf(bytes), ReadOptions{true});
        const auto off = ReadPresentationBytes(BytesOf(bytes));
        ASSERT_EQ(on.slides.size(), off.slides.size());
        for (std::size_t i = 0; i < on.slides.size(); ++i) {
            ASSERT_EQ(on.slides[i].shapes.size(), off.slides[i].shapes.size());
            for (std::size_t j = 0; j < on.slides[i].shapes.size(); ++j) {
                EXPECT_EQ(on.slides[i].shapes[j].text, off.slides[i].shapes[j].text);
                EXPECT_EQ(on.slides[i].shapes[j].name, off.slides[i].shapes[j].name);
                EXPECT_EQ(on.slides[i].shapes[j].hasTextFrame, off.slides[i].shapes[j].hasTextFrame);
            }
            EXPECT_FALSE(off.slides[i].allTextRead);
            EXPECT_TRUE(off.slides[i].allText.empty());
        }
    }
}

TEST(AllText, HarvestKeepsFirstOccurrenceAcrossPlaces) {
    // The address of the link is also in the notes: one row, from the notes.
    test::PptDeck deck;
    test::PptShape linked = PptShape::textBox(u"Write to us");
    linked.linkId = 1;
    deck.slides = {test::PptSlide{{linked}, {}, false, {}, {u"Mail LINK@example.com"}, {}, {}}};
    deck.hyperlinks = {{1, u"mailto:link@example.com"}};
    EXPECT_EQ(test::AddressesIn(ReadPresentationBytes(BytesOf(test::BuildPpt(deck)), ReadOptions{true})),
              std::vector<std::string>{"LINK@example.com"});
}

// One page's markup and what the mode reads of it, place by place.
TEST(AllText, OpenDocumentPlaces) {
    struct Case {
        const char* what;
        std::string page;
        std::vector<std::string> expected;
        std::vector<test::OdfObject> objects = {}; // "Object 1" first
        std::vector<std::string> masters = {};     // master pages "M1", "M2"...
        std::string handout = {};
    };
    const auto chart = [](std::string title) {
        return test::OdfObject{test::OdfChartBodyXml({std::move(title)})};
    };
    const auto linked = [](std::string_view address) {
        return R"(<text:p><text:a xlink:href="mailto:)" + std::string(address) + R"(">x</text:a></text:p>)";
    };
    const std::vector<Case> cases{
        {"a group's frames and shapes, a table among them",
         test::OdfGroupXml(
             {test::OdfTextBoxXml({"a@example.com"}, "A"),
              R"(<draw:custom-shape draw:name="B"><text:p>b@example.com</text:p></draw:custom-shape>)",
              test::OdfTableXml({{"c@example.com"}}, "T")},
             "G"),
         {"group:A:a@example.com", "group:B:b@example.com", "table:T:c@example.com"}},
        {"header rows, row groups, empty and covered cells",
         R"(<draw:frame draw:name="T"><table:table><table:table-header-rows><table:table-row>)"
         R"(<table:table-cell><text:p>head</text:p></table:table-cell></table:table-row></table:table-header-rows>)"
         R"(<table:table-row-group><table:table-rows><table:table-row><table:table-cell/>)"
         R"(<table:covered-table-cell><text:p>hidden</text:p></table:covered-table-cell><table:table-cell>)"
         R"(<text:list><text:list-item><text:p>one</text:p></text:list-item></text:list><text:p>two</text:p>)"
         R"(</table:table-cell></table:table-row></table:table-rows></table:table-row-group></table:table>)"
         R"(</draw:frame>)",
         {"table:T:head", "table:T:one\rtwo"}},
        {"a frame showing a picture before its table is no table",
         R"(<draw:frame><draw:image/><table:table><table:table-row><table:table-cell><text:p>x</text:p>)"
         R"(</table:table-cell></table:table-row></table:table></draw:frame>)",
         {}},
        {"notes: every shape, none of the prompt of an empty placeholder",
         R"(<presentation:notes><draw:page-thumbnail/><draw:frame presentation:class="notes" )"
         R"(presentation:placeholder="true"><draw:text-box><text:p>Click</text:p></draw:text-box></draw:frame>)" +
             test::OdfGroupXml({test::OdfTextBoxXml({"n1@example.com"}, "N")}) +
             test::OdfTableXml({{"n2@example.com"}}) + "</presentation:notes>",
         {"notes:N:n1@example.com", "notes::n2@example.com"}},
        {"a comment's paragraphs, not its author or date",
         R"(<office:annotation><dc:creator>who@example.com</dc:creator><text:p>c1</text:p><text:p>c2</text:p>)"
         R"(</office:annotation>)",
         {"comment::c1\rc2"}},
        {"links of pictures, groups and the notes page count, those of comments do not",
         R"(<draw:frame><draw:image><text:p><text:a xlink:href="mailto:pic@example.com">p</text:a></text:p>)"
         R"(</draw:image></draw:frame><presentation:notes><draw:custom-shape>)" +
             linked("notes@example.com") + "</draw:custom-shape></presentation:notes><officeooo:annotation>" +
             linked("comment@example.com") + "</officeooo:annotation>" +
             test::OdfGroupXml({"<draw:custom-shape>" + linked("x@example.com") + "</draw:custom-shape>"}),
         {"group::x", "notes::x", "link::notes@example.com", "comment::x", "link::pic@example.com",
          "link::x@example.com"}},
        {"click actions: each address once, in the order the page first names it",
         "<draw:custom-shape>" + test::OdfClickXml("mailto:b@example.com") + linked("a@example.com") +
             R"(</draw:custom-shape><draw:a xlink:href="mailto:c@example.com"><draw:custom-shape>)" +
             test::OdfClickXml("mailto:b@example.com") + test::OdfClickXml("https://example.com/") +
             "</draw:custom-shape></draw:a>",
         {"shape::x", "link::b@example.com", "link::a@example.com", "link::c@example.com"}},
        {"a chart where its frame stands: titles, then the table's labels, then the frame's alternative text",
         R"(<draw:custom-shape><text:p>before</text:p></draw:custom-shape>)" +
             test::OdfObjectFrameXml(1, "C", test::OdfAltTextXml("alt", "")) +
             R"(<draw:custom-shape><text:p>after</text:p></draw:custom-shape>)",
         {"shape::before", "chart:C:t@example.com", "chart:C:sub", "chart:C:x axis", "chart:C:y axis",
          "chart:C:s1", "chart:C:s2", "chart:C:c1", "chart:C:c2", "alt:C:alt", "shape::after"},
         {{test::OdfChartBodyXml({"t@example.com", {"c1", "c2"}, {"s1", "s2"}, "sub", "x axis", "y axis"})}}},
        {"a chart's labels: the header rows' and first column's cells that hold no number",
         test::OdfObjectFrameXml(1, "C"),
         {"chart:C:title", "chart:C:series", "chart:C:plain"},
         {{R"(<office:chart><chart:chart><table:table><table:table-header-rows><table:table-row>)"
           R"(<table:table-cell/><table:table-cell office:value-type="string"><text:p>series</text:p>)"
           R"(</table:table-cell><table:table-cell office:value-type="float" office:value="1"><text:p>1</text:p>)"
           R"(</table:table-cell></table:table-row></table:table-header-rows><table:table-rows><table:table-row>)"
           R"(<table:table-cell><text:p>plain</text:p></table:table-cell><table:table-cell )"
           R"(office:value-type="string"><text:p>data</text:p></table:table-cell></table:table-row>)"
           R"(<table:table-row><table:table-cell office:value-type="date"><text:p>1/2/24</text:p>)"
           R"(</table:table-cell></table:table-row><table:table-row><table:covered-table-cell><text:p>hidden)"
           R"(</text:p></table:covered-table-cell><table:table-cell><text:p>second</text:p></table:table-cell>)"
           R"(</table:table-row></table:table-rows></table:table><chart:title><text:p>title</text:p>)"
           R"(</chart:title></chart:chart></office:chart>)"}}},
        {"charts in a group and on the notes page; a formula and an object outside the file are not read",
         test::OdfGroupXml({test::OdfObjectFrameXml(1, "C")}) + test::OdfObjectFrameXml(3, "Text") +
             R"(<draw:frame><draw:object xlink:href="../elsewhere.odc"/></draw:frame>)" +
             "<presentation:notes>" + test::OdfObjectFrameXml(2, "N") + "</presentation:notes>",
         {"chart:C:grouped", "notes:N:noted"},
         {chart("grouped"),
          chart("noted"),
          {"<office:formula><text:p>formula@example.com</text:p></office:formula>",
           "application/vnd.oasis.opendocument.formula"}}},
        {"alternative text: title, then description, after all the shape shows",
         R"(<draw:custom-shape draw:name="S"><svg:desc>d1</svg:desc><svg:title>t1</svg:title><text:p>s</text:p>)"
         R"(</draw:custom-shape>)" +
             test::OdfGroupXml(
                 {test::OdfAltTextXml("gt", ""),
                  R"(<draw:rect draw:name="R"><text:p>r</text:p><svg:title>t2</svg:title></draw:rect>)"},
                 "G") +
             R"(<draw:frame draw:name="T"><table:table><table:table-row><table:table-cell><text:p>c</text:p>)"
             R"(</table:table-cell></table:table-row></table:table><svg:desc>td</svg:desc></draw:frame>)"
             R"(<draw:frame draw:name="P"><draw:image/><svg:title>pic</svg:title></draw:frame>)"
             R"(<draw:line draw:name="L"><svg:desc>ld</svg:desc></draw:line>)",
         {"shape:S:s", "alt:S:t1", "alt:S:d1", "group:R:r", "alt:R:t2", "alt:G:gt", "table:T:c", "alt:T:td",
          "alt:P:pic", "alt:L:ld"}},
        {"a master page: its shapes (not an empty placeholder's prompt), then its notes, then its links",
         "",
         {"master:F:f@example.com", "master::x", "master:N:n@example.com", "master::m@example.com"},
         {},
         {R"(<draw:frame presentation:class="title" presentation:placeholder="true"><draw:text-box><text:p>)"
          R"(Click to add Title</text:p></draw:text-box></draw:frame><draw:frame draw:name="F" )"
          R"(presentation:class="footer"><draw:text-box><text:p>f@example.com</text:p></draw:text-box>)"
          R"(</draw:frame><draw:custom-shape>)" +
          linked("m@example.com") +
          R"(</draw:custom-shape><presentation:notes><draw:page-thumbnail/><draw:frame presentation:class=)"
          R"("notes" presentation:placeholder="true"><draw:text-box><text:p>Click to add Text</text:p>)"
          R"(</draw:text-box></draw:frame><draw:custom-shape draw:name="N"><text:p>n@example.com</text:p>)"
          R"(</draw:custom-shape></presentation:notes>)"}},
        {"master pages in document order, then the handout master; a master's groups, tables and charts",
         "",
         {"master::one", "master:G:grouped", "master:T:cell", "master:C:charted", "master::handout"},
         {chart("charted")},
         {test::OdfTextBoxXml({"one"}), test::OdfGroupXml({test::OdfTextBoxXml({"grouped"}, "G")}) +
                                            test::OdfTableXml({{"cell"}}, "T") +
                                            test::OdfObjectFrameXml(1, "C")},
         test::OdfTextBoxXml({"handout"})},
        {"targets: one address each, web and empty ones none",
         R"(<draw:a xlink:href="mailto:"><draw:custom-shape/></draw:a>)"
         R"(<draw:a xlink:href="https://example.com/"><draw:custom-shape/></draw:a>)"
         R"(<draw:custom-shape><text:p><text:a xlink:href="mailto:a%40b.com?cc=c@d.com">m</text:a></text:p>)"
         R"(</draw:custom-shape>)",
         {"shape::m", "link::a@b.com"}},
        {"names resolved through the prefixes a file declares",
         R"(<g:g xmlns:g="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:t="urn:oasis:names:tc:)"
         R"(opendocument:xmlns:text:1.0" xmlns:l="http://www.w3.org/1999/xlink"><g:custom-shape g:name="S">)"
         R"(<t:p><t:a l:href="mailto:p@example.com">in</t:a></t:p></g:custom-shape></g:g>)"
         R"(<draw:g xmlns:draw="urn:example:other"><draw:custom-shape><text:p>not read</text:p>)"
         R"(</draw:custom-shape></draw:g>)",
         {"group:S:in", "link::p@example.com"}},
        {"an empty placeholder and an empty shape give nothing",
         R"(<draw:frame presentation:class="title" presentation:placeholder="true"><draw:text-box>)"
         R"(<text:p>Click to add Title</text:p></draw:text-box></draw:frame><draw:custom-shape/>)",
         {}},
    };
    for (const auto& c : cases) {
        test::OdpBuilder b;
        b.addSlide().addRawXml(c.page);
        for (const auto& object : c.objects)
            b.addObject(object);
        for (std::size_t i = 0; i < c.masters.size(); ++i)
            b.addMasterPage("M" + std::to_string(i + 1)).addRawXml(c.masters[i]);
        if (!c.handout.empty())
            b.handoutMaster().addRawXml(c.handout);
        EXPECT_EQ(harvestOrder(b.bytes(), true), c.expected) << c.what;
        EXPECT_EQ(harvestOrder(b.flatBytes(), true), c.expected) << c.what << " (flat)";
    }
}

// What only the mode reads decides nothing: a piece of it that is damaged or
// over a limit is skipped and named, and the rest of the file is read, so the
// mode finds every address the default walk finds.
TEST(AllText, PiecesItCannotReadAreSkippedAndNamed) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> read; // in harvest order
        std::string skipped;           // "part: reason", or its beginning; empty: nothing skipped
    };
    const auto without = [](std::vector<std::string> texts, const std::vector<std::string>& lost) {
        std::erase_if(texts, [&](const std::string& t) { return std::ranges::find(lost, t) != lost.end(); });
        return texts;
    };
    const auto cutInHalf = [](std::string name) {
        return [name](test::PptxBuilder& b) {
            for (const auto& entry : b.entries())
                if (entry.name == name)
                    b.setPart(name, entry.data.substr(0, entry.data.size() / 2));
        };
    };
    // The first binary record of the given header made longer than what holds it.
    const auto overlong = [](std::string_view header) {
        return [header](test::PptStreams& streams) {
            const auto at = streams.document.find(header);
            ASSERT_NE(at, std::string::npos);
            streams.document.replace(at + 4, 4, "\xFF\xFF\xFF\x0F", 4);
        };
    };
    const auto package = harvestOrder(test::PackageWithEveryPlace(), true);
    const auto binary = harvestOrder(test::BinaryWithEveryPlace(), true);

    std::string packageGroup = test::TextBoxXml({"deep@example.com"}, 3);
    PptShape binaryGroup = PptShape::textBox(u"deep@example.com");
    std::string odfGroup = test::OdfTextBoxXml({"deep@example.com"});
    for (int i = 0; i < 65; ++i) {
        packageGroup = test::GroupXml({packageGroup}, 4 + i);
        binaryGroup = PptShape::of(Kind::Group, {binaryGroup});
        odfGroup = test::OdfGroupXml({odfGroup});
    }
    test::PptxBuilder deepPackage;
    deepPackage.addSlide().addTextBox({"top@example.com"}).addRawXml(packageGroup);
    test::PptDeck deepBinary;
    deepBinary.slides = {
        test::PptSlide{{PptShape::textBox(u"top@example.com"), binaryGroup}, {}, false, {}, {}, {}, {}}};
    test::PptDeck deepBinaryMaster = deepBinary;
    deepBinaryMaster.slides[0].shapes.pop_back();
    deepBinaryMaster.masters = {test::PptMaster{{binaryGroup}, {}, {}, false}};
    const std::string topBox = test::OdfTextBoxXml({"top@example.com"});
    test::OdpBuilder deepOdf;
    deepOdf.addSlide().addRawXml(topBox).addRawXml(odfGroup);
    // Two cells of 9 MB each: more than a slide may hold.
    const std::string cell = R"(<text:p><text:s text:c="9000000"/>x</text:p>)";
    test::OdpBuilder bigTable;
    bigTable.addSlide().addRawXml(topBox).addRawXml(
        R"(<draw:frame><table:table><table:table-row><table:table-cell>)" + cell +
        "</table:table-cell><table:table-cell>" + cell +
        "</table:table-cell></table:table-row></table:table></draw:frame>");
    // Geometry nested 120 elements deep: no walk enters it.
    std::string geometry;
    for (int i = 0; i < 120; ++i)
        geometry = "<draw:handle>" + geometry + "</draw:handle>";
    test::OdpBuilder deepGeometry;
    deepGeometry.addSlide().addRawXml(R"(<draw:custom-shape><text:p>top@example.com</text:p>)"
                                      "<draw:enhanced-geometry>" +
                                      geometry + "</draw:enhanced-geometry></draw:custom-shape>");
    // 50 groups, each inside a link: under the group bound.
    std::string linkedGroups = test::OdfTextBoxXml({"deep@example.com"});
    for (int i = 0; i < 50; ++i)
        linkedGroups =
            R"(<draw:a xlink:href="mailto:a@example.com">)" + test::OdfGroupXml({linkedGroups}) + "</draw:a>";
    test::OdpBuilder linkedOdf;
    linkedOdf.addSlide().addRawXml(linkedGroups);
    const auto odf = harvestOrder(test::OpenDocumentWithEveryPlace().bytes(), true);
    auto odfBrokenStyles = test::OpenDocumentWithEveryPlace();
    odfBrokenStyles.setPart("styles.xml", odfBrokenStyles.stylesXml().substr(0, 300));
    auto odfBrokenChart = test::OpenDocumentWithEveryPlace();
    odfBrokenChart.setPart("Object 1/content.xml", "<office:document-content><office:body>");
    test::OdpBuilder bigMaster;
    bigMaster.addSlide().addRawXml(topBox);
    bigMaster.addMasterPage("Big")
        .addShape({"m@example.com"})
        .addRawXml("<draw:custom-shape>" + cell + "</draw:custom-shape><draw:custom-shape>" + cell +
                   "</draw:custom-shape>");

    const std::vector<Case> cases{
        {"a notes page cut in half",
         test::PackageWithEveryPlace(cutInHalf("ppt/notesSlides/notesSlide1.xml")),
         without(package, {"notes:TextBox 3:notes@example.com", "link::noteslink@example.com"}),
         "ppt/notesSlides/notesSlide1.xml: "},
        {"a damaged comment part", test::PackageWithEveryPlace(cutInHalf("ppt/comments/modern1.xml")),
         without(package, {"comment::modern@example.com", "comment::reply@example.com"}),
         "ppt/comments/modern1.xml: "},
        {"damaged diagram data", test::PackageWithEveryPlace(cutInHalf("ppt/diagrams/data1.xml")),
         without(package, {"diagram:Diagram:diagram@example.com"}), "ppt/diagrams/data1.xml: "},
        {"a damaged chart part", test::PackageWithEveryPlace(cutInHalf("ppt/charts/chart_slide1_1.xml")),
         without(package, {"chart:Chart 8:chart@example.com", "chart:Chart 8:north@example.com",
                           "chart:Chart 8:South", "chart:Chart 8:series@example.com"}),
         "ppt/charts/chart_slide1_1.xml: "},
        {"a damaged slide master, whose layouts are read",
         test::PackageWithEveryPlace(cutInHalf("ppt/slideMasters/slideMaster1.xml")),
         without(package, {"master:Placeholder 2:master@example.com"}),
         "ppt/slideMasters/slideMaster1.xml: "},
        {"a damaged layout", test::PackageWithEveryPlace(cutInHalf("ppt/slideLayouts/slideLayout1.xml")),
         without(package, {"layout:Placeholder 2:layout@example.com"}),
         "ppt/slideLayouts/slideLayout1.xml: "},
        {"a missing handout master", test::PackageWithEveryPlace([](test::PptxBuilder& b) {
             b.removePart("ppt/handoutMasters/handoutMaster1.xml");
         }),
         without(package, {"master:TextBox 2:handout@example.com"}),
         "ppt/handoutMasters/handoutMaster1.xml: The presentation is damaged: the part "
         "ppt/handoutMasters/handoutMaster1.xml is missing"},
        {"a damaged binary notes page", test::BinaryWithEveryPlace(overlong({"\x0F\x00\xF0\x03", 4})),
         without(binary, {"notes::notes@example.com", "link::noteslink@example.com"}),
         "slide 1, notes page: "},
        {"a damaged binary master", test::BinaryWithEveryPlace(overlong({"\x0F\x00\xF8\x03", 4})),
         without(binary, {"master:Logo:masteralt@example.com", "master::master@example.com"}), "master 1: "},
        {"a binary handout master missing from the directory",
         test::BinaryWithEveryPlace([](test::PptStreams& streams) {
             // The document atom's handout master id: past the document
             // record's header and the atom's own, sizes and the notes master.
             streams.document.replace(8 + 8 + 28, 4, "\xE7\x03\x00\x00", 4);
         }),
         without(binary, {"master::handout@example.com"}),
         "handout master: The presentation is damaged: the handout master is missing"},
        {"a damaged binary list of links", test::BinaryWithEveryPlace(overlong({"\x0F\x00\xD7\x0F", 4})),
         without(binary, {"link::link@example.com", "link::noteslink@example.com",
                          "embedded:OLE object 1 (Worksheet):sheet@example.com",
                          "embedded:OLE object 2 (Document):word@example.com"}),
         "list of links: "},
        {"65 nested groups in a package",
         deepPackage.bytes(),
         {"shape:TextBox 2:top@example.com"},
         "ppt/slides/slide1.xml, groups: The presentation is damaged: the part ppt/slides/slide1.xml nests "
         "groups more than 64 deep"},
        {"65 nested groups in a binary deck",
         test::BuildPpt(deepBinary),
         {"shape::top@example.com"},
         "slide 1, groups: The presentation is damaged: its slide 1 nests groups more than 64 deep"},
        {"... in a binary master",
         test::BuildPpt(deepBinaryMaster),
         {"shape::top@example.com"},
         "master 1, groups: The presentation is damaged: its master 1 nests groups more than 64 deep"},
        {"65 nested groups in an OpenDocument deck",
         deepOdf.bytes(),
         {"shape::top@example.com"},
         "content.xml, page 1, groups: The presentation is damaged: a slide nests groups more than 64 deep"},
        {"... in a flat one",
         deepOdf.flatBytes(),
         {"shape::top@example.com"},
         "page 1, groups: The presentation is damaged: a slide nests groups more than 64 deep"},
        {"a table over the slide's text budget",
         bigTable.bytes(),
         {"shape::top@example.com"},
         "content.xml, page 1, tables: "},
        {"geometry 120 elements deep", deepGeometry.bytes(), {"shape::top@example.com"}, ""},
        {"a damaged styles.xml", odfBrokenStyles.bytes(), without(odf, {"master:Footer:footer@example.com"}),
         "styles.xml: The presentation is damaged: "},
        {"a damaged chart part", odfBrokenChart.bytes(),
         without(odf, {"chart:Chart 1:chart@example.com", "chart:Chart 1:series@example.com",
                       "chart:Chart 1:north@example.com", "chart:Chart 1:South"}),
         "Object 1/content.xml: The presentation is damaged: "},
        {"a master page over the text budget",
         bigMaster.bytes(),
         {"shape::top@example.com"},
         "styles.xml, master page Big: The presentation is too large to read safely: "},
        {"... in a flat file", bigMaster.flatBytes(), {"shape::top@example.com"}, "master page Big: "},
        {"50 groups each in a link",
         linkedOdf.bytes(),
         {"group::deep@example.com"},
         "content.xml, page 1, links: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto on = ReadPresentationBytes(BytesOf(c.bytes), ReadOptions{true});
        std::vector<std::string> skipped;
        for (const auto* pages : {&on.slides, &on.masterPages})
            for (const SlideContent& slide : *pages)
                for (const SkippedPart& part : slide.skipped)
                    skipped.push_back(part.part + ": " + part.description);
        ASSERT_EQ(skipped.size(), c.skipped.empty() ? 0u : 1u) << ::testing::PrintToString(skipped);
        if (!skipped.empty()) {
            EXPECT_EQ(skipped[0].substr(0, c.skipped.size()), c.skipped);
        }
        EXPECT_EQ(harvestOrder(c.bytes, true), c.read);
        const auto all = test::AddressesIn(on);
        for (const std::string& address : test::AddressesIn(ReadPresentationBytes(BytesOf(c.bytes))))
            EXPECT_NE(std::ranges::find(all, address), all.end()) << address;
    }
}

TEST(AllText, MailtoTargetsGiveTheirAddressOnly) {
    struct Case {
        std::string_view target;
        std::optional<std::string> address;
    };
    for (const auto& [target, address] : std::vector<Case>{
             {"mailto:a@b.com", "a@b.com"},
             {"MailTo:a%40b.com?subject=x&cc=c@d.com", "a@b.com"},
             {"mailto:", ""},
             {"mailto:a%4", "a%4"},
             {"https://a@b.com", std::nullopt},
             {"mail", std::nullopt},
         })
        EXPECT_EQ(MailtoAddress(target), address) << target;
}

} // namespace
} // namespace orv
