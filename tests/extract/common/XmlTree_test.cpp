// The in-place XML parser: the tree it gives (names resolved, references
// decoded, character data by each format's rules), and what it refuses.
#include "base/Failure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/XmlTree.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

namespace orv {
namespace {

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
std::string dump(const XmlTree& xml, XmlTree::Id node) {
    if (xml.isText(node))
        return "'" + std::string(xml.text(node)) + "'";
    std::string out = nsName(xml.ns(node)) + ":" + std::string(xml.local(node));
    if (xml.firstChild(node) == XmlTree::kNone)
        return out;
    out += "(";
    for (auto child = xml.firstChild(node); child != XmlTree::kNone; child = xml.nextSibling(child))
        out += (child == xml.firstChild(node) ? "" : " ") + dump(xml, child);
    return out + ")";
}

// The parser writes its end sentinel past the text, as the readers' buffers allow.
struct Parsed {
    std::string buffer;
    XmlTree xml;

    explicit Parsed(std::string text, bool package = false) : buffer(std::move(text)) {
        const std::size_t size = buffer.size();
        buffer.push_back('\x7F');
        const XmlRules rules = package ? XmlRules{ClassifyOfficeOpenXml, true, "Requires", {}}
                                       : XmlRules{ClassifyOpenDocument, false, {}, {}};
        xml.parse(buffer.data(), size, rules, {"the part content.xml", "which is refused", "content.xml"});
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
    bool package = false; // parsed by the package rules
};

class XmlTrees : public testing::TestWithParam<TreeCase> {};

TEST_P(XmlTrees, ReadAsWritten) {
    EXPECT_EQ(Parsed(GetParam().xml, GetParam().package).tree(), GetParam().tree);
}

INSTANTIATE_TEST_SUITE_P(
    XmlTree, XmlTrees,
    testing::Values(
        TreeCase{"References",
                 "<r>a&lt;b&gt;&amp;&quot;&apos;&#65;&#x42;&#x1F600;&#000000064;&#x0000000040;</r>",
                 "other:r('a<b>&\"'AB\xF0\x9F\x98\x80@@')"},
        TreeCase{"ReferencesNotDecodedStayAsWritten",
                 "<r>&nbsp;&#0;&#xD800;&#x110000;&#99999999999999999999;&#65&amp</r>",
                 "other:r('&nbsp;&#0;&#xD800;&#x110000;&#99999999999999999999;&#65&amp')"},
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
        TreeCase{"LongNames", "<" + std::string(70'000, 'n') + "/>", "other:" + std::string(70'000, 'n')},
        TreeCase{"PackageLineEnds", "<r>a\r\nb\rc<![CDATA[d\re]]></r>", "other:r('a\nb\nc' 'd\ne')", true},
        TreeCase{"PackageWhiteSpaceOnlyWhereItIsAllTheElementHolds",
                 "<r> <a> </a>\t<b>x<!-- --> </b><c> <d/></c><e><![CDATA[]]> </e></r>",
                 "other:r(other:a(' ') other:b('x' ' ') other:c(other:d) other:e)", true},
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

TEST(XmlTree, Utf16IsReadAsItsUtf8) {
    EXPECT_EQ(Parsed(utf16(u"\uFEFF<r a='\u00E9'>a\u00E9\U0001F600</r>", false)).tree(),
              "other:r('a\xC3\xA9\xF0\x9F\x98\x80')");
    // Told by "<?" without a byte order mark, declaring its encoding.
    EXPECT_EQ(Parsed(utf16(u"<?xml version='1.0' encoding='UTF-16'?><r>x</r>", true)).tree(), "other:r('x')");
    // A lone surrogate and an odd last byte are replaced.
    EXPECT_EQ(
        Parsed(utf16(u"\uFEFF<r>", false) + std::string("\x00\xD8", 2) + utf16(u"</r>", false) + "x").tree(),
        "other:r('\xEF\xBF\xBD')");
}

TEST(XmlTree, AttributesByNamespace) {
    Parsed parsed("<t:r xmlns:t='" + kText + "' xmlns:u='" + kText +
                  "' c='0' t:c='1' u:d=\"2&amp;\r\n3\" xmlns:c='4'/>");
    const XmlTree& xml = parsed.xml;
    EXPECT_EQ(xml.attribute(xml.root(), Ns::OdfText, "c").text, "1");
    EXPECT_EQ(xml.attribute(xml.root(), Ns::OdfText, "d").text, "2&\n3");
    EXPECT_FALSE(xml.attribute(xml.root(), Ns::OdfOffice, "c").found); // unprefixed: no namespace
    EXPECT_FALSE(xml.attribute(xml.root(), Ns::Other, "c").found);     // a declaration is no attribute
    EXPECT_TRUE(xml.attribute(xml.root(), Ns::OdfText, "c").found);
}

TEST(XmlTree, TooManyDeclarationsAreNotInForce) {
    std::string declarations;
    for (std::size_t i = 0; i <= limits::kMaxNamespaceDeclarations; ++i)
        declarations += " xmlns:x" + std::to_string(i) + "='urn:x'";
    Parsed parsed("<t:r xmlns:t='" + kText + "'><t:p xmlns:t='" + kOffice + "'" + declarations +
                  "/><t:s/></t:r>");
    const XmlTree& xml = parsed.xml;
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

class XmlRefusals : public testing::TestWithParam<RefusalCase> {};

TEST_P(XmlRefusals, NameWhatIsWrongAndWhere) {
    EXPECT_EQ(failureOf(GetParam().xml),
              "The presentation is damaged: the part content.xml " + GetParam().description);
}

const std::string kNotWellFormed = "is not well-formed XML (";

INSTANTIATE_TEST_SUITE_P(
    XmlTree, XmlRefusals,
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
                    kNotWellFormed + "NUL character at byte 4)."},
        RefusalCase{"NulInText", std::string("<a>x\0y</a>", 10),
                    kNotWellFormed + "NUL character at byte 4)."},
        RefusalCase{"DocumentType", "<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>",
                    "declares a document type, which is refused."},
        RefusalCase{"DeclaredEncoding", "<?xml version='1.0' encoding='ISO-8859-1'?><a/>",
                    "is not written in UTF-8 or UTF-16 (it declares the encoding \"ISO-8859-1\")."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(XmlTree, DepthAndSizeAreBoundedByTheInputOnly) {
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
              "elements, attributes and runs of text.");
    // A run of text counts once, however long and whatever it looks like.
    EXPECT_NO_THROW(Parsed("<r>" + std::string(limits::kMaxXmlNodes + 1, '=') + "</r>"));
}

constexpr SkippedElement kSkipped[] = {{Ns::Other, "s"}, {Ns::OdfText, "span"}};

// Each document holds exactly `nodes` nodes by the limit's count, under the
// rules of both formats, with elements skipped and without: it is taken
// with a limit of that many and refused for its size with one fewer.
TEST(XmlTree, EveryNodeCountsOnceWhereverItStands) {
    const struct {
        const char* text;
        std::size_t nodes;
    } rows[] = {
        {"<r a='1' xmlns:q='urn:q'/>", 3},
        {" <r>a<?pi?>b<!--c-->d</r> ", 4},                  // runs apart, none outside the root
        {"<r>a<![CDATA[b]]><![CDATA[]]>c</r>", 5},          // CDATA sections, empty ones too
        {"<r> <x/>\n<x/> </r>", 6},                         // white space alone, dropped or kept
        {"<r/><r a='1'><x>t</x><x/></r>", 6},               // past the document element
        {"<r><s a='1'>x<y/></s><s a='1'>x<y/></s></r>", 9}, // skipped, the second by its bytes
        {"<r><s xmlns:q='urn:q' a='1'>x</s></r>", 5},       // named as skipped, read after all
        {"<r xmlns:t='urn:q'><t:span a='1'/></r>", 4},      // in another namespace
    };
    for (const auto& row : rows) {
        for (XmlRules rules : {XmlRules{ClassifyOfficeOpenXml, true, "Requires", {}},
                               XmlRules{ClassifyOpenDocument, false, {}, {}}}) {
            for (const std::span<const SkippedElement> skip :
                 {std::span<const SkippedElement>(), std::span<const SkippedElement>(kSkipped)}) {
                rules.skip = skip;
                const auto parse = [&](std::size_t limit) {
                    std::string text = row.text;
                    text.push_back('\0');
                    rules.maxNodes = limit;
                    XmlTree xml;
                    try {
                        xml.parse(text.data(), text.size() - 1, rules, {"the part", "", "part"});
                    } catch (const Failure& failure) {
                        return std::string(failure.what());
                    }
                    return std::string();
                };
                EXPECT_EQ(parse(row.nodes), "") << row.text;
                EXPECT_NE(
                    parse(row.nodes - 1).find("more than " + std::to_string(row.nodes - 1) + " elements"),
                    std::string::npos)
                    << row.text << " skipping " << skip.size();
            }
        }
    }
}

TEST(XmlTree, SkippedElementsAreCheckedButNotKept) {
    const auto parse = [](std::string text, std::span<const SkippedElement> rules = kSkipped) {
        text.push_back('\0');
        XmlTree xml;
        xml.parse(text.data(), text.size() - 1, {ClassifyOpenDocument, false, {}, rules},
                  {"the part", "", "part"});
        return dump(xml, xml.root());
    };
    // A skipped element goes with all it holds; one that declares a prefix
    // of its own is read, as its name may then be another's.
    EXPECT_EQ(parse("<r><s a='1'><x>t</x></s>u<s xmlns:q='urn:q'/></r>"), "other:r('u' other:s)");
    EXPECT_THROW(parse("<r><s a=1/></r>"), Failure);
    EXPECT_THROW(parse("<r><s><x></s></r>"), Failure);
    // Elements written as one skipped before are passed over by their bytes:
    // still only where the rule's namespace holds, and not past a wrong end.
    const std::string span = "<t:span a='1'><x/></t:span>";
    EXPECT_EQ(parse("<r xmlns:t='" + kText + "'>" + span + span + "<q xmlns:t='urn:q'>" + span + "</q>" +
                    span + "</r>"),
              "other:r(other:q(other:span(other:x)))");
    EXPECT_THROW(parse("<r>" + span + "<t:span a='1'><x/></t:span"), Failure);
    // ... and counted as reading them counts them.
    std::string many = "<r>";
    for (std::size_t i = 0; i < (limits::kMaxXmlNodes - 1) / 2; ++i) // each two, with <r>
        many += "<s a='1'/>";
    EXPECT_NO_THROW(parse(many + "</r>"));
    EXPECT_THROW(parse(many + "<s a='1'/></r>"), Failure);

    // So are long start tags inside them written as one before: a file fails
    // where reading them makes it fail.
    const auto failure = [&](const std::string& text, std::span<const SkippedElement> rules) {
        try {
            return parse(text, rules);
        } catch (const Failure& failure) {
            return std::string(failure.what());
        }
    };
    const std::string tag = "<u long='0123456789012345678901234567'";
    EXPECT_EQ(parse("<r><s>" + tag + ">x</u>" + tag + ">y</u>" + tag + "/></s>v</r>"), "other:r('v')");
    for (const std::string& text :
         {"<r><s>" + tag + ">x</u>" + tag + ">y</v></s></r>", "<r><s>" + tag + "/>" + tag + "/",
          "<r><s>" + tag + "/>" + tag + " b='<'/></s></r>", "<r><s>" + tag + "/>" + tag + "/></s>"})
        EXPECT_EQ(failure(text, kSkipped), failure(text, {})) << text;
    many = "<r><s>";
    for (std::size_t i = 0; i < (limits::kMaxXmlNodes - 2) / 2; ++i)
        many += tag + "/>";
    EXPECT_NO_THROW(parse(many + "</s></r>"));
    EXPECT_THROW(parse(many + tag + "/></s></r>"), Failure);
}

TEST(XmlTree, ChoiceRequirementsAreResolvedInTheirOwnScope) {
    const std::string mc = "http://schemas.openxmlformats.org/markup-compatibility/2006";
    const std::string a = "http://schemas.openxmlformats.org/drawingml/2006/main";
    Parsed parsed("<mc:r xmlns:mc='" + mc + "'><mc:Choice xmlns:a='" + a + "' Requires='a mc'/>" +
                      "<mc:Choice Requires='a'/><mc:Choice Requires=' '/><mc:Fallback/></mc:r>",
                  true);
    const XmlTree& xml = parsed.xml;
    auto choice = xml.firstChild(xml.root());
    const auto required = [&] {
        const auto list = xml.prefixList(choice);
        choice = xml.nextSibling(choice);
        return std::pair(list.found, list.allKnown);
    };
    EXPECT_EQ(required(), std::pair(true, true));  // a is declared on the Choice itself
    EXPECT_EQ(required(), std::pair(true, false)); // ... and out of scope here
    EXPECT_EQ(required(), std::pair(true, true));  // an empty list needs nothing
    EXPECT_EQ(required(), std::pair(false, false));
}

} // namespace
} // namespace orv
