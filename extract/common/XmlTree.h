#pragma once

#include "extract/common/Namespaces.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// How a part is read: the vocabulary of its namespaces, and the character
// data rules of its format.
struct XmlRules {
    // Classifies every namespace the part declares.
    NsClassifier classify = ClassifyOfficeOpenXml;
    // Package parts: line ends in character data become LF, and white space
    // alone between elements is dropped unless it is all an element holds
    // (so a run of just a space keeps it). OpenDocument keeps character data
    // as written: any run of white space there counts as one space anyway.
    bool packageText = false;
    // The unprefixed attribute, if any, whose value is a list of namespace
    // prefixes (mc:Choice's Requires): the parser tells, in the element's own
    // scope, whether each of them names a vocabulary the classifier knows.
    std::string_view prefixListAttribute;
    // Elements that no walk reads (shape geometry, run properties, styles):
    // they and all they hold are checked as strictly as the rest but not
    // kept in the tree.
    std::span<const struct SkippedElement> skip;
    // The bytes of character data and attribute values the tree may keep: a
    // part read only for its text is stopped here while it is parsed, not
    // parsed whole and refused after.
    std::size_t textLimit = ~std::size_t{0};
    // The most nodes the text may hold: elements, attributes, runs of
    // character data and CDATA sections, each counted as written (skipped,
    // white space alone or after the document element alike).
    std::size_t maxNodes = limits::kMaxXmlNodes;
};

struct SkippedElement {
    Ns ns;
    std::string_view local;
};

// What refusals call the text parsed: `subject` ("the part content.xml"; when
// empty, "the part " and `part`, made only for a refusal), `doctypeRule`
// ending the refusal of a document type ("which package parts may not do"),
// and `part`, the failure's part (empty for a whole file). The texts need
// only outlive the parse.
struct XmlSubject {
    std::string subject;
    std::string_view doctypeRule;
    std::string_view part;
};

// An XML part (or a whole flat file) parsed in place into a flat tree:
// elements and their character data, in document order, each element with its
// attributes. Namespaces are resolved while parsing, through one table of
// the prefixes in force, so a name look-up costs the same whatever the
// declarations around it; every element and prefixed attribute keeps its
// vocabulary.
//
// The parser takes well-formed XML: one document element, tags that nest and
// match, attributes quoted and separated, comments, CDATA sections and
// processing instructions closed, no NUL character anywhere. Character references (any number of
// digits) and XML's five entities are decoded in character data and
// attribute values; other entity references, and references to no character,
// are kept as written, since no document type may declare them. A document
// type declaration is refused. Line ends are normalised to LF in attribute
// values (and, by the package rules, in character data). The text is UTF-8,
// or UTF-16 (told by a byte order mark, or by a first character with a zero byte),
// which is read from a UTF-8 copy; a declaration of any other encoding is
// refused.
class XmlTree {
public:
    using Id = std::uint32_t;
    static constexpr Id kNone = ~Id{0};

    XmlTree() = default;
    ~XmlTree();
    XmlTree(const XmlTree&) = delete;
    XmlTree& operator=(const XmlTree&) = delete;
    XmlTree(XmlTree&&) noexcept = default;
    XmlTree& operator=(XmlTree&&) noexcept = default;

    // Parses text[0, size). text[size] must exist (it is the end sentinel and
    // is overwritten). Throws orv::Failure for a document that is not
    // well-formed, that holds more nodes than the rules' maxNodes, or more
    // text than the rules' textLimit. The text must outlive the tree.
    void parse(char* text, std::size_t size, const XmlRules& rules, const XmlSubject& subject);

    // The first bytes of a text as the parser reads them: UTF-16 as UTF-8, a
    // byte order mark dropped. For recognising a document by its start.
    static std::string Utf8Head(std::span<const std::uint8_t> bytes);

    Id root() const { return m_root; }
    // True when the tree points into its own UTF-8 copy of a UTF-16 text
    // rather than into the text given, which the caller may then let go.
    bool readFromCopy() const { return m_converted != nullptr; }

    bool isText(Id node) const { return m_nodes[node].attributeCount == kTextMark; }
    // The character data of a text node (a CDATA section's content as it is).
    std::string_view text(Id node) const { return {m_nodes[node].name, m_nodes[node].nameLength}; }

    Id firstChild(Id node) const { return m_nodes[node].firstChild; }
    Id nextSibling(Id node) const { return m_nodes[node].nextSibling; }
    // One past the last node the element holds: the nodes from `element` up
    // to here are the element and everything in it, in document order.
    Id subtreeEnd(Id element) const { return m_nodes[element].end; }
    Id nodeCount() const { return static_cast<Id>(m_nodes.size()); }

    // An element's local name, and its namespace's vocabulary (Ns::Other for
    // an unbound prefix).
    std::string_view local(Id element) const {
        const Node& node = m_nodes[element];
        return {node.name + node.colon, node.nameLength - node.colon};
    }
    Ns ns(Id element) const { return m_nodes[element].ns; }

    struct Value {
        bool found = false;
        std::string_view text;
    };
    // The value of the attribute `local` in namespace `ns` on `element`.
    // Attributes without a prefix are in no namespace and never match.
    Value attribute(Id element, Ns ns, std::string_view local) const;
    // The value of the attribute written exactly `name` (with its prefix, if
    // any) on `element`: the first of that name.
    Value attributeNamed(Id element, std::string_view name) const;
    // For the rules' prefix-list attribute on `element`: found, and whether
    // every prefix it lists names a vocabulary the classifier knows.
    struct PrefixList {
        bool found = false;
        bool allKnown = false;
    };
    PrefixList prefixList(Id element) const;

    // The element's attributes, in document order, for walks that look at
    // every one (the relationships of a slide's links).
    struct AttributeView {
        std::string_view local;
        Ns ns; // Ns::Other without a prefix
        std::string_view value;
    };
    std::uint32_t attributeCount(Id element) const { return m_nodes[element].attributeCount; }
    AttributeView attributeAt(Id element, std::uint32_t index) const;

    // Where a node stands, for refusals: the part parsed and the byte offset
    // of the node (an element's '<') in its text, unknown for a text read
    // from a UTF-16 copy.
    FaultSite site(Id node) const {
        const Node& n = m_nodes[node];
        if (m_converted)
            return {m_part, std::nullopt};
        return {m_part,
                static_cast<std::uint64_t>(n.name - m_text) - (n.attributeCount == kTextMark ? 0 : 1)};
    }

    // True for an element that declares more namespace prefixes than
    // limits::kMaxNamespaceDeclarations; its declarations are not in force,
    // and a walk that reaches it must refuse it (RequireDeclarationsInLimit).
    bool declaresTooMany(Id element) const { return m_nodes[element].flags & kTooManyDeclarations; }

private:
    static constexpr std::uint32_t kTextMark = ~std::uint32_t{0};
    static constexpr std::uint8_t kTooManyDeclarations = 1;
    static constexpr std::uint8_t kDeclaration = 1;     // on an attribute: xmlns or xmlns:p
    static constexpr std::uint8_t kPrefixList = 2;      // on the rules' prefix-list attribute
    static constexpr std::uint8_t kPrefixListKnown = 4; // ... whose prefixes are all known

    struct Node {
        const char* name; // qualified name, or character data
        std::uint32_t nameLength;
        std::uint32_t colon; // offset of the prefix's colon plus one; 0 without a prefix
        Id firstChild = kNone;
        Id nextSibling = kNone;
        Id end = 0;
        std::uint32_t firstAttribute = 0;
        std::uint32_t attributeCount = 0; // kTextMark for character data
        Ns ns = Ns::Other;
        std::uint8_t flags = 0;
    };
    struct Attribute {
        const char* name;
        const char* value;
        std::uint32_t nameLength;
        std::uint32_t valueLength;
        std::uint32_t colon; // as for Node
        Ns ns = Ns::Other;
        std::uint8_t flags = 0;
    };

    class Parser;
    friend class Parser;
    struct Storage;

    std::vector<Node> m_nodes;
    std::vector<Attribute> m_attributes;
    Id m_root = kNone;
    const char* m_text = nullptr; // what the nodes point into
    std::string m_part;
    std::unique_ptr<char[]> m_converted; // the UTF-8 of a UTF-16 text
};

// Refuses an element that declares more namespace prefixes than any real
// document does.
void RequireDeclarationsInLimit(const XmlTree& xml, XmlTree::Id element);

} // namespace orv
