#pragma once

#include "extract/common/XmlTree.h"
#include "extract/common/ZipPackage.h"

#include <string>
#include <string_view>

namespace orv {

// One parsed XML part of a zip package. The tree points into `bytes`, so both
// live together; once a UTF-16 part is parsed, into its own UTF-8 copy, and
// `bytes` is let go.
struct XmlPart {
    std::string name;
    PartBytes bytes;
    XmlTree tree;

    XmlTree::Id root() const { return tree.root(); }
};

// The rules of Office Open XML package parts: their vocabularies, the
// package rules for character data, and mc:Choice's list of required
// prefixes.
XmlRules PackagePartRules();

// Parses the bytes in place by the package rules (or others, such as the
// package rules with elements to skip). A part that is not well-formed,
// declares a document type (packages may not), or holds more nodes than the
// rules' maxNodes fails with a description that names the part.
void ParseXmlPart(XmlPart& part, const XmlRules& rules = PackagePartRules());

// The same with other rules and the descriptions' wording given: `subject`
// names what is parsed (empty: "the part " and its name), `doctypeRule` ends
// the refusal of a document type.
void ParseXmlDocument(XmlPart& part, const XmlRules& rules, std::string subject,
                      std::string_view doctypeRule);

// The first child element of `parent` that is `local` in `ns`, or kNone.
// Refuses a child of that local name that declares too many prefixes.
XmlTree::Id ChildElement(const XmlTree& xml, XmlTree::Id parent, Ns ns, std::string_view local);

// The text content of an element: its character data, CDATA included.
void AppendText(const XmlTree& xml, XmlTree::Id element, std::string& out);

// The number of children (elements and character data) of `element`,
// counted up to `most`: room to make at once for what a walk takes from them.
std::size_t ChildCount(const XmlTree& xml, XmlTree::Id element, std::size_t most);

// Room for the text a walk may gather from an element: its character data
// at any depth and one separator for each element in it, at most `limit`.
// Made once, it spares the string growing run by run.
std::size_t TextRoom(const XmlTree& xml, XmlTree::Id element, std::size_t limit = 16u << 10);

} // namespace orv
