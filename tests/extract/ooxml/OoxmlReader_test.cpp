#include "base/Failure.h"
#include "extract/PresentationReader.h"
#include "extract/common/ByteSource.h"
#include "extract/common/ZipPackage.h"
#include "extract/ooxml/PackageParts.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <optional>
#include <thread>
#include <tuple>

namespace orv {
namespace {

using ooxml::RelationshipsPartName;
using ooxml::ResolvePartName;
using test::LineBreak;
using test::Paragraph;
using test::PptxBuilder;
using test::TextField;
using test::TextRun;

// The text of the only shape of the only slide.
std::string onlyText(const PptxBuilder& b) {
    const auto content = test::ReadBytes(b.bytes());
    EXPECT_EQ(content.slides.size(), 1u);
    EXPECT_EQ(content.slides.at(0).shapes.size(), 1u);
    return content.slides.at(0).shapes.at(0).text;
}

// Rewrites the sizes a zip records for `entry`, in its local header and in the
// central directory, so the package claims what a bomb would.
std::string withClaimedSize(std::string zip, const std::string& entry, std::uint32_t size) {
    for (const auto& [signature, sizeAt, nameLengthAt, nameAt] :
         {std::tuple{"PK\3\4", 22u, 26u, 30u}, std::tuple{"PK\1\2", 24u, 28u, 46u}}) {
        for (std::size_t at = zip.find(signature); at != std::string::npos;
             at = zip.find(signature, at + 4)) {
            std::uint16_t nameLength;
            std::memcpy(&nameLength, zip.data() + at + nameLengthAt, 2);
            if (zip.compare(at + nameAt, nameLength, entry) == 0)
                std::memcpy(zip.data() + at + sizeAt, &size, 4);
        }
    }
    return zip;
}

std::string slideXml(std::string_view treeContent, std::string_view rootAttributes = {}) {
    return "<p:sld xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
           "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\" "
           "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
           "xmlns:p14=\"http://schemas.microsoft.com/office/powerpoint/2010/main\"" +
           std::string(rootAttributes) + "><p:cSld><p:spTree>" + std::string(treeContent) +
           "</p:spTree></p:cSld></p:sld>";
}

TEST(OoxmlReaderSlides, FollowTheSlideListNotThePartNames) {
    PptxBuilder b;
    b.addSlide().addTextBox({"one"});
    b.addSlide().addTextBox({"two"});
    b.addSlide().addTextBox({"three"});
    b.setSlideOrder({3, 1, 2});
    const auto content = test::ReadBytes(b.bytes());
    ASSERT_EQ(content.slides.size(), 3u);
    EXPECT_EQ(content.slides[0].shapes.at(0).text, "three");
    EXPECT_EQ(content.slides[1].shapes.at(0).text, "one");
    EXPECT_EQ(content.slides[2].shapes.at(0).text, "two");
}

TEST(OoxmlReaderSlides, SlidesLeftOutOfTheListAreNotRead) {
    PptxBuilder b;
    b.addSlide().addTextBox({"listed"});
    b.addSlide().addTextBox({"not listed"});
    b.setSlideOrder({1});
    const auto content = test::ReadBytes(b.bytes());
    ASSERT_EQ(content.slides.size(), 1u);
    EXPECT_EQ(content.slides[0].shapes.at(0).text, "listed");
}

TEST(OoxmlReaderSlides, EmptyPresentationsAndSlides) {
    PptxBuilder none;
    EXPECT_TRUE(test::ReadBytes(none.bytes()).slides.empty());

    PptxBuilder bare;
    bare.addSlide();
    const auto content = test::ReadBytes(bare.bytes());
    ASSERT_EQ(content.slides.size(), 1u);
    EXPECT_TRUE(content.slides[0].shapes.empty());
}

TEST(OoxmlReaderSlides, MainPartAndSlidesFoundThroughRelationshipsWherever) {
    PptxBuilder b;
    b.addSlide().addTextBox({"moved"});
    auto entries = b.entries();
    for (auto& e : entries) {
        if (e.name == "ppt/presentation.xml")
            e.name = "deck/main/show.xml";
        else if (e.name == "ppt/_rels/presentation.xml.rels")
            e.name = "deck/main/_rels/show.xml.rels";
        else if (e.name == "ppt/slides/slide1.xml")
            e.name = "deck/pages/first page.xml";
        else if (e.name == "_rels/.rels")
            e.data.replace(e.data.find("ppt/presentation.xml"), 20, "/deck/main/show.xml");
        else if (e.name == "[Content_Types].xml")
            e.data.replace(e.data.find("/ppt/presentation.xml"), 21, "/deck/main/show.xml");
    }
    for (auto& e : entries)
        if (e.name == "deck/main/_rels/show.xml.rels")
            e.data.replace(e.data.find("slides/slide1.xml"), 17, "./../pages/first%20page.xml#frag");
    const auto content = test::ReadBytes(test::ZipBytes(entries));
    ASSERT_EQ(content.slides.size(), 1u);
    EXPECT_EQ(content.slides[0].shapes.at(0).text, "moved");
}

TEST(OoxmlReaderSlides, SlideshowAndTemplateTypesAreRead) {
    for (const char* type :
         {"application/vnd.openxmlformats-officedocument.presentationml.slideshow.main+xml",
          "application/vnd.ms-powerpoint.template.macroEnabled.main+xml"}) {
        PptxBuilder b;
        b.setMainContentType(type);
        b.addSlide().addTextBox({"x"});
        EXPECT_EQ(test::ReadBytes(b.bytes()).slides.size(), 1u) << type;
    }
}

TEST(OoxmlReaderSlides, NamespacesMatterNotPrefixes) {
    PptxBuilder b;
    // Default namespace for PresentationML, a different prefix for DrawingML,
    // and a look-alike "p:sp" in a foreign namespace that is no shape.
    b.setPart("ppt/slides/slide1.xml",
              "<sld xmlns=\"http://schemas.openxmlformats.org/presentationml/2006/main\" "
              "xmlns:d=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><cSld><spTree>"
              "<sp><txBody><d:p><d:r><d:t>default</d:t></d:r></d:p></txBody></sp>"
              "<p:sp xmlns:p=\"urn:other\"><p:txBody/></p:sp>"
              "<sp xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><txBody>"
              "<a:p><a:r><a:t>local</a:t></a:r><d:r xmlns:d=\"urn:other\"><d:t>hidden</d:t></d:r></a:p>"
              "</txBody></sp></spTree></cSld></sld>");
    b.addSlide();
    const auto content = test::ReadBytes(b.bytes());
    ASSERT_EQ(content.slides.at(0).shapes.size(), 2u);
    EXPECT_EQ(content.slides[0].shapes[0].text, "default");
    EXPECT_EQ(content.slides[0].shapes[1].text, "local");
}

struct ShapeRow {
    const char* name;
    std::function<void(test::SlideBuilder&)> add;
    std::size_t count;
    bool hasTextFrame;
    std::string text;
};

TEST(OoxmlReaderShapes, EachKindOfShape) {
    const ShapeRow rows[] = {
        {"text box", [](auto& s) { s.addTextBox({"box"}); }, 1, true, "box"},
        {"title placeholder", [](auto& s) { s.addPlaceholder({"Title"}, "title"); }, 1, true, "Title"},
        {"auto shape", [](auto& s) { s.addShape({"shape"}); }, 1, true, "shape"},
        {"auto shape without text body", [](auto& s) { s.addShapeWithoutText(); }, 1, true, ""},
        {"group holding text", [](auto& s) { s.addGroup({"inside a@b.com"}); }, 1, false, ""},
        {"table",
         [](auto& s) {
             s.addTable({{"cell a@b.com", "x"}});
         },
         1, false, ""},
        {"picture", [](auto& s) { s.addPicture("PNG"); }, 1, false, ""},
        {"connector", [](auto& s) { s.addConnector(); }, 1, false, ""},
        {"content part", [](auto& s) { s.addRawXml("<p:contentPart r:id=\"rId9\"/>"); }, 1, false, ""},
        {"not shapes", [](auto& s) { s.addRawXml("<p:extLst/><x:sp xmlns:x=\"urn:x\"/>"); }, 0, false, ""},
    };
    for (const auto& row : rows) {
        PptxBuilder b;
        auto& slide = b.addSlide();
        row.add(slide);
        const auto content = test::ReadBytes(b.bytes());
        const auto& shapes = content.slides.at(0).shapes;
        ASSERT_EQ(shapes.size(), row.count) << row.name;
        if (row.count == 0)
            continue;
        EXPECT_EQ(shapes[0].hasTextFrame, row.hasTextFrame) << row.name;
        EXPECT_EQ(shapes[0].text, row.text) << row.name;
    }
}

TEST(OoxmlReaderShapes, TopLevelShapesInDocumentOrder) {
    PptxBuilder b;
    b.addSlide().addPicture("img").addTextBox({"first"}).addGroup({"g1", "g2"}).addPlaceholder({"second"});
    const auto content = test::ReadBytes(b.bytes());
    const auto& shapes = content.slides.at(0).shapes;
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_FALSE(shapes[0].hasTextFrame);
    EXPECT_EQ(shapes[1].text, "first");
    EXPECT_FALSE(shapes[2].hasTextFrame);
    EXPECT_EQ(shapes[3].text, "second");
}

TEST(OoxmlReaderShapes, AlternateContentStandsForOneShape) {
    using test::AlternateContentXml;
    using test::TextBoxXml;
    struct Row {
        const char* name;
        std::string xml;
        std::vector<std::string> texts;
    };
    const Row rows[] = {
        {"extension choice is taken",
         AlternateContentXml("p14", TextBoxXml({"choice"}), TextBoxXml({"fallback"})),
         {"choice"}},
        {"understood choice is taken",
         AlternateContentXml("p a", TextBoxXml({"choice"}), TextBoxXml({"fallback"})),
         {"choice"}},
        {"no fallback, nothing", AlternateContentXml("zz", TextBoxXml({"choice"}), ""), {}},
        {"undeclared prefix is not understood",
         AlternateContentXml("zz", TextBoxXml({"c"}), TextBoxXml({"f"})),
         {"f"}},
        {"nested",
         AlternateContentXml("zz", "", AlternateContentXml("p", TextBoxXml({"inner"}), "")),
         {"inner"}},
        {"picture fallback has no text frame",
         AlternateContentXml("p14", "<p:contentPart/>", test::PictureXml("r")),
         {"<none>"}},
    };
    for (const auto& row : rows) {
        PptxBuilder b;
        b.addSlide().addRawXml(row.xml);
        const auto content = test::ReadBytes(b.bytes());
        const auto& shapes = content.slides.at(0).shapes;
        ASSERT_EQ(shapes.size(), row.texts.size()) << row.name;
        for (std::size_t i = 0; i < shapes.size(); ++i) {
            if (row.texts[i] == "<none>")
                EXPECT_FALSE(shapes[i].hasTextFrame) << row.name;
            else
                EXPECT_EQ(shapes[i].text, row.texts[i]) << row.name;
        }
    }
}

TEST(OoxmlReaderText, ParagraphsBreaksFieldsAndRuns) {
    struct Row {
        const char* name;
        std::vector<Paragraph> paragraphs;
        std::string expected;
    };
    const Row rows[] = {
        {"paragraphs joined with CR", {"one", "two", "three"}, "one\rtwo\rthree"},
        {"line break is VT", {"a\vb"}, "a\vb"},
        {"runs concatenated",
         {Paragraph{TextRun("jo"), TextRun("e@ex"), TextRun("ample.com")}},
         "joe@example.com"},
        {"field text included",
         {Paragraph{TextRun("Slide "), TextField("7"), TextRun(" of 9")}},
         "Slide 7 of 9"},
        {"tabs kept", {"name\tmail@x.org"}, "name\tmail@x.org"},
        {"escaped characters", {"<a&b> \"q\""}, "<a&b> \"q\""},
        {"non-ASCII", {"Zoë – 東京"}, "Zoë – 東京"},
        {"whitespace-only run", {Paragraph{TextRun("a"), TextRun(" "), TextRun("b")}}, "a b"},
        {"one empty paragraph", {""}, ""},
        {"two empty paragraphs", {"", ""}, "\r"},
        {"break at paragraph edges", {Paragraph{LineBreak(), TextRun("x"), LineBreak()}, "y"}, "\vx\v\ry"},
    };
    for (const auto& row : rows) {
        PptxBuilder b;
        b.addSlide().addTextBox(row.paragraphs);
        EXPECT_EQ(onlyText(b), row.expected) << row.name;
        EXPECT_EQ(test::ExpectedText(row.paragraphs), row.expected) << row.name;
    }
}

TEST(OoxmlReaderText, XmlLevelDetails) {
    struct Row {
        const char* name;
        std::string paragraphs;
        std::string expected;
    };
    const Row rows[] = {
        {"character references", "<a:p><a:r><a:t>&#x41;&#66;&amp;&apos;</a:t></a:r></a:p>", "AB&'"},
        {"CDATA", "<a:p><a:r><a:t>x<![CDATA[<y>]]>z</a:t></a:r></a:p>", "x<y>z"},
        {"CR LF in text becomes LF", "<a:p><a:r><a:t>a\r\nb</a:t></a:r></a:p>", "a\nb"},
        {"undefined entity stays literal", "<a:p><a:r><a:t>&ent;</a:t></a:r></a:p>", "&ent;"},
        {"math alternate inside a paragraph",
         "<a:p><a:r><a:t>E=</a:t></a:r><mc:AlternateContent><mc:Choice Requires=\"p14\"><a:r><a:t>math</a:t>"
         "</a:r></mc:Choice><mc:Fallback><a:r><a:t>mc2</a:t></a:r></mc:Fallback></mc:AlternateContent></a:p>",
         "E=math"},
        {"text outside runs ignored", "<a:p>stray<a:pPr/><a:r><a:t>ok</a:t></a:r></a:p>", "ok"},
    };
    for (const auto& row : rows) {
        PptxBuilder b;
        b.addSlide();
        b.setPart("ppt/slides/slide1.xml",
                  slideXml("<p:sp><p:txBody>" + row.paragraphs + "</p:txBody></p:sp>"));
        EXPECT_EQ(onlyText(b), row.expected) << row.name;
    }
}

struct BadRow {
    const char* name;
    std::function<std::string()> bytes;
    test::Refusal expected;
};

std::string withPart(const char* name, std::string data) {
    PptxBuilder b;
    b.addSlide().addTextBox({"x"});
    b.addSlide().addTextBox({"y"});
    b.setPart(name, std::move(data));
    return b.bytes();
}

std::string withoutPart(const char* name) {
    PptxBuilder b;
    b.addSlide().addTextBox({"x"});
    b.addSlide().addTextBox({"y"});
    b.removePart(name);
    return b.bytes();
}

std::string officeDocument(const char* mainName, const char* contentType, const char* root) {
    return test::ZipBytes(
        {{"[Content_Types].xml",
          std::string("<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                      "<Override PartName=\"/") +
              mainName + "\" ContentType=\"" + contentType + "\"/></Types>"},
         {"_rels/.rels",
          std::string(
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
              "relationships/officeDocument\" Target=\"") +
              mainName + "\"/></Relationships>"},
         {mainName, root}});
}

TEST(OoxmlReaderBadInput, RefusalsCarryTheirKindPartAndOffset) {
    const BadRow rows[] = {
        {"plain zip",
         [] {
             return test::ZipBytes({{"notes.txt", "hello"}});
         },
         {FailureKind::NotPresentation}},
        {"empty zip", [] { return test::ZipBytes({}); }, {FailureKind::NotPresentation}},
        {"word document",
         [] {
             return officeDocument(
                 "word/document.xml",
                 "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
                 "<w:document xmlns:w=\"urn:w\"/>");
         },
         {FailureKind::NotPresentation}},
        {"spreadsheet",
         [] {
             return officeDocument(
                 "xl/workbook.xml",
                 "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml", "<workbook/>");
         },
         {FailureKind::NotPresentation}},
        {"untyped main part that is no presentation",
         [] { return officeDocument("main.xml", "application/xml", "<document/>"); },
         {FailureKind::NotPresentation}},
        {"no main document relationship",
         [] {
             return withPart("_rels/.rels",
                             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
                             "2006/relationships\"/>");
         },
         {FailureKind::NotPresentation}},
        {"main part missing",
         [] { return withoutPart("ppt/presentation.xml"); },
         {FailureKind::Damaged, "ppt/presentation.xml"}},
        {"presentation relationships missing",
         [] { return withoutPart("ppt/_rels/presentation.xml.rels"); },
         {FailureKind::Damaged, "ppt/_rels/presentation.xml.rels"}},
        {"slide part missing",
         [] { return withoutPart("ppt/slides/slide2.xml"); },
         {FailureKind::Damaged, "ppt/slides/slide2.xml"}},
        {"relationship id unknown",
         [] {
             PptxBuilder b;
             b.addSlide();
             b.setSlideOrder({1});
             auto bytes = b.entries();
             for (auto& e : bytes)
                 if (e.name == "ppt/presentation.xml")
                     e.data.replace(e.data.find("rId100"), 6, "rId7");
             return test::ZipBytes(bytes);
         },
         {FailureKind::Damaged, "ppt/_rels/presentation.xml.rels"}},
        {"slide listed twice",
         [] {
             PptxBuilder b;
             b.addSlide();
             b.setSlideOrder({1, 1});
             return b.bytes();
         },
         {FailureKind::Damaged, "ppt/presentation.xml"}},
        {"malformed slide XML",
         [] { return withPart("ppt/slides/slide2.xml", "<p:sld><p:cSld>"); },
         {FailureKind::Damaged, "ppt/slides/slide2.xml", 15}},
        {"malformed presentation XML",
         [] { return withPart("ppt/presentation.xml", "<<>"); },
         {FailureKind::Damaged, "ppt/presentation.xml", 0}},
        {"empty slide part",
         [] { return withPart("ppt/slides/slide1.xml", ""); },
         {FailureKind::Damaged, "ppt/slides/slide1.xml", 0}},
        {"slide that is not a slide",
         [] { return withPart("ppt/slides/slide1.xml", "<p:notes xmlns:p=\"urn:x\"/>"); },
         {FailureKind::Damaged, "ppt/slides/slide1.xml"}},
        {"document type declared",
         [] {
             return withPart("ppt/slides/slide1.xml", "<!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
                                                      "\"&a;&a;&a;&a;&a;&a;\">]>" +
                                                          slideXml("<p:sp><p:txBody><a:p><a:r><a:t>&b;</a:t>"
                                                                   "</a:r></a:p></p:txBody></p:sp>"));
         },
         {FailureKind::Damaged, "ppt/slides/slide1.xml", 0}},
        {"alternate content nested too deeply",
         [] {
             std::string xml = test::TextBoxXml({"deep"});
             for (int i = 0; i < 20; ++i)
                 xml = test::AlternateContentXml("p", xml, "");
             return withPart("ppt/slides/slide1.xml", slideXml(xml));
         },
         {FailureKind::Damaged, "ppt/slides/slide1.xml"}},
        {"claims to inflate past the limit",
         [] {
             return withClaimedSize(withPart("ppt/slides/slide1.xml", slideXml("")), "ppt/slides/slide1.xml",
                                    3'000'000'000u);
         },
         {FailureKind::OverLimit, "ppt/slides/slide1.xml"}},
        {"claims an impossible compression ratio",
         [] {
             return withClaimedSize(withPart("ppt/slides/slide1.xml", slideXml("")), "ppt/slides/slide1.xml",
                                    60'000'000u);
         },
         {FailureKind::OverLimit, "ppt/slides/slide1.xml"}},
        {"garbage after the zip signature",
         [] { return std::string("PK\3\4") + std::string(200, 'x'); },
         {FailureKind::Damaged}},
        {"truncated package", [] { return withPart("x", "y").substr(0, 900); }, {FailureKind::Damaged}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(test::RefusalOf(row.bytes()), row.expected)
            << row.name << ": " << test::FailureOf(row.bytes());
}

TEST(OoxmlReaderBadInput, CorruptDataInANeededPartIsCaught) {
    PptxBuilder b;
    b.addSlide().addTextBox({"some text that deflate will compress into a few bytes"});
    const std::string good = b.bytes();
    const auto name = good.find("ppt/slides/slide1.xml");
    ASSERT_NE(name, std::string::npos);
    // Flip bytes inside the compressed data that follows the local header.
    int failures = 0;
    for (std::size_t offset = 40; offset < 200; offset += 7) {
        std::string bad = good;
        bad[name + 21 + offset] ^= 0x5A;
        const auto description = test::FailureOf(bad);
        if (description.find("slide1.xml") != std::string::npos)
            ++failures;
        EXPECT_EQ(description.find(test::kNoFailure), std::string::npos) << offset;
    }
    EXPECT_GT(failures, 0);
}

TEST(OoxmlReaderBadInput, StoredPartWithWrongChecksumAndEncryptedParts) {
    PptxBuilder b;
    b.addSlide().addTextBox({"plain text here"});
    auto entries = b.entries();
    for (auto& e : entries)
        e.compress = false;
    std::string stored = test::ZipBytes(entries);
    stored[stored.find("plain text here")] = 'P';
    EXPECT_NE(test::FailureOf(stored).find("ppt/slides/slide1.xml fails its CRC check"), std::string::npos);

    for (auto& e : entries)
        e.password = "secret";
    std::string encrypted;
    try {
        encrypted = test::ZipBytes(entries);
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "this libzip cannot write encrypted entries";
    }
    EXPECT_NE(test::FailureOf(encrypted).find("password-protected"), std::string::npos)
        << test::FailureOf(encrypted);
}

TEST(OoxmlReaderBadInput, UnreadPartsCostNothing) {
    // A picture whose data is corrupt and whose size claims gigabytes is never
    // inflated, so the deck reads normally.
    PptxBuilder b;
    b.addSlide().addPicture(std::string(5000, 'p')).addTextBox({"text"});
    std::string bytes = withClaimedSize(b.bytes(), "ppt/media/image1_1.png", 4'000'000'000u);
    bytes[bytes.find("pppppppp")] = 'Q';
    const auto content = test::ReadBytes(bytes);
    EXPECT_EQ(content.slides.at(0).shapes.at(1).text, "text");
}

TEST(OoxmlReaderBadInput, DeepNestingNeitherCrashesNorRecurses) {
    std::string deep;
    for (int i = 0; i < 200'000; ++i)
        deep += "<a:x>";
    for (int i = 0; i < 200'000; ++i)
        deep += "</a:x>";
    const auto content = test::ReadBytes(
        withPart("ppt/slides/slide1.xml", slideXml("<p:sp><p:txBody><a:p><a:r><a:t>ok</a:t></a:r>" + deep +
                                                   "</a:p></p:txBody></p:sp>" + deep)));
    EXPECT_EQ(content.slides.at(0).shapes.at(0).text, "ok");
}

TEST(OoxmlZipPackage, LimitsAreChecked) {
    const std::string zip = test::ZipBytes({{"big.xml", std::string(200'000, ' ')}});
    const MemoryByteSource source(std::span(reinterpret_cast<const std::uint8_t*>(zip.data()), zip.size()));
    const auto failure = [&](ZipLimits limits) -> std::string {
        try {
            ZipPackage package(source, limits);
            package.read(*package.find("BIG.XML"), "big.xml");
        } catch (const Failure& f) {
            return f.description();
        }
        return {};
    };
    EXPECT_EQ(failure({}), "");
    EXPECT_NE(failure({.maxPartSize = 100'000}).find("too large"), std::string::npos);
    EXPECT_NE(failure({.maxTotalInflated = 100'000}).find("more than"), std::string::npos);
    EXPECT_NE(failure({.ratioCheckAbove = 1000, .maxRatio = 50}).find("zip bomb"), std::string::npos);
}

// Plain packages are read without libzip; anything out of the ordinary is left
// to it, and both read the same parts.
TEST(OoxmlZipPackage, DirectoryReadItselfOnlyWhenPlain) {
    const auto endRecord = [](std::string& zip) { return zip.rfind(std::string("PK\5\6", 4)); };
    const auto firstEntry = [](std::string& zip) { return zip.find(std::string("PK\1\2", 4)); };
    const auto withComment = [&](std::string comment) {
        return [&, comment](std::string& zip) {
            zip[endRecord(zip) + 20] = static_cast<char>(comment.size());
            zip += comment;
        };
    };
    struct Row {
        const char* what;
        std::string name;
        std::function<void(std::string&)> change;
        bool itself;
    };
    const Row rows[] = {
        {"plain", "a.xml", [](std::string&) {}, true},
        {"with a comment", "a.xml", withComment("made by hand"), true},
        {"a second end record in the comment", "a.xml", withComment(std::string("PK\5\6", 4)), false},
        {"a zip64 locator in the comment", "a.xml", withComment(std::string("PK\6\7", 4)), false},
        {"bytes after the end record", "a.xml", [](std::string& zip) { zip += "junk"; }, false},
        {"a name beyond ASCII", "\xC3\xA9.xml", [](std::string&) {}, false},
        {"another method", "a.xml", [&](std::string& zip) { zip[firstEntry(zip) + 10] = 12; }, false},
        {"encrypted", "a.xml", [&](std::string& zip) { zip[firstEntry(zip) + 8] |= 1; }, false},
    };
    for (const auto& row : rows) {
        std::string zip = test::ZipBytes({{row.name, "<x>mail@example.com</x>"}});
        row.change(zip);
        const MemoryByteSource source(
            std::span(reinterpret_cast<const std::uint8_t*>(zip.data()), zip.size()));
        const ZipPackage own(source);
        EXPECT_EQ(own.readsDirectoryItself(), row.itself) << row.what;
        EXPECT_EQ(own.entryCount(), 1u) << row.what;
        EXPECT_EQ(own.entryName(0), row.name) << row.what;
        EXPECT_FALSE(ZipPackage(source, {}, ZipDirectoryReader::Libzip).readsDirectoryItself()) << row.what;
    }
}

TEST(OoxmlZipPackage, NamesAreFoundAsADirectoryScanFindsThem) {
    std::vector<test::ZipEntry> entries;
    for (int i = 0; i < 40; ++i)
        entries.emplace_back("part" + std::to_string(i) + ".xml", "<x/>");
    std::string zip = test::ZipBytes(entries);
    // part1.xml renamed part0.xml, in its local record and the directory:
    // the first entry of the name is the one found.
    for (auto at = zip.find("part1.xml"); at != std::string::npos; at = zip.find("part1.xml", at))
        zip[at + 4] = '0';
    const MemoryByteSource source(std::span(reinterpret_cast<const std::uint8_t*>(zip.data()), zip.size()));
    for (const auto reader : {ZipDirectoryReader::Own, ZipDirectoryReader::Libzip}) {
        const ZipPackage package(source, {}, reader);
        EXPECT_EQ(package.findExact("part0.xml"), 0u);
        EXPECT_EQ(package.find("PART0.XML"), 0u);
        EXPECT_EQ(package.findExact("part1.xml"), std::nullopt);
        for (std::uint64_t i = 2; i < 40; ++i)
            EXPECT_EQ(package.findExact("part" + std::to_string(i) + ".xml"), i);
        EXPECT_EQ(package.findExact("part40.xml"), std::nullopt);
    }
}

TEST(OoxmlParts, ResolvePartName) {
    struct Row {
        const char* source;
        const char* target;
        std::optional<std::string> expected;
    };
    const Row rows[] = {
        {"ppt/presentation.xml", "slides/slide1.xml", "ppt/slides/slide1.xml"},
        {"ppt/slides/slide1.xml", "../media/image1.png", "ppt/media/image1.png"},
        {"ppt/presentation.xml", "/ppt/slides/s.xml", "ppt/slides/s.xml"},
        {"ppt/presentation.xml", "./slides/./s.xml#part", "ppt/slides/s.xml"},
        {"", "ppt/presentation.xml", "ppt/presentation.xml"},
        {"ppt/presentation.xml", "../../x.xml", std::nullopt},
        {"ppt/presentation.xml", "slides/", std::nullopt},
        {"ppt/slides/slide1.xml", "..\\media\\image1.png", "ppt/media/image1.png"},
        {"ppt/presentation.xml", "\\ppt\\slides\\", std::nullopt},
        {"ppt/presentation.xml", "", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ResolvePartName(row.source, row.target), row.expected) << row.source << " + " << row.target;
    EXPECT_EQ(RelationshipsPartName("ppt/presentation.xml"), "ppt/_rels/presentation.xml.rels");
    EXPECT_EQ(RelationshipsPartName(""), "_rels/.rels");
}

TEST(OoxmlReaderFiles, ReadsFromDiskAndInParallel) {
    PptxBuilder b;
    for (int i = 0; i < 5; ++i)
        b.addSlide().addTextBox({"slide " + std::to_string(i)}).addPicture(std::string(100'000, 'z'));
    const test::TempDir dir;
    const auto path = dir.path() / "deck.pptm";
    b.writeTo(path);
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int round = 0; round < 20; ++round) {
                const auto content = ReadPresentationFile(path.string());
                if (content.slides.size() == 5 && content.slides[4].shapes.at(0).text == "slide 4")
                    ++good;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(good.load(), 80);
}

} // namespace
} // namespace orv
