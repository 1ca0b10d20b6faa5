#pragma once

#include "extract/common/Namespaces.h"
#include "extract/common/ZipPackage.h"

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orv {

// One parsed XML part. The tree points into `bytes`, so both live together.
struct XmlPart {
    std::string name;
    PartBytes bytes;
    pugi::xml_document document;

    pugi::xml_node root() const { return document.document_element(); }
};

// Parses the bytes in place. A part that is not well-formed, declares a
// document type (packages may not), or holds more elements and attributes
// than limits::kMaxXmlNodes fails with a description that names the part.
void ParseXmlPart(XmlPart& part);

// The same with the descriptions' wording given: `subject` names what is
// parsed ("the file"), `doctypeRule` ends the refusal of a document type
// ("which package parts may not do").
void ParseXmlDocument(XmlPart& part, std::string_view subject, std::string_view doctypeRule);

// Prefix bindings in force while a part is walked. Every binding goes into one
// table per part, prefix -> bindings from the outermost declaring element in, so
// that resolving a prefix costs one hash look-up whatever the number of
// declarations in scope. Scopes are made on the way down and destroyed on the
// way up (they live on the walk's stack), which keeps the table in step.
class NsScope {
public:
    // The scope of `element`, inside `parent` (nullptr for the root, which
    // sets the classifier for the whole part). Throws when the element
    // declares more prefixes than any real part does.
    NsScope(const NsScope* parent, pugi::xml_node element, NsClassifier classify = ClassifyOfficeOpenXml);
    ~NsScope();
    NsScope(const NsScope&) = delete;
    NsScope& operator=(const NsScope&) = delete;

    Ns resolve(std::string_view prefix) const;
    // The namespace and local name of the element this scope was built for.
    Ns nameOfSelf(pugi::xml_node element, std::string_view& local) const;
    // The value of an attribute in `ns` (such as r:id) on `element`, which
    // must be this scope's element; nullptr when absent.
    const char* attribute(pugi::xml_node element, Ns ns, std::string_view local) const;

private:
    struct Binding {
        std::size_t depth;
        Ns ns;
    };
    struct Table {
        std::unordered_map<std::string_view, std::vector<Binding>> bindings;
        std::uint64_t generation = 0; // counts the changes to `bindings`
    };
    // The prefix this scope resolved last and what it resolved to, good while
    // the table's generation is the same. Elements next to each other mostly
    // share a prefix, and most elements resolve through their parent's scope
    // object, so this spares most look-ups.
    struct LastResolved {
        std::uint64_t generation = ~std::uint64_t{0};
        std::string_view prefix;
        Ns ns = Ns::Other;
    };

    Ns lookUp(std::string_view prefix) const;
    // Takes this scope's bindings out of the table.
    void popDeclared();

    std::unique_ptr<Table> m_ownTable; // the root's
    Table* m_table;
    NsClassifier m_classify;
    std::size_t m_depth; // declaring elements from the root down to this one
    std::vector<std::string_view> m_declared;
    mutable LastResolved m_last;
};

// True when the element carries namespace declarations of its own.
bool DeclaresPrefixes(pugi::xml_node element);

// The scope of a child element: the parent's own scope unless the child
// declares prefixes, which is rare, so walking costs no allocation.
class ChildScope {
public:
    ChildScope(const NsScope& parent, pugi::xml_node element) : m_scope(&parent) {
        if (DeclaresPrefixes(element))
            m_scope = &m_own.emplace(&parent, element);
    }
    ChildScope(const ChildScope&) = delete;
    ChildScope& operator=(const ChildScope&) = delete;

    const NsScope& operator*() const { return *m_scope; }
    const NsScope* operator->() const { return m_scope; }

private:
    std::optional<NsScope> m_own;
    const NsScope* m_scope;
};

// Splits "p:sp" into "p" and "sp"; a name without a colon has an empty prefix.
std::pair<std::string_view, std::string_view> SplitQualifiedName(std::string_view name);

// The first child element of `parent` that is `local` in `ns`.
pugi::xml_node ChildElement(pugi::xml_node parent, const NsScope& parentScope, Ns ns, std::string_view local);

// The text content of an element: its character data, CDATA included.
void AppendText(pugi::xml_node element, std::string& out);

} // namespace orv
