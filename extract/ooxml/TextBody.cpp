#include "extract/ooxml/TextBody.h"

#include "extract/common/XmlPart.h"

namespace orv::ooxml {

namespace {

// The text of a paragraph's runs, line breaks and fields, appended to `out`.
// Names are tested by their local part first: most children (properties,
// paragraph ends) fail it.
void appendParagraph(const XmlTree& xml, XmlTree::Id container, int depth, std::string& out) {
    for (auto child = xml.firstChild(container); child != XmlTree::kNone; child = xml.nextSibling(child)) {
        if (xml.isText(child))
            continue;
        const auto local = xml.local(child);
        const bool run = local == "r" || local == "fld";
        const bool lineBreak = local == "br";
        const bool alternate = local == "AlternateContent";
        if (!run && !lineBreak && !alternate)
            continue;
        RequireDeclarationsInLimit(xml, child);
        const Ns ns = xml.ns(child);
        if (run && ns == Ns::Drawing) {
            for (auto t = xml.firstChild(child); t != XmlTree::kNone; t = xml.nextSibling(t)) {
                if (xml.isText(t) || xml.local(t) != "t")
                    continue;
                RequireDeclarationsInLimit(xml, t);
                if (xml.ns(t) == Ns::Drawing)
                    AppendText(xml, t, out);
            }
        } else if (lineBreak && ns == Ns::Drawing) {
            out += '\v';
        } else if (alternate && ns == Ns::MarkupCompatibility && depth < kMaxAlternateContentDepth) {
            if (const auto branch = SelectAlternateBranch(xml, child); branch != XmlTree::kNone)
                appendParagraph(xml, branch, depth + 1, out);
        }
    }
}

} // namespace

// Markup-compatibility rule, as the presentation application applies it: a
// Choice is taken when every prefix in its Requires list names a vocabulary it
// understands (PresentationML, DrawingML, relationships, markup compatibility,
// and the Office extension namespaces such as p14 or a14); the first such
// Choice wins, then the Fallback, else the content stands for nothing. The
// parser resolved the prefixes in the Choice's own scope.
XmlTree::Id SelectAlternateBranch(const XmlTree& xml, XmlTree::Id alternate) {
    XmlTree::Id fallback = XmlTree::kNone;
    for (auto child = xml.firstChild(alternate); child != XmlTree::kNone; child = xml.nextSibling(child)) {
        if (xml.isText(child))
            continue;
        const auto local = xml.local(child);
        if (local != "Choice" && local != "Fallback")
            continue;
        RequireDeclarationsInLimit(xml, child);
        if (xml.ns(child) != Ns::MarkupCompatibility)
            continue;
        if (local == "Choice") {
            const auto required = xml.prefixList(child);
            if (!required.found || required.allKnown)
                return child;
        } else if (fallback == XmlTree::kNone) {
            fallback = child;
        }
    }
    return fallback;
}

std::string TextBodyText(const XmlTree& xml, XmlTree::Id body) {
    std::string text;
    RequireDeclarationsInLimit(xml, body);
    text.reserve(TextRoom(xml, body));
    bool first = true;
    for (auto paragraph = xml.firstChild(body); paragraph != XmlTree::kNone;
         paragraph = xml.nextSibling(paragraph)) {
        if (xml.isText(paragraph) || xml.local(paragraph) != "p")
            continue;
        RequireDeclarationsInLimit(xml, paragraph);
        if (xml.ns(paragraph) != Ns::Drawing)
            continue;
        if (!first)
            text += '\r';
        first = false;
        appendParagraph(xml, paragraph, 0, text);
    }
    return text;
}

} // namespace orv::ooxml
