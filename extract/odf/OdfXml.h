#pragma once

#include "extract/common/Namespaces.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orv::odf {

// An OpenDocument content part (or flat document) parsed in place into a flat
// tree: elements and their character data, in document order, each element
// with its attributes and the namespace bindings in force for it. Names are
// resolved only when asked for, so the parts of a document nobody walks (the
// automatic styles, the geometry of custom shapes) cost no more than reading
// their bytes.
//
// The parser takes the well-formed XML that office suites write: one document
// element, tags that nest and match, attributes quoted and separated,
// comments, CDATA sections and processing instructions closed. Character
// references and XML's five entities are decoded in character data and
// attribute values; other entity references, and references to no character,
// are kept as written, since no document type may declare them. A document
// type declaration is refused. Line ends are kept in character data
// (OpenDocument counts any run of white space there as one space) and
// normalised to LF in attribute values. The text is UTF-8, or UTF-16 (told by
// a byte order mark, or by "<?" in either byte order), which is read from a
// UTF-8 copy; a declaration of any other encoding is refused.
class OdfXml {
public:
    using Id = std::uint32_t;
    static constexpr Id kNone = ~Id{0};

    OdfXml() = default;
    ~OdfXml();
    OdfXml(const OdfXml&) = delete;
    OdfXml& operator=(const OdfXml&) = delete;

    // Parses text[0, size). text[size] must exist (it is the end sentinel and
    // is overwritten). `subject` names the part in descriptions ("the part
    // content.xml"), `doctypeRule` ends the refusal of a document type. Throws
    // orv::Failure for a document that is not well-formed or that holds more
    // than limits::kMaxXmlNodes elements and attributes. The text must outlive
    // the tree. `part` is the failures' part (empty for a whole file).
    void parse(char* text, std::size_t size, const std::string& subject, std::string_view doctypeRule,
               std::string_view part = {});

    Id root() const { return m_root; }

    bool isText(Id node) const { return m_nodes[node].attributeCount == kTextMark; }
    // The character data of a text node (a CDATA section's content as it is).
    std::string_view text(Id node) const { return {m_nodes[node].name, m_nodes[node].nameLength}; }

    Id firstChild(Id node) const { return m_nodes[node].firstChild; }
    Id nextSibling(Id node) const { return m_nodes[node].nextSibling; }

    // An element's local name, and its namespace's vocabulary (classified as
    // ClassifyOpenDocument does; Ns::Other for an unbound prefix).
    std::string_view local(Id element) const;
    Ns ns(Id element) const;
    // The value of the attribute `local` in namespace `ns` on `element`; found
    // is false when it has none. Attributes without a prefix are in no
    // namespace and never match.
    struct Value {
        bool found = false;
        std::string_view text;
    };
    Value attribute(Id element, Ns ns, std::string_view local) const;

    // True for an element that declares more namespace prefixes than
    // limits::kMaxNamespaceDeclarations; its declarations are not in force,
    // and a walk that reaches it must refuse it (RequireDeclarationsInLimit).
    bool declaresTooMany(Id element) const { return m_nodes[element].flags & kTooManyDeclarations; }

private:
    static constexpr std::uint32_t kTextMark = ~std::uint32_t{0};
    static constexpr std::uint8_t kTooManyDeclarations = 1;

    struct Node {
        const char* name; // qualified name, or character data
        std::uint32_t nameLength;
        std::uint32_t colon; // offset of the prefix's colon plus one; 0 without a prefix
        Id firstChild = kNone;
        Id nextSibling = kNone;
        std::uint32_t firstAttribute = 0;
        std::uint32_t attributeCount = 0; // kTextMark for character data
        std::uint32_t scope = 0;          // index into m_scopes
        std::uint8_t flags = 0;
    };
    struct Attribute {
        const char* name;
        const char* value;
        std::uint32_t nameLength;
        std::uint32_t valueLength;
        std::uint32_t colon; // as for Node
    };
    // The bindings an element adds to its parent's scope.
    struct Scope {
        std::uint32_t parent;
        std::uint32_t firstBinding;
        std::uint32_t bindingCount;
    };
    struct Binding {
        std::string_view prefix;
        Ns ns;
    };
    struct CacheEntry {
        std::uint32_t scope = ~std::uint32_t{0};
        std::string_view prefix;
        Ns ns = Ns::Other;
    };

    class Parser;
    friend class Parser;
    struct Storage;

    Ns resolve(std::uint32_t scope, std::string_view prefix) const;

    std::vector<Node> m_nodes;
    std::vector<Attribute> m_attributes;
    std::vector<Scope> m_scopes;
    std::vector<Binding> m_bindings;
    mutable std::vector<CacheEntry> m_cache;
    Id m_root = kNone;
    std::string m_converted; // the UTF-8 of a UTF-16 text
};

// Refuses an element that declares more namespace prefixes than any real
// document does.
void RequireDeclarationsInLimit(const OdfXml& xml, OdfXml::Id element);

} // namespace orv::odf
