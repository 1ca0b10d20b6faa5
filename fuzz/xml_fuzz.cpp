// Holds the program's XML parser to pugixml. Each input is parsed by the
// package rules and by the OpenDocument rules, and by pugixml with matching
// options but with character references left as written; references on the
// pugixml side are then decoded here by the rules the parser documents, so
// texts and values holding them are compared too. Where both take the
// document, the trees must agree (elements the rules skip left out of
// pugixml's): elements with their vocabularies and local names, every prefixed attribute with its vocabulary
// and value, what a Choice's required prefixes name, character data (merged runs, with the package rules for
// white space and line ends), and the tree's own links. The limit on nodes counts
// them as pugixml's tree holds them, once whether skipped or kept. Seeds: fuzz/corpus/xml_fuzz (parts of the
// test decks).
#include "base/Failure.h"
#include "base/Utf8.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/XmlTree.h"

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace {

using orv::Ns;
using orv::XmlTree;

constexpr int kMaxCompareDepth = 100;

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

// References as the parser documents them: a character reference of any
// number of digits naming a character (not NUL, not a surrogate, at most
// U+10FFFF), or one of XML's five entities; anything else stays as written.
std::string decoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            out += text[i++];
            continue;
        }
        const auto semicolon = text.find(';', i);
        const std::string_view body =
            semicolon == std::string_view::npos ? std::string_view() : text.substr(i + 1, semicolon - i - 1);
        static constexpr std::pair<std::string_view, char> kNamed[] = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
        bool done = false;
        for (const auto& [name, c] : kNamed)
            if (body == name) {
                out += c;
                done = true;
            }
        if (!done && body.size() >= 2 && body[0] == '#') {
            const bool hex = body[1] == 'x';
            const std::string_view digits = body.substr(hex ? 2 : 1);
            std::uint64_t cp = 0;
            bool valid = !digits.empty();
            for (const char c : digits) {
                int digit = -1;
                if (c >= '0' && c <= '9')
                    digit = c - '0';
                else if (hex && c >= 'a' && c <= 'f')
                    digit = c - 'a' + 10;
                else if (hex && c >= 'A' && c <= 'F')
                    digit = c - 'A' + 10;
                if (digit < 0) {
                    valid = false;
                    break;
                }
                cp = std::min<std::uint64_t>(cp * (hex ? 16 : 10) + static_cast<unsigned>(digit), 0x110000);
            }
            if (valid && cp != 0 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) {
                orv::AppendUtf8(out, static_cast<std::uint32_t>(cp));
                done = true;
            }
        }
        if (done) {
            i = semicolon + 1;
        } else {
            out += '&';
            ++i;
        }
    }
    return out;
}

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

// The prefixes in force on the pugixml side, kept by the walk itself.
class Scope {
public:
    explicit Scope(orv::NsClassifier classify) : m_classify(classify) {}

    // Puts an element's declarations in force (none when it declares too
    // many, as the parser does); returns how many to take out afterwards.
    std::vector<std::string> enter(pugi::xml_node element) {
        std::vector<std::pair<std::string, std::string>> declared;
        for (auto a = element.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view name = a.name();
            if (name == "xmlns")
                declared.emplace_back("", decoded(lineEndsAsLf(a.value())));
            else if (name.starts_with("xmlns:"))
                declared.emplace_back(name.substr(6), decoded(lineEndsAsLf(a.value())));
        }
        std::vector<std::string> pushed;
        if (declared.size() > orv::limits::kMaxNamespaceDeclarations)
            return pushed;
        for (const auto& [prefix, uri] : declared) {
            m_bindings[prefix].push_back(m_classify(uri));
            pushed.push_back(prefix);
        }
        return pushed;
    }
    void leave(const std::vector<std::string>& pushed) {
        for (const auto& prefix : pushed)
            m_bindings[prefix].pop_back();
    }
    Ns resolve(std::string_view prefix) const {
        const auto found = m_bindings.find(std::string(prefix));
        return found == m_bindings.end() || found->second.empty() ? Ns::Other : found->second.back();
    }

private:
    orv::NsClassifier m_classify;
    std::map<std::string, std::vector<Ns>> m_bindings;
};

struct Item {
    bool element = false;
    std::string text;
    XmlTree::Id ours = XmlTree::kNone;
    pugi::xml_node theirs;
};

void pushText(std::vector<Item>& items, const std::string& text) {
    if (text.empty())
        return;
    if (!items.empty() && !items.back().element)
        items.back().text += text;
    else
        items.push_back({false, text, XmlTree::kNone, {}});
}

struct Comparison {
    const XmlTree& xml;
    const orv::XmlRules& rules;
    Scope scope;

    void compare(XmlTree::Id ours, pugi::xml_node theirs, int depth) {
        const auto pushed = scope.enter(theirs);
        const std::string_view name = theirs.name();
        const auto colon = name.find(':');
        const std::string_view prefix =
            colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
        const std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
        if (xml.local(ours) != local || xml.ns(ours) != scope.resolve(prefix))
            differ("name", std::string(xml.local(ours)), std::string(name));
        std::size_t declarations = 0;
        std::uint32_t index = 0;
        bool prefixListSeen = false; // of two, the element's list is the first, as attributeNamed's value is
        for (auto a = theirs.first_attribute(); a; a = a.next_attribute(), ++index) {
            const std::string_view attributeName = a.name();
            const auto attributeColon = attributeName.find(':');
            if (attributeName == "xmlns" || attributeName.starts_with("xmlns:"))
                ++declarations;
            if (index >= xml.attributeCount(ours))
                differ("attribute count", std::to_string(xml.attributeCount(ours)),
                       std::to_string(index + 1));
            const auto mine = xml.attributeAt(ours, index);
            const std::string value = decoded(lineEndsAsLf(a.value()));
            if (mine.value != value)
                differ("attribute value", std::string(mine.value), std::string(attributeName) + "=" + value);
            if (attributeColon != std::string_view::npos &&
                attributeName.substr(0, attributeColon) != "xmlns" &&
                mine.ns != scope.resolve(attributeName.substr(0, attributeColon)))
                differ("attribute namespace", std::string(mine.local), std::string(attributeName));
            if (attributeColon == std::string_view::npos && !rules.prefixListAttribute.empty() &&
                attributeName == rules.prefixListAttribute && !std::exchange(prefixListSeen, true)) {
                bool known = true;
                const std::string list = value;
                std::size_t start = 0;
                while (start < list.size()) {
                    const auto end = std::min(list.find_first_of(" \t\r\n", start), list.size());
                    if (end > start &&
                        scope.resolve(std::string_view(list).substr(start, end - start)) == Ns::Other)
                        known = false;
                    start = end + 1;
                }
                const auto required = xml.prefixList(ours);
                if (!required.found || required.allKnown != known)
                    differ("required prefixes", std::to_string(required.allKnown), list);
            }
        }
        if (index != xml.attributeCount(ours))
            differ("attribute count", std::to_string(xml.attributeCount(ours)), std::to_string(index));
        if (xml.declaresTooMany(ours) != (declarations > orv::limits::kMaxNamespaceDeclarations))
            differ("declarations", std::to_string(xml.declaresTooMany(ours)), std::to_string(declarations));
        if (depth < kMaxCompareDepth)
            compareChildren(ours, theirs, depth);
        scope.leave(pushed);
    }

    // Whether the rules skip the element: its local name and namespace are
    // listed, and it declares no prefix of its own.
    bool skipped(pugi::xml_node element) const {
        const std::string_view name = element.name();
        const auto colon = name.find(':');
        const std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
        const std::string_view prefix =
            colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
        for (const auto& entry : rules.skip) {
            if (entry.local != local || scope.resolve(prefix) != entry.ns)
                continue;
            for (auto a = element.first_attribute(); a; a = a.next_attribute())
                if (std::string_view(a.name()) == "xmlns" || std::string_view(a.name()).starts_with("xmlns:"))
                    return false;
            return true;
        }
        return false;
    }

    void compareChildren(XmlTree::Id ours, pugi::xml_node theirs, int depth) {
        const auto asCompared = [&](std::string_view text) {
            return rules.packageText ? std::string(text) : lineEndsAsLf(text);
        };
        std::vector<Item> mine;
        for (auto child = xml.firstChild(ours); child != XmlTree::kNone; child = xml.nextSibling(child)) {
            if (xml.isText(child))
                pushText(mine, asCompared(xml.text(child)));
            else
                mine.push_back({true, {}, child, {}});
        }
        std::vector<Item> pugi;
        pushText(pugi, asCompared(decoded(theirs.value())));
        for (auto child = theirs.first_child(); child; child = child.next_sibling()) {
            if (child.type() == pugi::node_element && skipped(child))
                continue;
            if (child.type() == pugi::node_pcdata)
                pushText(pugi, asCompared(decoded(child.value())));
            else if (child.type() == pugi::node_cdata)
                pushText(pugi, asCompared(child.value()));
            else if (child.type() == pugi::node_element)
                pugi.push_back({true, {}, XmlTree::kNone, child});
        }
        if (mine.size() != pugi.size()) {
            const auto list = [&](const std::vector<Item>& items, bool isOurs) {
                std::string out;
                for (const auto& item : items)
                    out += "{" +
                           (item.element ? std::string(isOurs ? xml.local(item.ours) : item.theirs.name())
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
                if (mine[i].text != pugi[i].text)
                    differ("text", mine[i].text, pugi[i].text);
                continue;
            }
            compare(mine[i].ours, pugi[i].theirs, depth + 1);
        }
    }
};

// Every element's subtree ends where its last child's does (or right after
// it, for character data), and children lie inside their parent's subtree.
void checkLinks(const XmlTree& xml) {
    std::vector<XmlTree::Id> stack{xml.root()};
    while (!stack.empty()) {
        const auto element = stack.back();
        stack.pop_back();
        XmlTree::Id last = XmlTree::kNone;
        for (auto child = xml.firstChild(element); child != XmlTree::kNone; child = xml.nextSibling(child)) {
            if (child <= element || child >= xml.subtreeEnd(element))
                differ("links", std::to_string(child), std::to_string(element));
            if (!xml.isText(child))
                stack.push_back(child);
            last = child;
        }
        const auto expected =
            last == XmlTree::kNone ? element + 1 : (xml.isText(last) ? last + 1 : xml.subtreeEnd(last));
        if (xml.subtreeEnd(element) != expected)
            differ("subtree end", std::to_string(xml.subtreeEnd(element)), std::to_string(expected));
    }
}

void compareUnder(const std::uint8_t* data, std::size_t size, const orv::XmlRules& rules, unsigned options) {
    std::vector<char> ourBytes(data, data + size);
    ourBytes.push_back('\0');
    XmlTree xml;
    try {
        xml.parse(ourBytes.data(), size, rules, {"the part", "which is refused", "part"});
    } catch (const orv::Failure&) {
        return;
    }
    checkLinks(xml);
    // pugixml stops at a NUL and reads other encodings: such input is not
    // compared, nor is a converted UTF-16 text.
    if (std::memchr(data, '\0', size) != nullptr || xml.readFromCopy())
        return;
    std::vector<char> theirBytes(data, data + size);
    pugi::xml_document document;
    if (!document.load_buffer_inplace(theirBytes.data(), theirBytes.size(), options))
        return;
    for (auto child = document.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_doctype)
            return;
    const pugi::xml_node root = document.document_element();
    if (!root)
        return;
    Comparison comparison{xml, rules, Scope(rules.classify)};
    comparison.compare(xml.root(), root, 0);
}

// What parsing by the rules gives: "" for a document taken, else the refusal.
std::string outcomeUnder(const std::uint8_t* data, std::size_t size, const orv::XmlRules& rules) {
    std::vector<char> bytes(data, data + size);
    bytes.push_back('\0');
    XmlTree xml;
    try {
        xml.parse(bytes.data(), size, rules, {"the part", "which is refused", "part"});
    } catch (const orv::Failure& failure) {
        return failure.what();
    }
    return {};
}

// Skipped elements are checked as strictly as kept ones, however they are
// passed over: a document is taken or refused alike, for the same reason at
// the same byte, with elements to skip and without.
void compareSkipping(const std::uint8_t* data, std::size_t size, orv::XmlRules rules,
                     std::span<const orv::SkippedElement> skip) {
    const std::string kept = outcomeUnder(data, size, rules);
    rules.skip = skip;
    const std::string skipped = outcomeUnder(data, size, rules);
    if (kept != skipped) {
        std::fprintf(stderr, "skipping changes the outcome: \"%s\" without, \"%s\" with\n", kept.c_str(),
                     skipped.c_str());
        std::abort();
    }
}

// The nodes the limit counts, as pugixml reads the document: every element
// and attribute, and every run of character data (white space alone too) and
// CDATA section inside an element. None when pugixml refuses the document.
std::optional<std::size_t> nodesAsCounted(const std::uint8_t* data, std::size_t size) {
    std::vector<char> bytes(data, data + size);
    pugi::xml_document document;
    if (!document.load_buffer_inplace(bytes.data(), bytes.size(), pugi::parse_cdata | pugi::parse_ws_pcdata))
        return std::nullopt;
    std::size_t count = 0;
    for (auto top = document.first_child(); top; top = top.next_sibling()) {
        if (top.type() != pugi::node_element)
            continue;
        // Document order without recursion: down, else across, else up and across.
        for (pugi::xml_node node = top; node;) {
            if (node.type() == pugi::node_element)
                count += 1 + static_cast<std::size_t>(
                                 std::distance(node.attributes_begin(), node.attributes_end()));
            else if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
                ++count;
            if (node.first_child()) {
                node = node.first_child();
                continue;
            }
            while (node != top && !node.next_sibling())
                node = node.parent();
            node = node == top ? pugi::xml_node() : node.next_sibling();
        }
    }
    return count;
}

// The counting rule: a document both parsers take is taken with a limit of
// exactly its nodes as pugixml counts them and refused for its size with one
// fewer, at the same byte whether elements are skipped or not.
void compareCounts(const std::uint8_t* data, std::size_t size, orv::XmlRules rules,
                   std::span<const orv::SkippedElement> skip) {
    if (std::memchr(data, '\0', size) != nullptr || !outcomeUnder(data, size, rules).empty())
        return;
    const auto counted = nodesAsCounted(data, size);
    if (!counted)
        return;
    for (const auto& rulesSkip : {std::span<const orv::SkippedElement>(), skip}) {
        rules.skip = rulesSkip;
        rules.maxNodes = *counted;
        const std::string within = outcomeUnder(data, size, rules);
        if (!within.empty()) {
            std::fprintf(stderr, "refused within the limit of %zu nodes: \"%s\"\n", *counted, within.c_str());
            std::abort();
        }
        if (*counted == 0)
            return;
        rules.maxNodes = *counted - 1;
        const std::string over = outcomeUnder(data, size, rules);
        if (over.find("elements, attributes and runs of text") == std::string::npos) {
            std::fprintf(stderr, "taken over the limit of %zu nodes: \"%s\"\n", *counted - 1, over.c_str());
            std::abort();
        }
    }
    rules.skip = {};
    compareSkipping(data, size, rules, skip);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 20))
        return 0;
    // References stay as written on the pugixml side: they are decoded above.
    const unsigned common =
        pugi::parse_cdata | pugi::parse_eol | pugi::parse_embed_pcdata | pugi::parse_doctype;
    // Elements of each vocabulary skipped, by a name the seeds hold.
    static constexpr orv::SkippedElement kSkip[] = {{Ns::Drawing, "rPr"},
                                                    {Ns::Presentation, "spPr"},
                                                    {Ns::OdfOffice, "automatic-styles"},
                                                    {Ns::OdfDraw, "enhanced-geometry"},
                                                    {Ns::Other, "skip"}};
    compareUnder(data, size, {orv::ClassifyOfficeOpenXml, true, "Requires", {}},
                 common | pugi::parse_ws_pcdata_single);
    compareUnder(data, size, {orv::ClassifyOfficeOpenXml, true, "Requires", kSkip},
                 common | pugi::parse_ws_pcdata_single);
    compareUnder(data, size, {orv::ClassifyOpenDocument, false, {}, {}}, common | pugi::parse_ws_pcdata);
    compareUnder(data, size, {orv::ClassifyOpenDocument, false, {}, kSkip}, common | pugi::parse_ws_pcdata);
    compareSkipping(data, size, {orv::ClassifyOfficeOpenXml, true, "Requires", {}}, kSkip);
    compareSkipping(data, size, {orv::ClassifyOpenDocument, false, {}, {}}, kSkip);
    compareCounts(data, size, {orv::ClassifyOfficeOpenXml, true, "Requires", {}}, kSkip);
    compareCounts(data, size, {orv::ClassifyOpenDocument, false, {}, {}}, kSkip);
    return 0;
}
