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
              (std::vector<std::string>{
                  "shape:TextBox 2:shape1@example.com", "group:TextBox 4:group1@example.com",
                  "group:TextBox 5:group2@example.com", "table:Table 6:cell11@example.com",
                  "table:Table 6:cell12@example.com", "table:Table 6:cell21@example.com",
                  "shape:Linked:Write to us", "shape:TextBox 7:shape2@example.com",
                  "diagram:Diagram:diagram@example.com", "notes:TextBox 3:notes@example.com",
                  "comment::modern@example.com", "comment::reply@example.com", "link::link@example.com",
                  "shape:TextBox 2:second@example.com", "comment::old@example.com"}));
}

TEST(AllText, BinaryGivesEveryPlaceInTheOneOrder) {
    EXPECT_EQ(harvestOrder(test::BinaryWithEveryPlace(), true),
              (std::vector<std::string>{
                  "shape:First:shape1@example.com", "group:Inner:group1@example.com",
                  "group::group2@example.com", "table:Table 5:cell11@example.com",
                  "table:Table 5:cell12@example.com", "table:Table 5:cell21@example.com",
                  "shape::Write to us", "shape::shape2@example.com", "notes::notes@example.com",
                  "comment::comment@example.com", "link::link@example.com", "shape::second@example.com"}));
}

TEST(AllText, OpenDocumentGivesEveryPlaceInTheOneOrder) {
    const auto deck = test::OpenDocumentWithEveryPlace();
    for (const std::string& bytes : {deck.bytes(), deck.flatBytes()})
        EXPECT_EQ(
            harvestOrder(bytes, true),
            (std::vector<std::string>{"shape:TextBox 1:shape1@example.com", "group:Inner:group1@example.com",
                                      "group:Deep:group2@example.com", "table:Table 1:cell11@example.com",
                                      "table:Table 1:cell12@example.com", "table:Table 1:cell21@example.com",
                                      "shape:Linked:Write to us", "shape:Wrapped:shape2@example.com",
                                      "notes::notes@example.com", "comment::modern@example.com",
                                      "comment::old@example.com", "link::link@example.com",
                                      "link::shapelink@example.com", "shape:TextBox 2:second@example.com",
                                      "shape::one and web and two", "link::dup@example.com"}));
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
    deck.slides = {test::PptSlide{{linked}, {}, false, {}, {u"Mail LINK@example.com"}, {}}};
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
        {"links of pictures and groups count, those of notes and comments do not",
         R"(<draw:frame><draw:image><text:p><text:a xlink:href="mailto:pic@example.com">p</text:a></text:p>)"
         R"(</draw:image></draw:frame><presentation:notes><draw:custom-shape>)" +
             linked("notes@example.com") + "</draw:custom-shape></presentation:notes><officeooo:annotation>" +
             linked("comment@example.com") + "</officeooo:annotation>" +
             test::OdfGroupXml({"<draw:custom-shape>" + linked("x@example.com") + "</draw:custom-shape>"}),
         {"group::x", "notes::x", "comment::x", "link::pic@example.com", "link::x@example.com"}},
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
        EXPECT_EQ(harvestOrder(b.bytes(), true), c.expected) << c.what;
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
        test::PptSlide{{PptShape::textBox(u"top@example.com"), binaryGroup}, {}, false, {}, {}, {}}};
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

    const std::vector<Case> cases{
        {"a notes page cut in half",
         test::PackageWithEveryPlace(cutInHalf("ppt/notesSlides/notesSlide1.xml")),
         without(package, {"notes:TextBox 3:notes@example.com"}), "ppt/notesSlides/notesSlide1.xml: "},
        {"a damaged comment part", test::PackageWithEveryPlace(cutInHalf("ppt/comments/modern1.xml")),
         without(package, {"comment::modern@example.com", "comment::reply@example.com"}),
         "ppt/comments/modern1.xml: "},
        {"damaged diagram data", test::PackageWithEveryPlace(cutInHalf("ppt/diagrams/data1.xml")),
         without(package, {"diagram:Diagram:diagram@example.com"}), "ppt/diagrams/data1.xml: "},
        {"a damaged binary notes page", test::BinaryWithEveryPlace(overlong({"\x0F\x00\xF0\x03", 4})),
         without(binary, {"notes::notes@example.com"}), "slide 1, notes page: "},
        {"a damaged binary list of links", test::BinaryWithEveryPlace(overlong({"\x0F\x00\xD7\x0F", 4})),
         without(binary, {"link::link@example.com"}), "list of links: "},
        {"65 nested groups in a package",
         deepPackage.bytes(),
         {"shape:TextBox 2:top@example.com"},
         "ppt/slides/slide1.xml, groups: The presentation is damaged: the part ppt/slides/slide1.xml nests "
         "groups more than 64 deep"},
        {"65 nested groups in a binary deck",
         test::BuildPpt(deepBinary),
         {"shape::top@example.com"},
         "slide 1, groups: The presentation is damaged: its slide 1 nests groups more than 64 deep"},
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
        {"50 groups each in a link",
         linkedOdf.bytes(),
         {"group::deep@example.com"},
         "content.xml, page 1, links: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto on = ReadPresentationBytes(BytesOf(c.bytes), ReadOptions{true});
        std::vector<std::string> skipped;
        for (const SlideContent& slide : on.slides)
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
