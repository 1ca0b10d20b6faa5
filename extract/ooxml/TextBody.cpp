#include "extract/ooxml/TextBody.h"

#include <algorithm>

namespace orv::ooxml {

namespace {

// The text of a paragraph's runs, line breaks and fields, appended to `out`.
// Names are tested by their local part first: most children (properties,
// paragraph ends) fail it and cost no namespace look-up.
void appendParagraph(pugi::xml_node container, const NsScope& containerScope, int depth, std::string& out) {
    for (auto child = container.first_child(); child; child = child.next_sibling()) {
        const auto [prefix, local] = SplitQualifiedName(child.name());
        const bool run = local == "r" || local == "fld";
        const bool lineBreak = local == "br";
        const bool alternate = local == "AlternateContent";
        if (!run && !lineBreak && !alternate)
            continue;
        const ChildScope scope(containerScope, child);
        const Ns ns = scope->resolve(prefix);
        if (run && ns == Ns::Drawing) {
            for (auto t = child.first_child(); t; t = t.next_sibling()) {
                const auto [textPrefix, textLocal] = SplitQualifiedName(t.name());
                if (textLocal != "t")
                    continue;
                const ChildScope textScope(*scope, t);
                if (textScope->resolve(textPrefix) == Ns::Drawing)
                    AppendText(t, out);
            }
        } else if (lineBreak && ns == Ns::Drawing) {
            out += '\v';
        } else if (alternate && ns == Ns::MarkupCompatibility && depth < kMaxAlternateContentDepth) {
            if (const auto branch = SelectAlternateBranch(child, *scope)) {
                const ChildScope branchScope(*scope, branch);
                appendParagraph(branch, *branchScope, depth + 1, out);
            }
        }
    }
}

} // namespace

// Markup-compatibility rule, as the presentation application applies it: a
// Choice is taken when every prefix in its Requires list names a vocabulary it
// understands (PresentationML, DrawingML, relationships, markup compatibility,
// and the Office extension namespaces such as p14 or a14); the first such
// Choice wins, then the Fallback, else the content stands for nothing. Each
// prefix costs one look-up in the scope's table.
pugi::xml_node SelectAlternateBranch(pugi::xml_node alternate, const NsScope& alternateScope) {
    pugi::xml_node fallback;
    for (auto child = alternate.first_child(); child; child = child.next_sibling()) {
        const auto [prefix, local] = SplitQualifiedName(child.name());
        if (local != "Choice" && local != "Fallback")
            continue;
        const ChildScope scope(alternateScope, child);
        if (scope->resolve(prefix) != Ns::MarkupCompatibility)
            continue;
        if (local == "Choice") {
            const std::string_view required = child.attribute("Requires").value();
            bool understood = true;
            std::size_t start = 0;
            while (understood && start < required.size()) {
                const auto end = std::min(required.find_first_of(" \t\r\n", start), required.size());
                if (end > start)
                    understood = scope->resolve(required.substr(start, end - start)) != Ns::Other;
                start = end + 1;
            }
            if (understood)
                return child;
        } else if (!fallback) {
            fallback = child;
        }
    }
    return fallback;
}

std::string TextBodyText(pugi::xml_node body, const NsScope& parentScope) {
    std::string text;
    const ChildScope bodyScope(parentScope, body);
    bool first = true;
    for (auto paragraph = body.first_child(); paragraph; paragraph = paragraph.next_sibling()) {
        const auto [prefix, local] = SplitQualifiedName(paragraph.name());
        if (local != "p")
            continue;
        const ChildScope scope(*bodyScope, paragraph);
        if (scope->resolve(prefix) != Ns::Drawing)
            continue;
        if (!first)
            text += '\r';
        first = false;
        appendParagraph(paragraph, *scope, 0, text);
    }
    return text;
}

} // namespace orv::ooxml
