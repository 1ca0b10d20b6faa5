#include "extract/common/XmlPart.h"

#include "base/SafeText.h"

#include <algorithm>

namespace orv {

XmlRules PackagePartRules() {
    return {ClassifyOfficeOpenXml, true, "Requires", {}};
}

void ParseXmlPart(XmlPart& part, const XmlRules& rules) {
    ParseXmlDocument(part, rules, {}, "which package parts may not do");
}

void ParseXmlDocument(XmlPart& part, const XmlRules& rules, std::string subject,
                      std::string_view doctypeRule) {
    part.tree.parse(part.bytes.data.get(), part.bytes.size, rules,
                    {std::move(subject), doctypeRule, part.name});
    if (part.tree.readFromCopy())
        part.bytes = {}; // UTF-16: the tree holds its own UTF-8 copy
}

XmlTree::Id ChildElement(const XmlTree& xml, XmlTree::Id parent, Ns ns, std::string_view local) {
    for (auto child = xml.firstChild(parent); child != XmlTree::kNone; child = xml.nextSibling(child)) {
        // The local name is the cheap test; most elements fail it.
        if (xml.isText(child) || xml.local(child) != local)
            continue;
        RequireDeclarationsInLimit(xml, child);
        if (xml.ns(child) == ns)
            return child;
    }
    return XmlTree::kNone;
}

std::size_t ChildCount(const XmlTree& xml, XmlTree::Id element, std::size_t most) {
    std::size_t count = 0;
    for (auto child = xml.firstChild(element); child != XmlTree::kNone && count < most;
         child = xml.nextSibling(child))
        ++count;
    return count;
}

std::size_t TextRoom(const XmlTree& xml, XmlTree::Id element, std::size_t limit) {
    std::size_t room = 0;
    for (auto node = element + 1; node < xml.subtreeEnd(element) && room < limit; ++node)
        room += xml.isText(node) ? xml.text(node).size() : 1;
    return std::min(room, limit);
}

void AppendText(const XmlTree& xml, XmlTree::Id element, std::string& out) {
    for (auto child = xml.firstChild(element); child != XmlTree::kNone; child = xml.nextSibling(child))
        if (xml.isText(child))
            out += xml.text(child);
}

} // namespace orv
