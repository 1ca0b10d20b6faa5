// The in-place parser of OpenDocument content: the tree it gives (names
// resolved, references decoded, white space as written), and what it refuses.
#include "base/Failure.h"
#include "extract/common/ReadLimits.h"
#include "extract/odf/OdfXml.h"

#include <gtest/gtest.h>

#include <string>

namespace orv {
namespace {

using odf::OdfXml;
using odf::RequireDeclarationsInLimit;

const std::string kOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
const std::string kText = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";

std::string nsName(Ns ns) {
    switch (ns) {
    case Ns::OdfOffice:
        return "office";
    case Ns::OdfText:
        return "text";
    case Ns::OdfDraw:
        return "draw";
    default:
        return "other";
    }
}

// The tree as text: ns:local(children...) for elements, 'data' for text.
std::string dump(const OdfXml& xml, OdfXml::Id node) {
    if (xml.isText(node))
        return "'" + std::string(xml.text(node)) + "'";
    std::string out = nsName(xml.ns(node)) + ":" + std::string(xml.local(node));
    if (xml.firstChild(node) == OdfXml::kNone)
        return out;
    out += "(";
    for (auto child = xml.firstChild(node); child != OdfXml::kNone; child = xml.nextSibling(child))
        out += (child == xml.firstChild(node) ? "" : " ") + dump(xml, child);
    return out + ")";
}

// The parser writes its end sentinel past the text, as the readers' buffers allow.
struct Parsed {
    std::string buffer;
    OdfXml xml;

    explicit Parsed(std::string text) : buffer(std::move(text)) {
        const std::size_t size = buffer.size();
        buffer.push_back('\x7F');
        xml.parse(buffer.data(), size, "the part content.xml", "which is refused");
    }

    std::string tree() const { return dump(xml, xml.root()); }
};

std::string failureOf(const std::string& text) {
    try {
        Parsed parsed(text);
    } catch (const Failure& failure) {
        return failure.what();
    }
    return "(parsed)";
}

struct TreeCase {
    const char* name;
    std::string xml;
    std::string tree;
};

class OdfXmlTrees : public testing::TestWithParam<TreeCase> {};

TEST_P(OdfXmlTrees, ReadAsWritten) {
    EXPECT_EQ(Parsed(GetParam().xml).tree(), GetParam().tree);
}

INSTANTIATE_TEST_SUITE_P(
    OdfXml, OdfXmlTrees,
    testing::Values(
        TreeCase{"References", "<r>a&lt;b&gt;&amp;&quot;&apos;&#65;&#x42;&#x1F600;</r>",
                 "other:r('a<b>&\"'AB\xF0\x9F\x98\x80')"},
        TreeCase{"ReferencesNotDecodedStayAsWritten", "<r>&nbsp;&#0;&#xD800;&#x110000;&#65&amp</r>",
                 "other:r('&nbsp;&#0;&#xD800;&#x110000;&#65&amp')"},
        TreeCase{"CdataIsTakenRaw", "<r><![CDATA[a&lt;<b>]]>c</r>", "other:r('a&lt;<b>' 'c')"},
        TreeCase{"CommentsAndInstructionsSplitText", "<r>a<!-- <x> -->b<?pi <y>?>c</r>",
                 "other:r('a' 'b' 'c')"},
        TreeCase{"LineEndsStayInText", "<r>a\r\nb\rc</r>", "other:r('a\r\nb\rc')"},
        TreeCase{"WhiteSpaceBetweenElementsIsText", "<r> <a/>\t<b/> </r>",
                 "other:r(' ' other:a '\t' other:b ' ')"},
        TreeCase{"PrefixesAndTheirRebinding",
                 "<o:r xmlns:o='" + kOffice + "' xmlns:t='" + kText + "'><t:p/><o:p xmlns:o='" + kText +
                     "'><o:s/></o:p><o:p/><u:p/><p/></o:r>",
                 "office:r(text:p text:p(text:s) office:p other:p other:p)"},
        TreeCase{"NameStartingWithItsColon", "<r xmlns='" + kText + "'><:s/></r>", "text:r(text:s)"},
        TreeCase{"DefaultNamespace", "<r xmlns='" + kText + "'><p xmlns=''/><s/></r>",
                 "text:r(other:p text:s)"},
        TreeCase{"DeclarationsWithReferences",
                 "<t:r xmlns:t='urn:oasis:names:tc:opendocument:xmlns:text&#x3a;1.0'/>", "text:r"},
        TreeCase{"MarkupAroundTheDocument",
                 "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?><!-- c --> stray <r/> text "
                 "<?pi?><r2><x/></r2>",
                 "other:r"}),
    [](const auto& info) { return std::string(info.param.name); });

// `text` as UTF-16 code units in either byte order.
std::string utf16(const std::u16string& text, bool bigEndian) {
    std::string out;
    for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

TEST(OdfXml, Utf16IsReadAsItsUtf8) {
    EXPECT_EQ(Parsed(utf16(u"\uFEFF<r a='\u00E9'>a\u00E9\U0001F600</r>", false)).tree(),
              "other:r('a\xC3\xA9\xF0\x9F\x98\x80')");
    // Told by "<?" without a byte order mark, declaring its encoding.
    EXPECT_EQ(Parsed(utf16(u"<?xml version='1.0' encoding='UTF-16'?><r>x</r>", true)).tree(), "other:r('x')");
    // A lone surrogate and an odd last byte are replaced.
    EXPECT_EQ(
        Parsed(utf16(u"\uFEFF<r>", false) + std::string("\x00\xD8", 2) + utf16(u"</r>", false) + "x").tree(),
        "other:r('\xEF\xBF\xBD')");
}

TEST(OdfXml, AttributesByNamespace) {
    Parsed parsed("<t:r xmlns:t='" + kText + "' xmlns:u='" + kText +
                  "' c='0' t:c='1' u:d=\"2&amp;\r\n3\" xmlns:c='4'/>");
    const OdfXml& xml = parsed.xml;
    EXPECT_EQ(xml.attribute(xml.root(), Ns::OdfText, "c").text, "1");
    EXPECT_EQ(xml.attribute(xml.root(), Ns::OdfText, "d").text, "2&\n3");
    EXPECT_FALSE(xml.attribute(xml.root(), Ns::OdfOffice, "c").found); // unprefixed: no namespace
    EXPECT_FALSE(xml.attribute(xml.root(), Ns::Other, "c").found);     // a declaration is no attribute
    EXPECT_TRUE(xml.attribute(xml.root(), Ns::OdfText, "c").found);
}

TEST(OdfXml, TooManyDeclarationsAreNotInForce) {
    std::string declarations;
    for (std::size_t i = 0; i <= limits::kMaxNamespaceDeclarations; ++i)
        declarations += " xmlns:x" + std::to_string(i) + "='urn:x'";
    Parsed parsed("<t:r xmlns:t='" + kText + "'><t:p xmlns:t='" + kOffice + "'" + declarations +
                  "/><t:s/></t:r>");
    const OdfXml& xml = parsed.xml;
    const auto flagged = xml.firstChild(xml.root());
    EXPECT_TRUE(xml.declaresTooMany(flagged));
    EXPECT_EQ(xml.ns(flagged), Ns::OdfText);
    EXPECT_THROW(RequireDeclarationsInLimit(xml, flagged), Failure);
    EXPECT_FALSE(xml.declaresTooMany(xml.nextSibling(flagged)));
}

struct RefusalCase {
    const char* name;
    std::string xml;
    std::string description;
};

class OdfXmlRefusals : public testing::TestWithParam<RefusalCase> {};

TEST_P(OdfXmlRefusals, NameWhatIsWrongAndWhere) {
    EXPECT_EQ(failureOf(GetParam().xml),
              "The presentation is damaged: the part content.xml " + GetParam().description);
}

const std::string kNotWellFormed = "is not well-formed XML (";

INSTANTIATE_TEST_SUITE_P(
    OdfXml, OdfXmlRefusals,
    testing::Values(
        RefusalCase{"Empty", "", kNotWellFormed + "No document element found at byte 0)."},
        RefusalCase{"OnlyMarkup", "<?xml version='1.0'?><!-- -->",
                    kNotWellFormed + "No document element found at byte 29)."},
        RefusalCase{"EndTagOfAnother", "<a><b></a>", kNotWellFormed + "Start-end tags mismatch at byte 8)."},
        RefusalCase{"EndTagLonger", "<a></ab>", kNotWellFormed + "Start-end tags mismatch at byte 5)."},
        RefusalCase{"Unclosed", "<a><b/>", kNotWellFormed + "Start-end tags mismatch at byte 7)."},
        RefusalCase{"EndTagAtTop", "</a>", kNotWellFormed + "Start-end tags mismatch at byte 2)."},
        RefusalCase{"EndTagWithAttribute", "<a></a x>",
                    kNotWellFormed + "Error parsing end element tag at byte 7)."},
        RefusalCase{"AttributesRunTogether", "<a b='1'c='2'/>",
                    kNotWellFormed + "Error parsing start element tag at byte 8)."},
        RefusalCase{"UnquotedValue", "<a b=1/>",
                    kNotWellFormed + "Error parsing element attribute at byte 5)."},
        RefusalCase{"AttributeWithoutValue", "<a b/>",
                    kNotWellFormed + "Error parsing element attribute at byte 4)."},
        RefusalCase{"LessThanInValue", "<a b='<'/>",
                    kNotWellFormed + "Error parsing element attribute at byte 6)."},
        RefusalCase{"ValueCutOff", "<a b='x", kNotWellFormed + "Error parsing element attribute at byte 7)."},
        RefusalCase{"TagCutOff", "<a b='x' ", kNotWellFormed + "Error parsing element attribute at byte 9)."},
        RefusalCase{"SlashWithoutClose", "<a/ >",
                    kNotWellFormed + "Error parsing start element tag at byte 2)."},
        RefusalCase{"NameStartingWithDigit", "<1a/>",
                    kNotWellFormed + "Could not determine tag type at byte 0)."},
        RefusalCase{"UnknownMarkup", "<a><!x></a>",
                    kNotWellFormed + "Could not determine tag type at byte 3)."},
        RefusalCase{"CommentCutOff", "<a><!-- x</a>", kNotWellFormed + "Error parsing comment at byte 3)."},
        RefusalCase{"CdataCutOff", "<a><![CDATA[x</a>",
                    kNotWellFormed + "Error parsing CDATA section at byte 3)."},
        RefusalCase{"InstructionCutOff", "<a><?pi </a>",
                    kNotWellFormed + "Error parsing document declaration/processing instruction at byte 3)."},
        RefusalCase{"SecondElementBadlyNested", "<a/><b><c></b>",
                    kNotWellFormed + "Start-end tags mismatch at byte 12)."},
        RefusalCase{"NulInATag", std::string("<a b\0='1'/>", 11),
                    kNotWellFormed + "Error parsing element attribute at byte 4)."},
        RefusalCase{"DocumentType", "<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>",
                    "declares a document type, which is refused."},
        RefusalCase{"DeclaredEncoding", "<?xml version='1.0' encoding='ISO-8859-1'?><a/>",
                    "is not written in UTF-8 or UTF-16 (it declares the encoding \"ISO-8859-1\")."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OdfXml, DepthAndSizeAreBoundedByTheInputOnly) {
    // Nesting is followed without recursion.
    const int depth = 200'000;
    std::string nested;
    for (int i = 0; i < depth; ++i)
        nested += "<a>";
    for (int i = 0; i < depth; ++i)
        nested += "</a>";
    EXPECT_NO_THROW(Parsed{nested});

    std::string many = "<r>";
    for (std::size_t i = 0; i < limits::kMaxXmlNodes; ++i)
        many += "<a/>";
    EXPECT_EQ(failureOf(many + "</r>"),
              "The presentation is too large to read safely: the part content.xml holds more than 1500000 "
              "elements and attributes.");
}

TEST(OdfXml, NulInTextIsText) {
    EXPECT_EQ(Parsed(std::string("<a>x\0y</a>", 10)).tree(), std::string("other:a('x\0y')", 14));
}

} // namespace
} // namespace orv
