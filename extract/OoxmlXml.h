#pragma once

#include "extract/ZipPackage.h"

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orv {

// The vocabularies this reader understands. Transitional and strict spellings
// of a namespace map to the same value.
enum class Ns { Other, Presentation, Drawing, Relationships, MarkupCompatibility };

// One parsed XML part. The tree points into `bytes`, so both live together.
struct XmlPart {
    std::string name;
    PartBytes bytes;
    pugi::xml_document document;

    pugi::xml_node root() const { return document.document_element(); }
};

// Parses the bytes in place. A part that is not well-formed, declares a
// document type (packages may not), or holds an absurd number of elements
// fails with a description that names the part.
void ParseXmlPart(XmlPart& part);

// Prefix bindings in force at one element, built while walking down from the
// root. Elements usually declare nothing, so the chain skips straight to the
// nearest ancestor that does, which keeps look-ups cheap.
class NsScope {
public:
    // The scope of `element`, inside `parent` (nullptr for the root).
    NsScope(const NsScope* parent, pugi::xml_node element);
    NsScope(const NsScope&) = delete;
    NsScope& operator=(const NsScope&) = delete;

    Ns resolve(std::string_view prefix) const;
    // The namespace and local name of the element this scope was built for.
    Ns nameOfSelf(pugi::xml_node element, std::string_view& local) const;
    // The value of an attribute in `ns` (such as r:id) on `element`, which
    // must be this scope's element; nullptr when absent.
    const char* attribute(pugi::xml_node element, Ns ns, std::string_view local) const;

private:
    const NsScope* m_declaring; // nearest scope (this or an ancestor) that declares prefixes
    const NsScope* m_outer = nullptr;
    std::vector<std::pair<std::string_view, Ns>> m_bindings;
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
