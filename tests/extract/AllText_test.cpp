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
    EXPECT_EQ(
        harvestOrder(test::PackageWithEveryPlace(), true),
        (std::vector<std::string>{
            "shape:TextBox 2:shape1@example.com", "group:TextBox 4:group1@example.com",
            "group:TextBox 5:group2@example.com", "table:Table 6:cell11@example.com",
            "table:Table 6:cell12@example.com", "table:Table 6:cell21@example.com",
            "shape:Linked:Write to us", "shape:TextBox 7:shape2@example.com", "diagram::diagram@example.com",
            "notes:TextBox 3:notes@example.com", "comment::modern@example.com", "comment::reply@example.com",
            "link::link@example.com", "shape:TextBox 2:second@example.com", "comment::old@example.com"}));
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

TEST(AllText, GroupsNestedPastTheBoundAreRefusedOnlyWhenEntered) {
    std::string packageGroup = test::TextBoxXml({"deep@example.com"}, 2);
    PptShape binaryGroup = PptShape::textBox(u"deep@example.com");
    std::string odfGroup = test::OdfTextBoxXml({"deep@example.com"});
    for (int i = 0; i < 65; ++i) {
        packageGroup = test::GroupXml({packageGroup}, 3 + i);
        binaryGroup = PptShape::of(Kind::Group, {binaryGroup});
        if (i == 63) { // 64 groups deep: still read
            test::OdpBuilder odp;
            odp.addSlide().addRawXml(test::OdfGroupXml({odfGroup}));
            EXPECT_EQ(harvestOrder(odp.bytes(), true), std::vector<std::string>{"group::deep@example.com"});
        }
        odfGroup = test::OdfGroupXml({odfGroup});
    }
    test::OdpBuilder odp;
    odp.addSlide().addRawXml(odfGroup);
    test::PptxBuilder b;
    b.addSlide().addRawXml(packageGroup);
    test::PptDeck deck;
    deck.slides = {test::PptSlide{{binaryGroup}, {}, false, {}, {}, {}}};
    for (const std::string& bytes : {b.bytes(), test::BuildPpt(deck), odp.bytes(), odp.flatBytes()}) {
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

TEST(AllText, OpenDocumentTextCountsAgainstTheSlideBudget) {
    // Two cells of 9 MB each: more than a slide may hold, but only in the mode.
    const std::string cell = R"(<text:p><text:s text:c="9000000"/>x</text:p>)";
    test::OdpBuilder b;
    b.addSlide().addRawXml(R"(<draw:frame><table:table><table:table-row><table:table-cell>)" + cell +
                           "</table:table-cell><table:table-cell>" + cell +
                           "</table:table-cell></table:table-row></table:table></draw:frame>");
    EXPECT_EQ(ReadPresentationBytes(BytesOf(b.bytes())).slides.at(0).shapes.size(), 1u);
    try {
        ReadPresentationBytes(BytesOf(b.bytes()), ReadOptions{true});
        ADD_FAILURE() << "18 MB of cells were read";
    } catch (const Failure& failure) {
        EXPECT_NE(std::string(failure.what()).find("MiB of text"), std::string::npos) << failure.what();
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
