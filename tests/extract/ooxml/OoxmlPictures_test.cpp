// Pictures read by text recognition on request, in presentation packages:
// where their text stands in each walk, what they are named, and what is
// left unread.
#include "base/Failure.h"
#include "extract/PresentationReader.h"
#include "extract/common/ByteSource.h"
#include "extract/common/ZipPackage.h"
#include "support/FakePictures.h"
#include "support/OdpBuilder.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"
#include "support/ReadingLines.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace orv {
namespace {

using test::PptxBuilder;

std::string shows(std::string_view text) {
    const auto bytes = test::PictureShowing(text);
    return {bytes.begin(), bytes.end()};
}

// An auto shape named "Filled" holding `text`, filled with the picture of
// relationship `id`.
std::string filledShapeXml(std::string_view id, std::string_view text) {
    return R"(<p:sp><p:nvSpPr><p:cNvPr id="30" name="Filled"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr><p:spPr>)"
           R"(<a:xfrm><a:off x="0" y="0"/></a:xfrm><a:blipFill><a:blip r:embed=")" +
           std::string(id) + R"("/><a:stretch/></a:blipFill></p:spPr><p:txBody><a:bodyPr/><a:p><a:r><a:t>)" +
           std::string(text) + "</a:t></a:r></a:p></p:txBody></p:sp>";
}

// A picture named "Picture <id>" whose blip says `blipAttributes`.
std::string pictureWith(std::string_view blipAttributes, int id = 20) {
    return "<p:pic><p:nvPicPr><p:cNvPr id=\"" + std::to_string(id) + "\" name=\"Picture " +
           std::to_string(id) + "\"/><p:cNvPicPr/><p:nvPr/></p:nvPicPr><p:blipFill><a:blip " +
           std::string(blipAttributes) + "/></p:blipFill><p:spPr/></p:pic>";
}

// A relationships part: each entry "id target type", " external" at the end
// for an external target.
std::string relsXml(const std::vector<std::string>& entries) {
    std::string xml =
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
    for (const auto& entry : entries) {
        std::istringstream words(entry);
        std::string id, target, type, mode;
        words >> id >> target >> type >> mode;
        xml += "<Relationship Id=\"" + id + "\" Target=\"" + target +
               "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/" + type +
               "\"" + (mode.empty() ? "" : " TargetMode=\"External\"") + "/>";
    }
    return xml + "</Relationships>";
}

TEST(OoxmlPictures, TextStandsWherePicturesStand) {
    struct Case {
        const char* what;
        std::function<void(PptxBuilder&)> build;
        bool allText;
        std::vector<std::string> expected;
        std::vector<std::string> read = {}; // the pictures read, as named
        std::size_t held = 1;               // the parts under ppt/media/
        bool pictures = true;
    };
    const std::string slidePicture = "ppt/slides/slide1.xml, picture ppt/media/image_slide1_1.png";
    const auto pictureAndFill = [](PptxBuilder& b) {
        auto& s = b.addSlide();
        s.addPicture(shows("pic@example.com"));
        s.addRawXml(filledShapeXml(s.addMedia(shows("fill@example.com")), "own"));
    };
    const std::vector<Case> cases{
        {"a picture is a shape where it stands, named, read once however often it is shown",
         [](PptxBuilder& b) {
             auto& s = b.addSlide().addTextBox({"before"});
             s.addPicture(shows("pic@example.com"));
             s.addRawXml(pictureWith(R"(r:embed="rId2")", 21)).addTextBox({"after"});
         },
         false,
         {"shape:TextBox 2:before", "picture:Picture 3:pic@example.com", "picture:Picture 21:pic@example.com",
          "shape:TextBox 4:after"},
         {slidePicture}},
        {"a picture fill is one more shape right after its shape, with its name",
         pictureAndFill,
         false,
         {"picture:Picture 2:pic@example.com", "shape:Filled:own", "picture:Filled:fill@example.com"},
         {slidePicture, "ppt/slides/slide1.xml, picture ppt/media/image_slide1_2.png"},
         2},
        {"without pictures requested, the shapes are those of before",
         pictureAndFill,
         false,
         {"shape:Picture 2", "shape:Filled:own"},
         {},
         2,
         false},
        {"all text: top level, fill and group, each before the shape's alternative text",
         [](PptxBuilder& b) {
             auto& s = b.addSlide();
             s.addRawXml(test::WithAltText(test::PictureXml(s.addMedia(shows("top")), 5), "top alt", ""));
             s.addRawXml(filledShapeXml("rId2", "own"));
             s.addRawXml(test::GroupXml(
                 {test::WithAltText(test::PictureXml(s.addMedia(shows("grouped")), 7), "group alt", "")}, 6));
         },
         true,
         {"picture:Picture 5:top", "alt:Picture 5:top alt", "shape:Filled:own", "picture:Filled:top",
          "picture:Picture 7:grouped", "alt:Picture 7:group alt"},
         {slidePicture, "ppt/slides/slide1.xml, picture ppt/media/image_slide1_2.png"},
         2},
        {"all text: the pictures of a notes page, a master and a layout keep their place",
         [](PptxBuilder& b) {
             b.addSlide();
             b.setPart("ppt/slides/_rels/slide1.xml.rels",
                       relsXml({"rIdN ../notesSlides/notesSlide1.xml notesSlide"}));
             b.setPart("ppt/notesSlides/notesSlide1.xml",
                       R"(<p:notes xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" )"
                       R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" )"
                       R"(xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main"><p:cSld>)"
                       "<p:spTree>" +
                           pictureWith(R"(r:embed="rIdP")") + "</p:spTree></p:cSld></p:notes>");
             b.setPart("ppt/notesSlides/_rels/notesSlide1.xml.rels", relsXml({"rIdP ../media/n.png image"}));
             b.setPart("ppt/media/n.png", shows("notes"));
             b.master().addPicture(shows("master"));
             b.layout(1).addPicture(shows("layout"));
         },
         true,
         {"picture:Picture 20:notes", "picture:Picture 2:master", "picture:Picture 2:layout"},
         {"ppt/notesSlides/notesSlide1.xml, picture ppt/media/n.png",
          "ppt/slideMasters/slideMaster1.xml, picture ppt/media/image_slideMaster1_1.png",
          "ppt/slideLayouts/slideLayout1.xml, picture ppt/media/image_slideLayout1_1.png"},
         3},
        {"a damaged picture is named among the skipped parts, the rest is read",
         [](PptxBuilder& b) { b.addSlide().addPicture("DAMAGED").addPicture(shows("ok")); },
         false,
         {"picture:Picture 2:", "picture:Picture 3:ok", "skipped:" + slidePicture},
         {slidePicture, "ppt/slides/slide1.xml, picture ppt/media/image_slide1_2.png"},
         2},
        {"linked, external and missing relationships: no picture read, no failure",
         [](PptxBuilder& b) {
             b.addSlide().addRawXml(pictureWith(R"(r:link="rId1")", 20) +
                                    pictureWith(R"(r:embed="rIdE")", 21) +
                                    pictureWith(R"(r:embed="rId9")", 22));
             b.setPart("ppt/slides/_rels/slide1.xml.rels", relsXml({"rIdE ../media/x.png image external"}));
             b.setPart("ppt/media/x.png", shows("not inside"));
         },
         false,
         {"picture:Picture 20:", "picture:Picture 21:", "picture:Picture 22:"}},
        {"decks embedded in the deck, of either kind: their pictures are read, as pictures",
         [](PptxBuilder& b) {
             PptxBuilder inner;
             inner.addSlide().addPicture(shows("inner"));
             test::OdpBuilder odp;
             odp.setPart("Pictures/a.png", shows("odp"));
             odp.addSlide().addRawXml(
                 R"(<draw:frame><draw:image xlink:href="Pictures/a.png"/></draw:frame>)");
             b.addSlide().addEmbedded("inner.pptx", inner.bytes()).addEmbedded("inner.odp", odp.bytes());
         },
         true,
         {"picture:ppt/embeddings/inner.pptx:inner", "picture:ppt/embeddings/inner.odp:odp"},
         {slidePicture, "content.xml, page 1, picture Pictures/a.png"},
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PptxBuilder b;
        c.build(b);
        const test::PictureReading reading = test::ReadWithFakePictures(b.bytes(), c.allText, c.pictures);
        EXPECT_EQ(reading.lines, c.expected);
        EXPECT_EQ(reading.read, c.read);
        EXPECT_EQ(reading.held, c.pictures ? c.held : 0);
    }
}

// A picture's bytes count against a total of their own in the package, so
// that a deck full of photographs keeps the room its text parts need.
TEST(OoxmlPictures, PicturesHaveAZipTotalOfTheirOwn) {
    const std::string zip =
        test::ZipBytes({{"a.png", std::string(60'000, 'x')}, {"b.xml", std::string(60'000, ' ')}});
    const MemoryByteSource source(test::BytesOf(zip));
    ZipPackage package(source, {.maxTotalInflated = 100'000});
    const auto picture = *package.find("a.png");
    EXPECT_EQ(package.inflatedSize(picture), 60'000u);
    package.read(picture, "a.png", ZipLedger::Pictures);
    EXPECT_NO_THROW(package.read(*package.find("b.xml"), "b.xml"));
    EXPECT_THROW(package.read(picture, "a.png", ZipLedger::Pictures), Failure);
}

} // namespace
} // namespace orv
