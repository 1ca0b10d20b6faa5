// Pictures read by text recognition on request, in OpenDocument packages:
// where their text stands in each walk, what they are named, and what is
// left unread.
#include "extract/PresentationReader.h"
#include "support/FakePictures.h"
#include "support/OdpBuilder.h"
#include "support/ReadBytes.h"
#include "support/ReadingLines.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orv {
namespace {

using test::OdpBuilder;

std::string shows(std::string_view text) {
    const auto bytes = test::PictureShowing(text);
    return {bytes.begin(), bytes.end()};
}

// A frame named `name` showing the pictures `hrefs`, the first its own, the
// others its replacements; `after` (alternative text) follows them.
std::string pictureFrame(std::string_view name, const std::vector<std::string>& hrefs,
                         std::string_view after = {}) {
    std::string xml = "<draw:frame draw:name=\"" + std::string(name) + "\">";
    for (const auto& href : hrefs)
        xml += "<draw:image xlink:href=\"" + href +
               "\" xlink:type=\"simple\"><text:p>caption</text:p></draw:image>";
    return xml + std::string(after) + "</draw:frame>";
}

TEST(OdpPictures, TextStandsWherePicturesStand) {
    struct Case {
        const char* what;
        std::function<void(OdpBuilder&)> build;
        bool allText;
        std::vector<std::string> expected;
        std::vector<std::string> read = {}; // the pictures read, as named
        std::size_t held = 1;               // the files under Pictures/
        bool pictures = true;
    };
    const auto between = [](OdpBuilder& b) {
        b.setPart("Pictures/a.png", shows("pic@example.com"));
        b.setPart("Pictures/b.svg", shows("replacement"));
        b.addSlide()
            .addTextBox({"before"})
            .addRawXml(pictureFrame("P", {"Pictures/a.png", "Pictures/b.svg"}) +
                       pictureFrame("Again", {"./Pictures/a.png"}))
            .addTextBox({"after"});
    };
    const std::vector<Case> cases{
        {"a picture is a shape where it stands, named by its frame, its first picture read once",
         between,
         false,
         {"shape::before", "picture:P:pic@example.com", "picture:Again:pic@example.com", "shape::after"},
         {"content.xml, page 1, picture Pictures/a.png"},
         2},
        {"without pictures requested, the shapes are those of before",
         between,
         false,
         {"shape::before", "shape:", "shape:", "shape::after"},
         {},
         2,
         false},
        {"all text: in a group, on the notes page and a master page, before alternative text",
         [](OdpBuilder& b) {
             b.setPart("Pictures/a.png", shows("a"));
             b.setPart("Pictures/n.png", shows("n"));
             b.setPart("Pictures/m.png", shows("m"));
             b.addSlide()
                 .addRawXml(pictureFrame("Top", {"Pictures/a.png"}, test::OdfAltTextXml("top alt", "")))
                 .addRawXml(test::OdfGroupXml({pictureFrame("Grouped", {"Pictures/a.png"})}, "G"))
                 .addRawXml("<presentation:notes>" + pictureFrame("N", {"Pictures/n.png"}) +
                            "</presentation:notes>");
             b.addMasterPage("M").addRawXml(pictureFrame("MP", {"Pictures/m.png"}));
         },
         true,
         {"picture:Top:a", "alt:Top:top alt", "picture:Grouped:a", "picture:N:n", "picture:MP:m"},
         {"content.xml, page 1, picture Pictures/a.png", "content.xml, page 1, picture Pictures/n.png",
          "styles.xml, master page M, picture Pictures/m.png"},
         3},
        {"a damaged picture is named among the skipped parts, the rest is read",
         [](OdpBuilder& b) {
             b.setPart("Pictures/bad.png", "DAMAGED");
             b.setPart("Pictures/ok.png", shows("ok"));
             b.addSlide().addRawXml(pictureFrame("Bad", {"Pictures/bad.png"}) +
                                    pictureFrame("Ok", {"Pictures/ok.png"}));
         },
         false,
         {"picture:Bad:", "picture:Ok:ok", "skipped:content.xml, page 1, picture Pictures/bad.png"},
         {"content.xml, page 1, picture Pictures/bad.png", "content.xml, page 1, picture Pictures/ok.png"},
         2},
        {"pictures outside the package or missing: none read, no failure",
         [](OdpBuilder& b) {
             b.setPart("Pictures/a.png", shows("a"));
             b.setPart("a.png", shows("outside"));
             b.addSlide().addRawXml(pictureFrame("Web", {"https://example.com/a.png"}) +
                                    pictureFrame("Up", {"../a.png"}) + pictureFrame("Root", {"/a.png"}) +
                                    pictureFrame("Missing", {"Pictures/none.png"}));
         },
         false,
         {"picture:Web:", "picture:Up:", "picture:Root:", "picture:Missing:"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OdpBuilder b;
        c.build(b);
        const test::PictureReading reading = test::ReadWithFakePictures(b.bytes(), c.allText, c.pictures);
        EXPECT_EQ(reading.lines, c.expected);
        EXPECT_EQ(reading.read, c.read);
        EXPECT_EQ(reading.held, c.pictures ? c.held : 0);
    }
}

} // namespace
} // namespace orv
