// OpenDocument presentations: recognition, slides, top-level shapes and their
// text frames, text, refusals and limits.
#include "base/Failure.h"
#include "extract/PresentationReader.h"
#include "extract/common/ReadLimits.h"
#include "support/OdpBuilder.h"
#include "support/ReadBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv {
namespace {

using test::FailureOf;
using test::OdpBuilder;
using test::Paragraph;
using test::ReadBytes;
using test::TextField;
using test::TextRun;

// Both forms of a deck, read.
std::vector<std::string> packageShapes(const OdpBuilder& b) {
    return test::ShapeTexts(ReadBytes(b.bytes()));
}

std::vector<std::string> flatShapes(const OdpBuilder& b) {
    return test::ShapeTexts(ReadBytes(b.flatBytes()));
}

struct ShapeCase {
    const char* name;
    std::string xml; // children of one draw:page
    std::vector<std::string> expected;
};

class OdpShapes : public testing::TestWithParam<ShapeCase> {};

TEST_P(OdpShapes, TopLevelShapesAndTextFrames) {
    OdpBuilder b;
    b.addSlide().addRawXml(GetParam().xml);
    auto expected = GetParam().expected;
    expected.push_back("<end of slide>");
    EXPECT_EQ(packageShapes(b), expected);
    EXPECT_EQ(flatShapes(b), expected);
}

const std::string kBox = "<draw:text-box><text:p>x@example.com</text:p></draw:text-box>";

INSTANTIATE_TEST_SUITE_P(
    Odp, OdpShapes,
    testing::Values(
        ShapeCase{"TextBoxFrame", "<draw:frame>" + kBox + "</draw:frame>", {"x@example.com"}},
        ShapeCase{"TitleOutlineSubtitleText",
                  "<draw:frame presentation:class=\"title\">" + kBox +
                      "</draw:frame><draw:frame presentation:class=\"outline\">" + kBox +
                      "</draw:frame><draw:frame presentation:class=\"subtitle\">" + kBox +
                      "</draw:frame><draw:frame presentation:class=\"text\">" + kBox + "</draw:frame>",
                  {"x@example.com", "x@example.com", "x@example.com", "x@example.com"}},
        ShapeCase{
            "EmptyPlaceholderPromptIsNoText",
            "<draw:frame presentation:class=\"title\" presentation:placeholder=\"true\">"
            "<draw:text-box><text:p>Click to add Title p@example.com</text:p></draw:text-box></draw:frame>"
            "<draw:frame presentation:class=\"outline\" presentation:placeholder=\"true\"/>",
            {"", ""}},
        ShapeCase{"ObjectPlaceholderWithoutContent",
                  "<draw:frame presentation:class=\"graphic\" presentation:placeholder=\"true\"/>",
                  {"<no text frame>"}},
        ShapeCase{"BasicShapes",
                  "<draw:custom-shape><text:p>c</text:p></draw:custom-shape><draw:rect><text:p>r</text:p>"
                  "</draw:rect><draw:ellipse><text:p>e</text:p></draw:ellipse><draw:circle/>"
                  "<draw:polygon><text:p>p</text:p></draw:polygon><draw:regular-polygon/><draw:path/>"
                  "<draw:caption><text:p>k</text:p></draw:caption>",
                  {"c", "r", "e", "", "p", "", "", "k"}},
        ShapeCase{
            "LinesConnectorsGroupsAndObjects",
            "<draw:line><text:p>l</text:p></draw:line><draw:polyline/><draw:connector><text:p>c</text:p>"
            "</draw:connector><draw:measure/><draw:g><draw:frame>" +
                kBox +
                "</draw:frame></draw:g><draw:page-thumbnail/><draw:control/>"
                "<dr3d:scene/>",
            {"<no text frame>", "<no text frame>", "<no text frame>", "<no text frame>", "<no text frame>",
             "<no text frame>", "<no text frame>", "<no text frame>"}},
        ShapeCase{
            "FramesOfPicturesChartsTablesAndObjects",
            "<draw:frame><draw:image><text:p>i@example.com</text:p></draw:image></draw:frame>"
            "<draw:frame><draw:object/><draw:image/></draw:frame><draw:frame><draw:object-ole/></draw:frame>"
            "<draw:frame><draw:plugin/></draw:frame><draw:frame><table:table><table:table-row>"
            "<table:table-cell><text:p>t@example.com</text:p></table:table-cell></table:table-row>"
            "</table:table></draw:frame>",
            {"<no text frame>", "<no text frame>", "<no text frame>", "<no text frame>", "<no text frame>"}},
        ShapeCase{"FrameShowsItsFirstContent",
                  "<draw:frame><svg:title>t</svg:title>" + kBox +
                      "<draw:image/></draw:frame><draw:frame><draw:image/>" + kBox + "</draw:frame>",
                  {"x@example.com", "<no text frame>"}},
        ShapeCase{"NotesFormsAndAnimationsAreNoShapes",
                  "<presentation:notes><draw:frame presentation:class=\"notes\">" + kBox +
                      "</draw:frame></presentation:notes><office:forms/><svg:desc>d</svg:desc>",
                  {}},
        ShapeCase{"ShapeMadeALinkCountsAsItself",
                  "<draw:a xlink:href=\"https://example.com\"><draw:custom-shape><text:p>a</text:p>"
                  "</draw:custom-shape></draw:a>",
                  {"a"}},
        ShapeCase{"ForeignElementsAndWrongNamespacesAreNoShapes",
                  "<x:frame xmlns:x=\"urn:example\">" + kBox +
                      "</x:frame><draw:frame xmlns:draw=\"urn:other\">" + kBox + "</draw:frame>",
                  {}},
        ShapeCase{"OtherPrefixesForTheSameNamespaces",
                  "<d:frame xmlns:d=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
                  "xmlns:t=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><d:text-box><t:p>a</t:p>"
                  "<t:p>b</t:p></d:text-box></d:frame>",
                  {"a\rb"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct TextCase {
    const char* name;
    std::string paragraphs; // content of a text box
    std::string expected;
};

class OdpText : public testing::TestWithParam<TextCase> {};

TEST_P(OdpText, ParagraphsAndWhiteSpace) {
    OdpBuilder b;
    b.addSlide().addRawXml("<draw:frame><draw:text-box>" + GetParam().paragraphs +
                           "</draw:text-box></draw:frame>");
    EXPECT_EQ(packageShapes(b), (std::vector<std::string>{GetParam().expected, "<end of slide>"}));
}

INSTANTIATE_TEST_SUITE_P(
    Odp, OdpText,
    testing::Values(
        TextCase{"ParagraphsAndHeadingsJoinedWithCr", "<text:p>a</text:p><text:h>b</text:h><text:p/>",
                 "a\rb\r"},
        TextCase{
            "ListsAtAnyDepth",
            "<text:list><text:list-header><text:p>h</text:p></text:list-header><text:list-item><text:p>1</"
            "text:p>"
            "<text:list><text:list-item><text:p>1.1</text:p></text:list-item></text:list></text:list-item>"
            "</text:list><text:p>after</text:p>",
            "h\r1\r1.1\rafter"},
        TextCase{"BreakTabAndSpaces",
                 "<text:p>a<text:line-break/>b<text:tab/>c<text:s/>d<text:s text:c=\"3\"/>e</text:p>",
                 "a\vb\tc d   e"},
        TextCase{"SpansLinksAndFields",
                 "<text:p><text:span>Mail <text:a "
                 "xlink:href=\"mailto:z@example.com\">a@example.com</text:a></text:span>"
                 " slide <text:page-number>3</text:page-number>, <text:date>2026-12-07</text:date></text:p>",
                 "Mail a@example.com slide 3, 2026-12-07"},
        TextCase{"RawWhiteSpaceCollapses",
                 "<text:p>\n  one@example.com\n\ttwo@example.com  \r\n three  </text:p>",
                 "one@example.com two@example.com three"},
        TextCase{"CollapsingCrossesElements",
                 "<text:p>a <text:span> b</text:span> <text:span>c</text:span></text:p>", "a b c"},
        TextCase{"LoneSpacesAtTheEndsOfCharacterData",
                 "<text:p> a <text:span>b </text:span>c<text:span> </text:span>d<text:s/> e </text:p>"
                 "<text:p> <text:span> f</text:span> </text:p>",
                 "a b c d  e\rf"},
        TextCase{"SpaceElementsAreKept", "<text:p><text:s/>a <text:s/> b<text:s text:c=\"2\"/></text:p>",
                 " a   b  "},
        TextCase{
            "NotesRubyAnnotationsAndAnchoredShapesAreNotText",
            "<text:p>a<text:note><text:note-citation>1</text:note-citation><text:note-body><text:p>n@x.com"
            "</text:p></text:note-body></text:note><text:ruby><text:ruby-base>b</text:ruby-base>"
            "<text:ruby-text>r</text:ruby-text></text:ruby><office:annotation><text:p>c@x.com</text:p>"
            "</office:annotation><draw:frame>" +
                kBox + "</draw:frame>d</text:p>",
            "a1bd"},
        TextCase{"ForeignElementsUnlessTheySayNot",
                 "<text:p xmlns:f=\"urn:example\" "
                 "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\">"
                 "<f:x>kept</f:x> <f:y office:process-content=\"false\">dropped</f:y></text:p>",
                 "kept"},
        TextCase{"NumberingLabelsAndTablesAreNotText",
                 "<text:h><text:number>1.</text:number>Head</"
                 "text:h><table:table><table:table-row><table:table-cell>"
                 "<text:p>t</text:p></table:table-cell></table:table-row></table:table>",
                 "Head"},
        TextCase{"CdataAndEscapes", "<text:p>&lt;a&gt; <![CDATA[b@example.com]]></text:p>",
                 "<a> b@example.com"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OdpReader, BuilderTextReadsBackAsWritten) {
    const std::vector<Paragraph> paragraphs = {"  two  leading", "tab\there\vbreak ",
                                               Paragraph{TextRun("Page "), TextField("3")}};
    OdpBuilder b;
    b.addSlide().addTextBox(paragraphs).addShape({"shape@example.com"});
    b.addSlide();
    b.addSlide().addPlaceholder({"third"}, "title");
    const std::vector<std::string> expected = {test::ExpectedText(paragraphs),
                                               "shape@example.com",
                                               "<end of slide>",
                                               "<end of slide>",
                                               "third",
                                               "<end of slide>"};
    EXPECT_EQ(packageShapes(b), expected);
    EXPECT_EQ(flatShapes(b), expected);
}

TEST(OdpReader, RecognisedByContentInEveryForm) {
    OdpBuilder b;
    b.addSlide().addTextBox({"a@example.com"});
    b.setMimeType("application/vnd.oasis.opendocument.presentation-template");
    EXPECT_EQ(FailureOf(b.bytes()), test::kNoFailure);
    EXPECT_EQ(FailureOf(b.flatBytes()), test::kNoFailure);
    b.setMimeType(std::nullopt); // the manifest alone says what it is
    EXPECT_EQ(FailureOf(b.bytes()), test::kNoFailure);
    b.setMimeType("application/vnd.oasis.opendocument.presentation-flat-xml");
    EXPECT_EQ(FailureOf(b.flatBytes()), test::kNoFailure);
    b.setMimeType(" application/vnd.oasis.opendocument.presentation\n");
    b.setManifest(false); // the mimetype entry alone
    EXPECT_EQ(FailureOf(b.bytes()), test::kNoFailure);
}

struct RefusalCase {
    const char* name;
    std::function<void(OdpBuilder&)> change;
    bool flat;
    std::string description;
};

class OdpRefusals : public testing::TestWithParam<RefusalCase> {};

TEST_P(OdpRefusals, PlainDescriptions) {
    OdpBuilder b;
    b.addSlide().addTextBox({"a@example.com"});
    GetParam().change(b);
    EXPECT_EQ(FailureOf(GetParam().flat ? b.flatBytes() : b.bytes()), GetParam().description);
}

const auto setType = [](std::string type) {
    return [type](OdpBuilder& b) {
        b.setMimeType(type);
        b.setManifestType(type);
    };
};

const std::string kContentHead = "<?xml version=\"1.0\"?>";

INSTANTIATE_TEST_SUITE_P(
    Odp, OdpRefusals,
    testing::Values(
        RefusalCase{"TextDocument", setType("application/vnd.oasis.opendocument.text"), false,
                    "The file is not a presentation: it is a word-processing document."},
        RefusalCase{"FlatSpreadsheet", setType("application/vnd.oasis.opendocument.spreadsheet"), true,
                    "The file is not a presentation: it is a spreadsheet."},
        RefusalCase{"Drawing", setType("application/vnd.oasis.opendocument.graphics"), false,
                    "The file is not a presentation: it is a drawing."},
        RefusalCase{
            "ForeignType", setType("image/png\x1b]"), false,
            "The file is not a presentation: it is an OpenDocument file of the type \"image/png\\x1b]\"."},
        RefusalCase{"MimetypeWinsOverManifest",
                    [](OdpBuilder& b) { b.setMimeType("application/vnd.oasis.opendocument.text-template"); },
                    false, "The file is not a presentation: it is a word-processing document."},
        RefusalCase{
            "NoTypeAnywhere",
            [](OdpBuilder& b) {
                b.setMimeType(std::nullopt);
                b.setManifestType("");
            },
            false,
            "The file is not a presentation: it is an OpenDocument file that does not say what kind of "
            "document it holds."},
        RefusalCase{"Encrypted", [](OdpBuilder& b) { b.setEncrypted(true); }, false,
                    "The presentation is password-protected (encrypted) and cannot be read."},
        RefusalCase{"ContentEmpty", [](OdpBuilder& b) { b.setPart("content.xml", ""); }, false,
                    "The presentation is damaged: the part content.xml is not well-formed XML (No document "
                    "element found at byte 0)."},
        RefusalCase{
            "ContentNotWellFormed", [](OdpBuilder& b) { b.setPart("content.xml", "<a><b></a>"); }, false,
            "The presentation is damaged: the part content.xml is not well-formed XML (Start-end tags "
            "mismatch at byte 8)."},
        RefusalCase{"DocumentType",
                    [](OdpBuilder& b) {
                        b.setPart("content.xml", kContentHead + "<!DOCTYPE x [<!ENTITY e \"e\">]><x/>");
                    },
                    false,
                    "The presentation is damaged: the part content.xml declares a document type, which is "
                    "refused in OpenDocument files."},
        RefusalCase{"ManifestDocumentType",
                    [](OdpBuilder& b) { b.setPart("META-INF/manifest.xml", "<!DOCTYPE m><m/>"); }, false,
                    "The presentation is damaged: the part META-INF/manifest.xml declares a document type, "
                    "which is refused in OpenDocument files."},
        RefusalCase{
            "ContentOfAnotherVocabulary",
            [](OdpBuilder& b) { b.setPart("content.xml", "<office:document-content xmlns:office=\"x\"/>"); },
            false, "The presentation is damaged: the part content.xml holds no OpenDocument content."},
        RefusalCase{
            "ContentWithoutPresentation",
            [](OdpBuilder& b) {
                b.setPart("content.xml",
                          "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:"
                          "office:1.0\"><office:body><office:text/></office:body></office:document-content>");
            },
            false, "The presentation is damaged: the part content.xml holds no presentation."},
        // The default mode skips the notes pages, checked all the same.
        RefusalCase{"NotesNotWellFormed",
                    [](OdpBuilder& b) {
                        b.setPart(
                            "content.xml",
                            "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:"
                            "office:1.0\" xmlns:p=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
                            "\"><office:body><office:presentation><p:notes><a b=\"<\"/></p:notes>"
                            "</office:presentation></office:body></office:document-content>");
                    },
                    false,
                    "The presentation is damaged: the part content.xml is not well-formed XML (Error parsing "
                    "element attribute at byte 203)."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OdpReader, ContentInUtf16IsRead) {
    OdpBuilder b;
    b.addSlide().addTextBox({"a@example.com"});
    const std::string content = b.contentXml();
    std::string wide = "\xFF\xFE"; // UTF-16LE of the (ASCII) content
    for (const char c : content)
        wide += std::string{c, '\0'};
    b.setPart("content.xml", wide);
    EXPECT_EQ(packageShapes(b), (std::vector<std::string>{"a@example.com", "<end of slide>"}));
}

TEST(OdpReader, MissingContentPartIsNamed) {
    OdpBuilder b;
    auto bytes = b.bytes();
    // Rename the entry (same length) in both of its records.
    for (auto at = bytes.find("content.xml"); at != std::string::npos; at = bytes.find("content.xml", at))
        bytes.replace(at, 11, "content.xmm");
    EXPECT_EQ(FailureOf(bytes), "The presentation is damaged: its content part content.xml is missing.");
}

TEST(OdpReader, FlatFilesAreRecognisedOnlyByTheirVocabulary) {
    const std::string office = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\"";
    EXPECT_EQ(FailureOf("<?xml version=\"1.0\"?><html/>"),
              "The file is not a presentation: it is neither a presentation package, a binary presentation, "
              "an OpenDocument presentation nor a Keynote presentation.");
    EXPECT_EQ(FailureOf("\xEF\xBB\xBF <x " + office + "/>"),
              "The file is not a presentation: it is an XML file but no OpenDocument document.");
    EXPECT_EQ(FailureOf("<office:document " + office + "><x>"),
              "The presentation is damaged: the file is not well-formed XML (Start-end tags mismatch at byte "
              "84).");
    EXPECT_EQ(FailureOf("<!DOCTYPE d><office:document " + office + "/>"),
              "The presentation is damaged: the file declares a document type, which is refused in "
              "OpenDocument files.");
}

// One slide holding `xml`, as a package; and the offset in its content part of
// the `nth` (from 0) occurrence of `marker`.
OdpBuilder deckWith(const std::string& xml) {
    OdpBuilder b;
    b.addSlide().addRawXml(xml);
    return b;
}

std::uint64_t offsetIn(const OdpBuilder& b, const std::string& marker, std::size_t nth = 0) {
    const std::string content = b.contentXml();
    std::size_t at = content.find(marker);
    for (std::size_t i = 0; i < nth; ++i)
        at = content.find(marker, at + 1);
    return at;
}

std::string repeated(const std::string& unit, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += unit;
    return out;
}

// Each budget refuses what a few bytes ask for, naming where: the part and
// the offset of the element that crosses it.
TEST(OdpReader, BudgetsRefuseWithKindAndOffset) {
    const std::string spaces = "<text:s text:c=\"16777100\"/>";
    const auto shapeWith = [](const std::string& inner) {
        return "<draw:custom-shape><text:p>a" + inner + "</text:p></draw:custom-shape>";
    };
    std::string declarations;
    for (std::size_t i = 0; i <= limits::kMaxNamespaceDeclarations; ++i)
        declarations += " xmlns:x" + std::to_string(i) + "=\"urn:x\"";
    OdpBuilder pages;
    for (int i = 0; i < 9; ++i)
        pages.addSlide().addRawXml(shapeWith(spaces));
    struct Row {
        const char* name;
        OdpBuilder deck;
        FailureKind kind;
        std::uint64_t offset;
    };
    const auto slideText = deckWith(shapeWith("<text:s text:c=\"99999999999999999999999\"/>"));
    const auto nesting = deckWith(shapeWith(repeated("<text:span>", limits::kMaxTextNesting + 1) +
                                            repeated("</text:span>", limits::kMaxTextNesting + 1)));
    const auto shapes = deckWith(repeated("<draw:rect/>", limits::kMaxShapesPerSlide + 1));
    const auto prefixes = deckWith("<draw:custom-shape" + declarations + "/>");
    const Row rows[] = {
        {"text of a slide", slideText, FailureKind::OverLimit, offsetIn(slideText, "<text:s ")},
        {"text of the whole file", pages, FailureKind::OverLimit, offsetIn(pages, "<text:s ", 8)},
        {"nesting", nesting, FailureKind::OverLimit,
         offsetIn(nesting, "<text:span>", limits::kMaxTextNesting - 1)},
        {"shapes on a slide", shapes, FailureKind::OverLimit,
         offsetIn(shapes, "<draw:rect/>", limits::kMaxShapesPerSlide)},
        {"declarations on an element", prefixes, FailureKind::Damaged,
         offsetIn(prefixes, "<draw:custom-shape")},
    };
    for (const auto& row : rows)
        EXPECT_EQ(test::RefusalOf(row.deck.bytes()), (test::Refusal{row.kind, "content.xml", row.offset}))
            << row.name << ": " << FailureOf(row.deck.bytes());

    // The parser's count of elements and attributes: only they count, and
    // the refusal names where it was crossed.
    const auto elements = deckWith(repeated("<a/>", limits::kMaxXmlNodes));
    const auto refusal = test::RefusalOf(elements.bytes());
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->kind, FailureKind::OverLimit);
    EXPECT_EQ(elements.contentXml().substr(*refusal->offset, 4), "<a/>");
    EXPECT_EQ(FailureOf(deckWith(shapeWith(std::string(limits::kMaxXmlNodes + 1, '=') + " a@b.com")).bytes()),
              test::kNoFailure);

    std::string big = "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\">";
    big.resize(limits::kMaxFlatDocumentSize + 1, ' ');
    EXPECT_EQ(test::RefusalOf(big), test::Refusal{FailureKind::OverLimit});
}

// `text` (ASCII) as UTF-16, with or without a byte order mark.
std::string utf16(const std::string& text, bool bigEndian, bool mark) {
    std::string out = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (const char c : text)
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

// Well-formed files that an earlier parser read wrongly or refused: each
// gives its address.
TEST(OdpReader, WellFormedFilesAreRead) {
    OdpBuilder plain;
    plain.addSlide().addShape({"a@b.com"});
    const std::string flat = plain.flatBytes();
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    const std::string body = flat.substr(flat.find("?>") + 2);
    const std::string utf16Flat = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body;
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"reference with leading zeros",
         deckWith("<draw:custom-shape><text:p>a&#000000064;b.com</text:p></draw:custom-shape>").bytes()},
        {"flat UTF-16, little-endian, marked", utf16(utf16Flat, false, true)},
        {"flat UTF-16, little-endian, unmarked", utf16(utf16Flat, false, false)},
        {"flat UTF-16, big-endian, marked", utf16(utf16Flat, true, true)},
        {"flat UTF-16, big-endian, unmarked", utf16(body, true, false)},
        {"long comment before the root", declaration + "<!--" + std::string(5000, '-') + " -->" + body},
        {"element name longer than 65,535 bytes",
         deckWith("<draw:custom-shape><text:p>a@b.com</text:p></draw:custom-shape><x" +
                  std::string(70'000, 'n') + "/>")
             .bytes()},
        {"equals signs in text", deckWith("<draw:custom-shape><text:p>" + std::string(1'600'000, '=') +
                                          " a@b.com</text:p></draw:custom-shape>")
                                     .bytes()},
    };
    for (const auto& row : rows)
        EXPECT_EQ(test::AddressesIn(ReadBytes(row.bytes)), std::vector<std::string>{"a@b.com"})
            << row.name << ": " << FailureOf(row.bytes);
}

// The scopes down to the presentation are kept between slides: a shape refused
// for its declarations must leave none of them behind for the next slide.
TEST(OdpReader, RefusedShapeLeavesNoBindingsBehind) {
    std::string tooMany = " xmlns:text=\"urn:other\"";
    for (std::size_t i = 0; i < limits::kMaxNamespaceDeclarations; ++i)
        tooMany += " xmlns:x" + std::to_string(i) + "=\"urn:x\"";
    OdpBuilder b;
    b.addSlide().addRawXml("<draw:custom-shape" + tooMany + "/>");
    b.addSlide().addShape({"second@example.com"});
    std::string content = b.contentXml();
    const auto second = content.find("<draw:page", content.find("<draw:page") + 1);
    content.insert(second + 10, " xmlns:y=\"urn:y\""); // a page scope of its own
    b.setPart("content.xml", content);
    const std::string bytes = b.bytes();
    const auto document = OpenPresentationBytes(test::BytesOf(bytes));
    ASSERT_EQ(document->slideCount(), 2u);
    EXPECT_THROW(document->readSlide(0), Failure);
    const SlideContent slide = document->readSlide(1);
    ASSERT_EQ(slide.shapes.size(), 1u);
    EXPECT_EQ(slide.shapes[0].text, "second@example.com");
}

TEST(OdpReader, SlidesInDocumentOrderOneAtATime) {
    OdpBuilder b;
    b.addSlide().addTextBox({"first"});
    b.addSlide().addNotes("notes@example.com");
    b.addSlide().addTextBox({"third"});
    const std::string bytes = b.bytes();
    const auto document = OpenPresentationBytes(test::BytesOf(bytes));
    ASSERT_EQ(document->slideCount(), 3u);
    EXPECT_EQ(document->readSlide(2).shapes.at(0).text, "third");
    EXPECT_TRUE(document->readSlide(1).shapes.empty());
    EXPECT_EQ(document->readSlide(0).shapes.at(0).text, "first");
}

} // namespace
} // namespace orv
