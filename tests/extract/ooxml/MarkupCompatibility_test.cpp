#include "extract/common/OfficeNamespaces.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

using test::PptxBuilder;
using test::TextBoxXml;

constexpr std::string_view kP = "http://schemas.openxmlformats.org/presentationml/2006/main";
constexpr std::string_view kMc = "http://schemas.openxmlformats.org/markup-compatibility/2006";

// A slide whose shape tree holds `tree`; only p, a and mc are declared on the
// root, so every other prefix must be declared by the markup itself.
std::string slideWith(const std::string& tree) {
    return "<p:sld xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" xmlns:p=\"" +
           std::string(kP) + "\" xmlns:mc=\"" + std::string(kMc) + "\"><p:cSld><p:spTree>" + tree +
           "</p:spTree></p:cSld></p:sld>";
}

std::string declare(std::string_view prefix, std::string_view uri) {
    return " xmlns:" + std::string(prefix) + "=\"" + std::string(uri) + "\"";
}

std::string choice(std::string_view required, std::string_view declarations, std::string_view text) {
    return "<mc:Choice Requires=\"" + std::string(required) + "\"" + std::string(declarations) + ">" +
           TextBoxXml({std::string(text)}) + "</mc:Choice>";
}

std::string fallback(std::string_view text) {
    return "<mc:Fallback>" + TextBoxXml({std::string(text)}) + "</mc:Fallback>";
}

// The texts of the slide's shapes ("-" for a shape without a text frame).
std::vector<std::string> texts(const std::string& tree) {
    PptxBuilder b;
    b.addSlide();
    b.setPart("ppt/slides/slide1.xml", slideWith(tree));
    std::vector<std::string> out;
    const auto content = test::ReadBytes(b.bytes());
    for (const auto& shape : content.slides.at(0).shapes)
        out.push_back(shape.hasTextFrame ? shape.text : "-");
    return out;
}

TEST(MarkupCompatibility, ChoiceNeedingOnlyUnderstoodNamespacesIsTaken) {
    struct Row {
        const char* name;
        std::string uri; // bound to the prefix "x" on the Choice
        bool taken;
    };
    const Row rows[] = {
        {"PowerPoint 2010 (p14)", "http://schemas.microsoft.com/office/powerpoint/2010/main", true},
        {"PowerPoint 2012 (p15)", "http://schemas.microsoft.com/office/powerpoint/2012/main", true},
        {"PowerPoint 2015/09 (p159)", "http://schemas.microsoft.com/office/powerpoint/2015/09/main", true},
        {"PowerPoint 2015 (p16)", "http://schemas.microsoft.com/office/powerpoint/2015/main", true},
        {"comments 2018/8 (p188)", "http://schemas.microsoft.com/office/powerpoint/2018/8/main", true},
        {"drawing 2010 (a14)", "http://schemas.microsoft.com/office/drawing/2010/main", true},
        {"drawing 2012 (a15)", "http://schemas.microsoft.com/office/drawing/2012/main", true},
        {"drawing 2014 (a16)", "http://schemas.microsoft.com/office/drawing/2014/main", true},
        {"drawing 2016/11 (a1611)", "http://schemas.microsoft.com/office/drawing/2016/11/main", true},
        {"Office math (m)", "http://schemas.openxmlformats.org/officeDocument/2006/math", true},
        {"chart 2007 (c14)", "http://schemas.microsoft.com/office/drawing/2007/8/2/chart", true},
        {"chart 2012 (c15)", "http://schemas.microsoft.com/office/drawing/2012/chart", true},
        {"chart 2014 (c16)", "http://schemas.microsoft.com/office/drawing/2014/chart", true},
        {"SVG pictures", "http://schemas.microsoft.com/office/drawing/2016/SVG/main", true},
        {"3D models", "http://schemas.microsoft.com/office/drawing/2017/model3d", true},
        {"Word 2010 (w14)", "http://schemas.microsoft.com/office/word/2010/wordml", true},
        {"VML", "urn:schemas-microsoft-com:vml", true},
        {"PresentationML itself", std::string(kP), true},
        {"unknown vendor namespace", "http://example.com/2030/future", false},
        {"near miss (trailing slash)", "http://schemas.microsoft.com/office/powerpoint/2010/main/", false},
        {"near miss (letter case)", "http://schemas.microsoft.com/Office/powerpoint/2010/main", false},
        {"empty namespace", "", false},
    };
    for (const Row& row : rows) {
        const auto got = texts("<mc:AlternateContent>" + choice("x", declare("x", row.uri), "choice") +
                               fallback("fallback") + "</mc:AlternateContent>");
        EXPECT_EQ(got, std::vector<std::string>{row.taken ? "choice" : "fallback"}) << row.name;
    }
}

TEST(MarkupCompatibility, RequiresListsSeveralChoicesAndScopes) {
    const std::string p14 = declare("p14", "http://schemas.microsoft.com/office/powerpoint/2010/main");
    const std::string a16 = declare("q", "http://schemas.microsoft.com/office/drawing/2014/main");
    const std::string unknown = declare("u", "urn:example:unknown");
    struct Row {
        const char* name;
        std::string tree;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"all required understood",
         "<mc:AlternateContent" + p14 + a16 + ">" + choice("p14 q", "", "choice") + fallback("fb") +
             "</mc:AlternateContent>",
         {"choice"}},
        {"one required unknown",
         "<mc:AlternateContent" + p14 + unknown + ">" + choice("p14 u", "", "choice") + fallback("fb") +
             "</mc:AlternateContent>",
         {"fb"}},
        {"undeclared prefix",
         "<mc:AlternateContent>" + choice("p14", "", "choice") + fallback("fb") + "</mc:AlternateContent>",
         {"fb"}},
        {"first understood choice wins",
         "<mc:AlternateContent" + p14 + unknown + ">" + choice("u", "", "first") +
             choice("p14", "", "second") + choice("p14", "", "third") + fallback("fb") +
             "</mc:AlternateContent>",
         {"second"}},
        {"whitespace between prefixes",
         "<mc:AlternateContent" + p14 + a16 + ">" + choice(" \tp14\n q ", "", "choice") + fallback("fb") +
             "</mc:AlternateContent>",
         {"choice"}},
        {"inner declaration shadows an outer one",
         "<mc:AlternateContent" + p14 + ">" + choice("p14", declare("p14", "urn:example:unknown"), "choice") +
             fallback("fb") + "</mc:AlternateContent>",
         {"fb"}},
        {"shadowing ends with its element",
         "<mc:AlternateContent" + p14 + ">" + choice("p14", declare("p14", "urn:example:unknown"), "inner") +
             fallback("fb") + "</mc:AlternateContent><mc:AlternateContent>" + choice("p14", "", "outer") +
             "</mc:AlternateContent>",
         {"fb"}},
        {"mc bound through another prefix",
         "<zz:AlternateContent" + declare("zz", kMc) + p14 + "><zz:Choice Requires=\"p14\">" +
             TextBoxXml({"choice"}) + "</zz:Choice></zz:AlternateContent>",
         {"choice"}},
        {"choice nested in a group is not visited",
         "<p:grpSp>" + std::string("<mc:AlternateContent" + p14 + ">") + choice("p14", "", "inside") +
             "</mc:AlternateContent></p:grpSp>",
         {"-"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(texts(row.tree), row.expected) << row.name;
}

TEST(MarkupCompatibility, ManyDeclarationsAndALongRequiresListResolveCorrectly) {
    // Hundreds of bindings in scope and a Requires list naming all of them:
    // each prefix is one look-up, and the answer is the same as for one.
    std::string declarations;
    std::string required;
    for (int i = 0; i < 900; ++i) {
        const std::string prefix = "n" + std::to_string(i);
        declarations += declare(prefix, "http://schemas.microsoft.com/office/drawing/2010/main");
        required += prefix + " ";
    }
    EXPECT_EQ(texts("<mc:AlternateContent" + declarations + ">" + choice(required, "", "choice") +
                    fallback("fb") + "</mc:AlternateContent>"),
              std::vector<std::string>{"choice"});
    const std::string withUnknown = required + "u";
    EXPECT_EQ(texts("<mc:AlternateContent" + declarations + declare("u", "urn:x") + ">" +
                    choice(withUnknown, "", "choice") + fallback("fb") + "</mc:AlternateContent>"),
              std::vector<std::string>{"fb"});
}

TEST(MarkupCompatibility, TooManyDeclarationsOnOneElementAreRefused) {
    std::string declarations;
    for (int i = 0; i < 1001; ++i)
        declarations += declare("n" + std::to_string(i), "urn:x");
    PptxBuilder b;
    b.addSlide();
    b.setPart("ppt/slides/slide1.xml", slideWith("<p:sp" + declarations + "/>"));
    const std::string failure = test::FailureOf(b.bytes());
    EXPECT_NE(failure.find("more than 1000 namespace prefixes"), std::string::npos) << failure;
}

TEST(MarkupCompatibility, ExtensionTableIsSortedForItsSearch) {
    EXPECT_TRUE(UnderstoodExtensionsAreSorted());
}

TEST(PartNames, ManyCaseMismatchedNamesAreFound) {
    // Every slide relationship names its part in another letter case than the
    // zip directory does; each must still be found, in order.
    PptxBuilder b;
    for (int i = 1; i <= 300; ++i)
        b.addSlide().addTextBox({"s" + std::to_string(i) + "@example.com"});
    auto entries = b.entries();
    for (auto& entry : entries)
        if (entry.name.starts_with("ppt/slides/slide"))
            entry.name = "PPT/Slides/SLIDE" + entry.name.substr(16);
    const auto content = test::ReadBytes(test::ZipBytes(entries));
    ASSERT_EQ(content.slides.size(), 300u);
    EXPECT_EQ(content.slides[0].shapes.at(0).text, "s1@example.com");
    EXPECT_EQ(content.slides[299].shapes.at(0).text, "s300@example.com");
}

} // namespace
} // namespace orv
