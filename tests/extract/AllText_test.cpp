// The "all text" mode of both readers: every place, the one harvest order,
// the group depth bound, and the default mode unchanged by it.
#include "extract/Harvest.h"
#include "extract/OoxmlAllText.h"
#include "extract/PresentationReader.h"
#include "shell/Failure.h"
#include "support/AllTextDecks.h"
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
    const auto document = OpenPresentationBytes(BytesOf(bytes), ReadOptions{allText});
    for (std::size_t i = 0; i < document->slideCount(); ++i)
        ForEachSlideText(document->readSlide(i),
                         [&](TextPlace place, std::string_view name, std::string_view text) {
                             out.push_back(std::string(TextPlaceName(place)) + ":" + std::string(name) + ":" +
                                           std::string(text));
                         });
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

TEST(AllText, OffReadsTheTopLevelShapesAsBefore) {
    EXPECT_EQ(harvestOrder(test::PackageWithEveryPlace(), false),
              (std::vector<std::string>{"shape:TextBox 2:shape1@example.com", "shape:Linked:Write to us",
                                        "shape:TextBox 7:shape2@example.com",
                                        "shape:TextBox 2:second@example.com"}));
    EXPECT_EQ(harvestOrder(test::BinaryWithEveryPlace(), false),
              (std::vector<std::string>{"shape:First:shape1@example.com", "shape::Write to us",
                                        "shape::shape2@example.com", "shape::second@example.com"}));
    // The shapes the host answers for are the top-level ones in both modes.
    for (const std::string& bytes : {test::PackageWithEveryPlace(), test::BinaryWithEveryPlace()}) {
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
