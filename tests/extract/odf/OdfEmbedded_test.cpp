// The "all text" mode reads the documents an OpenDocument deck embeds after
// its master pages: sub-documents of the package (or inline in a flat file)
// paragraph by paragraph, packages stored whole as files through the reader
// of embedded documents; each once, in the order first referred to.
#include "extract/PresentationReader.h"
#include "support/OdpBuilder.h"
#include "support/ReadBytes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace orv {
namespace {

using test::BytesOf;
using test::OdpBuilder;

constexpr std::string_view kType = "application/vnd.oasis.opendocument.";

// A deck whose one slide shows object 1 (added by `add`) in the frame "F".
std::function<void(OdpBuilder&)> deckShowing(std::string body, std::string kind) {
    return [=](OdpBuilder& b) {
        b.addSlide().addRawXml(test::OdfObjectFrameXml(b.addObject({body, std::string(kType) + kind}), "F"));
    };
}

// "slide:place:name:text" of the texts holding an address; "%" in the
// expected ones stands for the object's name (its folder in the package, its
// frame in a flat file).
std::vector<std::string> addressTexts(const PresentationContent& content) {
    std::vector<std::string> texts;
    for (const auto& placed : test::HarvestedTexts(content))
        if (placed.text.find('@') != std::string::npos)
            texts.push_back(std::to_string(placed.slide) + ":" + std::string(TextPlaceName(placed.place)) +
                            ":" + placed.name + ":" + placed.text);
    return texts;
}

std::vector<std::string> named(std::vector<std::string> texts, const std::string& name) {
    for (auto& text : texts)
        if (const auto at = text.find('%'); at != std::string::npos)
            text.replace(at, 1, name);
    return texts;
}

TEST(OdfEmbedded, DocumentsAreReadAfterTheMasterPages) {
    struct Case {
        const char* what;
        std::function<void(OdpBuilder&)> build;
        std::vector<std::string> texts;
        std::string skipped = {}; // "part: description", its beginning
        bool flatToo = true;
    };
    test::PptxBuilder pptx;
    pptx.addSlide().addTextBox({"deck@example.com"});
    const std::string pptxBytes = pptx.bytes();
    const std::vector<Case> cases{
        {"a spreadsheet: its cells",
         deckShowing(R"(<office:spreadsheet><table:table><table:table-row><table:table-cell><text:p>)"
                     R"(sheet@example.com</text:p></table:table-cell></table:table-row></table:table>)"
                     R"(</office:spreadsheet>)",
                     "spreadsheet"),
         {"0:embedded:%:sheet@example.com"}},
        {"a text document: list items, a comment apart from its paragraph",
         deckShowing(R"(<office:text><text:list><text:list-item><text:p>item@example.com</text:p>)"
                     R"(</text:list-item></text:list><text:p>a@example.com<office:annotation><text:p>)"
                     R"(comment@example.com</text:p></office:annotation></text:p></office:text>)",
                     "text"),
         {"0:embedded:%:item@example.com", "0:embedded:%:a@example.com", "0:embedded:%:comment@example.com"}},
        {"a presentation: the paragraphs of its shapes",
         deckShowing(R"(<office:presentation><draw:page><draw:frame><draw:text-box><text:p>inner@example.com)"
                     R"(</text:p></draw:text-box></draw:frame></draw:page></office:presentation>)",
                     "presentation"),
         {"0:embedded:%:inner@example.com"}},
        {"each once, in the order first referred to: slides, then master pages",
         [](OdpBuilder& b) {
             const auto object = [](const char* text) {
                 return test::OdfObject{std::string("<office:text><text:p>") + text +
                                            "</text:p></office:text>",
                                        std::string(kType) + "text"};
             };
             const int first = b.addObject(object("first@example.com"));
             const int second = b.addObject(object("second@example.com"));
             b.addSlide().addRawXml(test::OdfObjectFrameXml(second, "F"));
             b.addSlide().addRawXml(test::OdfObjectFrameXml(first, "G") +
                                    test::OdfObjectFrameXml(second, "F"));
             b.addMasterPage("M").addRawXml(test::OdfObjectFrameXml(first, "G"));
         },
         {"0:embedded:Object 2:second@example.com", "0:embedded:Object 1:first@example.com"},
         {},
         false},
        {"a damaged sub-document: skipped, named",
         [](OdpBuilder& b) {
             deckShowing("<office:text/>", "text")(b);
             b.setPart("Object 1/content.xml", "<office:document-content><office:body>");
         },
         {},
         "Object 1/content.xml: The presentation is damaged",
         false},
        {"a deck stored whole as a file of the package",
         [&](OdpBuilder& b) {
             b.addSlide().addRawXml(R"(<draw:frame draw:name="F"><draw:object-ole xlink:href="./Object 1"/>)"
                                    R"(</draw:frame>)");
             b.setPart("Object 1", pptxBytes);
         },
         {"0:embedded:Object 1:deck@example.com"},
         {},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OdpBuilder b;
        c.build(b);
        std::vector<std::pair<std::string, std::string>> forms{{b.bytes(), "Object 1"}};
        if (c.flatToo)
            forms.emplace_back(b.flatBytes(), "F");
        for (const auto& [bytes, name] : forms) {
            const auto content = ReadPresentationBytes(BytesOf(bytes), ReadOptions{true});
            EXPECT_EQ(addressTexts(content), named(c.texts, name));
            std::vector<std::string> skipped;
            for (const auto* pages : {&content.slides, &content.masterPages})
                for (const SlideContent& page : *pages)
                    for (const SkippedPart& part : page.skipped)
                        skipped.push_back(part.part + ": " + part.description);
            if (c.skipped.empty())
                EXPECT_TRUE(skipped.empty()) << ::testing::PrintToString(skipped);
            else
                EXPECT_TRUE(skipped.size() == 1 && skipped[0].starts_with(c.skipped))
                    << ::testing::PrintToString(skipped);
            // The default walk reads none of it.
            EXPECT_TRUE(addressTexts(ReadPresentationBytes(BytesOf(bytes))).empty());
            EXPECT_TRUE(ReadPresentationBytes(BytesOf(bytes)).masterPages.empty());
        }
    }
}

} // namespace
} // namespace orv
