// The "all text" mode of both readers: every place, the one harvest order,
// the group depth bound, and the default mode unchanged by it.
#include "extract/Harvest.h"
#include "extract/OoxmlAllText.h"
#include "extract/PresentationReader.h"
#include "shell/Failure.h"
#include "support/PptBuilder.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv {
namespace {

using test::BytesOf;
using test::PptShape;
using Kind = PptShape::Kind;

constexpr std::string_view kNs =
    R"( xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main")"
    R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")"
    R"( xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main")";
constexpr std::string_view kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// "place:name:text" for every text the harvest reads, slide by slide.
std::vector<std::string> harvestOrder(const std::string& bytes, bool allText) {
    std::vector<std::string> out;
    const auto document = OpenPresentationBytes(BytesOf(bytes), ReadOptions{allText});
    for (std::size_t i = 0; i < document->slideCount(); ++i)
        ForEachSlideText(document->readSlide(i),
                         [&](TextPlace place, std::string_view name, std::string_view text) {
                             out.push_back(std::string(TextPlaceName(place)) + ":" + std::string(name) + ":" +
                                           std::string(text));
                         });
    return out;
}

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

// A package whose slide holds something in every place the mode reads, each
// with its own address, out of order in the markup where order matters.
std::string packageWithEveryPlace() {
    test::PptxBuilder b;
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
    s.addTextBox({"shape2@example.com"});
    b.setPart("ppt/slides/_rels/slide1.xml.rels",
              rels({rel("rIdC2", "comments", "../comments/modern1.xml"),
                    rel("rIdL", "hyperlink", "MAILTO:link%40example.com?subject=Hi", true),
                    rel("rIdN", "notesSlide", "../notesSlides/notesSlide1.xml"),
                    rel("rIdD", "diagramData", "../diagrams/data1.xml")}));
    b.setPart("ppt/notesSlides/notesSlide1.xml", "<p:notes" + std::string(kNs) + "><p:cSld><p:spTree>" +
                                                     test::TextBoxXml({"notes@example.com"}, 3) +
                                                     "</p:spTree></p:cSld></p:notes>");
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
    b.setPart("ppt/slides/_rels/slide2.xml.rels",
              rels({rel("rIdC", "comments", "../comments/comment1.xml")}));
    b.setPart("ppt/comments/comment1.xml", "<p:cmLst" + std::string(kNs) +
                                               "><p:cm authorId=\"0\"><p:pos x=\"1\" "
                                               "y=\"1\"/><p:text>old@example.com</p:text></p:cm></p:cmLst>");
    return b.bytes();
}

// The same places in a binary presentation. Diagrams are stored there as the
// groups they draw, so that place has no counterpart.
std::string binaryWithEveryPlace() {
    test::PptDeck deck;
    test::PptSlide slide;
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
    slide.shapes = {first, PptShape::of(Kind::Group, {inGroup, nested}), table, linked,
                    PptShape::textBox(u"shape2@example.com")};
    slide.notes = {u"notes@example.com"};
    slide.comments = {u"comment@example.com"};
    deck.slides = {slide};
    deck.slides.push_back(test::PptSlide{{PptShape::textBox(u"second@example.com")}, {}, false, {}, {}, {}});
    deck.hyperlinks = {{7, u"mailto:link@example.com?subject=Hi"}, {8, u"https://example.com/"}};
    return test::BuildPpt(deck);
}

TEST(AllText, PackageGivesEveryPlaceInTheOneOrder) {
    EXPECT_EQ(
        harvestOrder(packageWithEveryPlace(), true),
        (std::vector<std::string>{
            "shape:TextBox 2:shape1@example.com", "group:TextBox 4:group1@example.com",
            "group:TextBox 5:group2@example.com", "table:Table 6:cell11@example.com",
            "table:Table 6:cell12@example.com", "table:Table 6:cell21@example.com",
            "shape:Linked:Write to us", "shape:TextBox 7:shape2@example.com", "diagram::diagram@example.com",
            "notes:TextBox 3:notes@example.com", "comment::modern@example.com", "comment::reply@example.com",
            "link::link@example.com", "shape:TextBox 2:second@example.com", "comment::old@example.com"}));
}

TEST(AllText, BinaryGivesEveryPlaceInTheOneOrder) {
    EXPECT_EQ(harvestOrder(binaryWithEveryPlace(), true),
              (std::vector<std::string>{
                  "shape:First:shape1@example.com", "group:Inner:group1@example.com",
                  "group::group2@example.com", "table:Table 5:cell11@example.com",
                  "table:Table 5:cell12@example.com", "table:Table 5:cell21@example.com",
                  "shape::Write to us", "shape::shape2@example.com", "notes::notes@example.com",
                  "comment::comment@example.com", "link::link@example.com", "shape::second@example.com"}));
}

TEST(AllText, OffReadsTheTopLevelShapesAsBefore) {
    EXPECT_EQ(harvestOrder(packageWithEveryPlace(), false),
              (std::vector<std::string>{"shape:TextBox 2:shape1@example.com", "shape:Linked:Write to us",
                                        "shape:TextBox 7:shape2@example.com",
                                        "shape:TextBox 2:second@example.com"}));
    EXPECT_EQ(harvestOrder(binaryWithEveryPlace(), false),
              (std::vector<std::string>{"shape:First:shape1@example.com", "shape::Write to us",
                                        "shape::shape2@example.com", "shape::second@example.com"}));
    // The shapes the host answers for are the top-level ones in both modes.
    for (const std::string& bytes : {packageWithEveryPlace(), binaryWithEveryPlace()}) {
        const auto on = ReadPresentationBytes(BytesOf(bytes), ReadOptions{true});
        const auto off = ReadPresentationBytes(BytesOf(bytes));
        ASSERT_EQ(on.slides.size(), off.slides.size());
        for (std::size_t i = 0; i < on.slides.size(); ++i) {
            ASSERT_EQ(on.slides[i].shapes.size(), off.slides[i].shapes.size());
            for (std::size_t j = 0; j < on.slides[i].shapes.size(); ++j)
                EXPECT_EQ(on.slides[i].shapes[j].text, off.slides[i].shapes[j].text);
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
    SeenEmails seen;
    std::vector<std::string> rows;
    const HarvestCallbacks callbacks{{}, [&](std::string_view a) { rows.emplace_back(a); }};
    HarvestPresentation(ReadPresentationBytes(BytesOf(test::BuildPpt(deck)), ReadOptions{true}), seen,
                        callbacks);
    EXPECT_EQ(rows, std::vector<std::string>{"LINK@example.com"});
}

TEST(AllText, GroupsNestedPastTheBoundAreRefusedOnlyWhenEntered) {
    std::string packageGroup = test::TextBoxXml({"deep@example.com"}, 2);
    PptShape binaryGroup = PptShape::textBox(u"deep@example.com");
    for (int i = 0; i < 65; ++i) {
        packageGroup = test::GroupXml({packageGroup}, 3 + i);
        binaryGroup = PptShape::of(Kind::Group, {binaryGroup});
    }
    test::PptxBuilder b;
    b.addSlide().addRawXml(packageGroup);
    test::PptDeck deck;
    deck.slides = {test::PptSlide{{binaryGroup}, {}, false, {}, {}, {}}};
    for (const std::string& bytes : {b.bytes(), test::BuildPpt(deck)}) {
        EXPECT_EQ(ReadPresentationBytes(BytesOf(bytes)).slides.at(0).shapes.size(), 1u);
        try {
            ReadPresentationBytes(BytesOf(bytes), ReadOptions{true});
            ADD_FAILURE() << "65 nested groups were read";
        } catch (const Failure& failure) {
            EXPECT_NE(std::string(failure.what()).find("nests groups more than 64 deep"), std::string::npos)
                << failure.what();
        }
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
