// Parses arbitrary bytes as OpenDocument content with the in-place parser and
// with pugixml (as the package parts are parsed), and where both take the
// document, requires the same tree: elements with their resolved namespaces
// and local names, attributes, and character data (line ends compared as
// pugixml normalises them, since OpenDocument text counts them as spaces).
// Seeds: fuzz/corpus/odfxml_fuzz (content parts of the test decks).
#include "base/Failure.h"
#include "extract/common/XmlPart.h"
#include "extract/odf/OdfXml.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kMaxCompareDepth = 100;

std::string lineEndsAsLf(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string printable(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

[[noreturn]] void differ(const char* what, const std::string& a, const std::string& b) {
    std::fprintf(stderr, "trees differ (%s): [%s] vs pugixml [%s]\n", what, printable(a).c_str(),
                 printable(b).c_str());
    std::abort();
}

// Character references to no character (NUL, surrogates, beyond U+10FFFF)
// are kept as written here and encoded anyway by pugixml: text holding a
// reference left as written is not compared.
bool keepsReference(std::string_view ours) {
    return ours.find("&#") != std::string_view::npos;
}

// A child sequence as compared: runs of character data merged, empty runs dropped.
struct Item {
    bool element = false;
    std::string text;
    orv::odf::OdfXml::Id ours = orv::odf::OdfXml::kNone;
    pugi::xml_node theirs;
};

void pushText(std::vector<Item>& items, std::string_view text) {
    if (text.empty())
        return;
    if (!items.empty() && !items.back().element)
        items.back().text += text;
    else
        items.push_back({false, std::string(text), orv::odf::OdfXml::kNone, {}});
}

void compare(const orv::odf::OdfXml& xml, orv::odf::OdfXml::Id ours, pugi::xml_node theirs,
             const orv::NsScope& scope, int depth) {
    std::string_view local;
    const orv::Ns theirNs = scope.nameOfSelf(theirs, local);
    if (xml.local(ours) != local || xml.ns(ours) != theirNs)
        differ("name", std::string(xml.local(ours)), std::string(local));
    // Each namespace and local name once: the first attribute of it is the one found.
    std::vector<std::pair<orv::Ns, std::string>> seen;
    for (auto a = theirs.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view name = a.name();
        const auto colon = name.find(':');
        if (colon == std::string_view::npos || name.substr(0, colon) == "xmlns")
            continue;
        const orv::Ns ns = scope.resolve(name.substr(0, colon));
        const std::string attributeLocal(name.substr(colon + 1));
        if (std::find(seen.begin(), seen.end(), std::pair(ns, attributeLocal)) != seen.end())
            continue;
        seen.emplace_back(ns, attributeLocal);
        const auto value = xml.attribute(ours, ns, attributeLocal);
        if (!value.found || (value.text != a.value() && !keepsReference(value.text)))
            differ("attribute", std::string(value.text), std::string(name) + "=" + a.value());
    }
    if (depth >= kMaxCompareDepth)
        return;

    std::vector<Item> mine;
    for (auto child = xml.firstChild(ours); child != orv::odf::OdfXml::kNone;
         child = xml.nextSibling(child)) {
        if (xml.isText(child))
            pushText(mine, lineEndsAsLf(xml.text(child)));
        else
            mine.push_back({true, {}, child, {}});
    }
    std::vector<Item> pugi;
    // Both sides' line ends alike: a CR written as a reference is one on both.
    pushText(pugi, lineEndsAsLf(theirs.value()));
    for (auto child = theirs.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            pushText(pugi, lineEndsAsLf(child.value()));
        else if (child.type() == pugi::node_element)
            pugi.push_back({true, {}, orv::odf::OdfXml::kNone, child});
    }
    // pugixml ends a text at a decoded NUL, and may drop it whole: with such a
    // reference among the texts, only the elements are compared.
    if (std::any_of(mine.begin(), mine.end(), [](const Item& item) { return keepsReference(item.text); })) {
        const auto text = [](const Item& item) { return !item.element; };
        mine.erase(std::remove_if(mine.begin(), mine.end(), text), mine.end());
        pugi.erase(std::remove_if(pugi.begin(), pugi.end(), text), pugi.end());
    }
    if (mine.size() != pugi.size()) {
        const auto list = [&](const std::vector<Item>& items, bool ours) {
            std::string out;
            for (const auto& item : items)
                out += "{" +
                       (item.element ? std::string(ours ? xml.local(item.ours) : item.theirs.name())
                                     : "'" + item.text + "'") +
                       "}";
            return out;
        };
        differ("children", list(mine, true), list(pugi, false));
    }
    for (std::size_t i = 0; i < mine.size(); ++i) {
        if (mine[i].element != pugi[i].element)
            differ("child kind", mine[i].text, pugi[i].text);
        if (!mine[i].element) {
            if (mine[i].text != pugi[i].text && !keepsReference(mine[i].text))
                differ("text", mine[i].text, pugi[i].text);
            continue;
        }
        if (xml.declaresTooMany(mine[i].ours))
            continue;
        const orv::ChildScope childScope(scope, pugi[i].theirs);
        compare(xml, mine[i].ours, pugi[i].theirs, *childScope, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 20))
        return 0;
    std::vector<char> ourBytes(data, data + size);
    ourBytes.push_back('\0');
    orv::odf::OdfXml xml;
    bool oursParsed = true;
    try {
        xml.parse(ourBytes.data(), size, "the part content.xml", "which is refused");
    } catch (const orv::Failure&) {
        oursParsed = false;
    }

    // pugixml stops at a NUL and reads other encodings: such input is not compared.
    if (!oursParsed || std::memchr(data, '\0', size) != nullptr)
        return 0;
    // As OpenDocument content was parsed with pugixml: white space kept
    // wherever it lies, document types taken only to be refused.
    std::vector<char> theirBytes(data, data + size);
    pugi::xml_document document;
    const unsigned options = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol |
                             pugi::parse_ws_pcdata | pugi::parse_embed_pcdata | pugi::parse_doctype;
    if (!document.load_buffer_inplace(theirBytes.data(), theirBytes.size(), options))
        return 0;
    for (auto child = document.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_doctype)
            return 0;
    const pugi::xml_node root = document.document_element();
    if (!root)
        return 0;
    try {
        const orv::NsScope scope(nullptr, root, orv::ClassifyOpenDocument);
        if (xml.declaresTooMany(xml.root()))
            return 0;
        compare(xml, xml.root(), root, scope, 0);
    } catch (const orv::Failure&) {
        return 0; // the root declares too many prefixes for pugixml's walk
    }
    return 0;
}
