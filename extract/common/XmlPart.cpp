#include "extract/common/XmlPart.h"

#include "base/SafeText.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"

#include <algorithm>
#include <cstring>

namespace orv {

namespace {
// "xmlns" or "xmlns:x": a namespace declaration. Returns the declared prefix.
bool declaredPrefix(const char* attributeName, std::string_view& prefix) {
    // Most attributes fail on the first letter, before any call.
    if (attributeName[0] != 'x' || std::strncmp(attributeName, "xmlns", 5) != 0)
        return false;
    if (attributeName[5] == '\0') {
        prefix = {};
        return true;
    }
    if (attributeName[5] != ':')
        return false;
    prefix = attributeName + 6;
    return true;
}

} // namespace

std::pair<std::string_view, std::string_view> SplitQualifiedName(std::string_view name) {
    const auto colon = name.find(':');
    if (colon == std::string_view::npos)
        return {{}, name};
    return {name.substr(0, colon), name.substr(colon + 1)};
}

void ParseXmlPart(XmlPart& part) {
    ParseXmlDocument(part, "the part " + FileText(part.name), "which package parts may not do");
}

void ParseXmlDocument(XmlPart& part, std::string_view subject, std::string_view doctypeRule) {
    const std::string what(subject);
    char* text = part.bytes.data.get();
    const std::size_t size = part.bytes.size;
    // Every element needs a '<' and every attribute a '=', so their count
    // bounds the nodes the tree would get; only parts larger than the bound
    // need counting.
    if (size > limits::kMaxXmlNodes && static_cast<std::size_t>(std::count_if(text, text + size, [](char c) {
                                           return c == '<' || c == '=';
                                       })) > limits::kMaxXmlNodes)
        ThrowOverLimit(what + " holds more than " + std::to_string(limits::kMaxXmlNodes) +
                           " elements and attributes",
                       part.name);
    // Whitespace-only text is kept when it is an element's only content, so a
    // run holding just a space or a tab keeps it. Document types are parsed
    // only to be refused; pugixml never expands entities beyond XML's own.
    const unsigned options = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol |
                             pugi::parse_ws_pcdata_single | pugi::parse_embed_pcdata | pugi::parse_doctype;
    const pugi::xml_parse_result result = part.document.load_buffer_inplace(text, size, options);
    if (!result)
        ThrowDamaged(what + " is not well-formed XML (" + result.description() + " at byte " +
                         std::to_string(result.offset) + ")",
                     part.name, static_cast<std::uint64_t>(result.offset));
    for (auto child = part.document.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_doctype)
            ThrowDamaged(what + " declares a document type, " + std::string(doctypeRule), part.name);
}

NsScope::NsScope(const NsScope* parent, pugi::xml_node element, NsClassifier classify)
    : m_table(parent != nullptr ? parent->m_table : nullptr),
      m_classify(parent != nullptr ? parent->m_classify : classify),
      m_depth(parent != nullptr ? parent->m_depth + 1 : 0) {
    if (m_table == nullptr) {
        m_ownTable = std::make_unique<Table>();
        m_table = m_ownTable.get();
    }
    std::string_view prefix;
    for (auto a = element.first_attribute(); a; a = a.next_attribute()) {
        if (!declaredPrefix(a.name(), prefix))
            continue;
        if (m_declared.size() == limits::kMaxNamespaceDeclarations) {
            // No destructor runs for a scope that fails here; the table may
            // outlive this walk (a document keeps its top scopes).
            popDeclared();
            ThrowDamaged("an element declares more than " +
                         std::to_string(limits::kMaxNamespaceDeclarations) + " namespace prefixes");
        }
        m_table->bindings[prefix].push_back({m_depth, m_classify(a.value())});
        ++m_table->generation;
        m_declared.push_back(prefix);
    }
}

NsScope::~NsScope() {
    popDeclared();
}

void NsScope::popDeclared() {
    for (auto it = m_declared.rbegin(); it != m_declared.rend(); ++it)
        m_table->bindings[*it].pop_back();
    if (!m_declared.empty())
        ++m_table->generation;
    m_declared.clear();
}

Ns NsScope::resolve(std::string_view prefix) const {
    if (m_last.generation == m_table->generation && m_last.prefix == prefix)
        return m_last.ns;
    const Ns ns = lookUp(prefix);
    m_last = {m_table->generation, prefix, ns};
    return ns;
}

Ns NsScope::lookUp(std::string_view prefix) const {
    const auto found = m_table->bindings.find(prefix);
    if (found == m_table->bindings.end())
        return Ns::Other;
    // The newest binding usually belongs to this scope or an ancestor; a
    // deeper scope still alive below this one is skipped.
    const auto& bindings = found->second;
    for (auto it = bindings.rbegin(); it != bindings.rend(); ++it)
        if (it->depth <= m_depth)
            return it->ns;
    return Ns::Other;
}

Ns NsScope::nameOfSelf(pugi::xml_node element, std::string_view& local) const {
    const auto [prefix, name] = SplitQualifiedName(element.name());
    local = name;
    return resolve(prefix);
}

bool DeclaresPrefixes(pugi::xml_node element) {
    std::string_view prefix;
    for (auto a = element.first_attribute(); a; a = a.next_attribute())
        if (declaredPrefix(a.name(), prefix))
            return true;
    return false;
}

pugi::xml_node ChildElement(pugi::xml_node parent, const NsScope& parentScope, Ns ns,
                            std::string_view local) {
    for (auto child = parent.first_child(); child; child = child.next_sibling()) {
        // The local name is the cheap test; most elements fail it.
        const auto [prefix, name] = SplitQualifiedName(child.name());
        if (name != local)
            continue;
        const ChildScope scope(parentScope, child);
        if (scope->resolve(prefix) == ns)
            return child;
    }
    return {};
}

const char* NsScope::attribute(pugi::xml_node element, Ns ns, std::string_view local) const {
    for (auto a = element.first_attribute(); a; a = a.next_attribute()) {
        const auto [prefix, name] = SplitQualifiedName(a.name());
        if (!prefix.empty() && prefix != "xmlns" && name == local && resolve(prefix) == ns)
            return a.value();
    }
    return nullptr;
}

void AppendText(pugi::xml_node element, std::string& out) {
    out += element.value(); // character data embedded by parse_embed_pcdata
    for (auto child = element.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            out += child.value();
}

} // namespace orv
