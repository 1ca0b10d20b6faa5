#include "extract/ooxml/AllTextParts.h"

#include "extract/ooxml/TextBody.h"

#include <unordered_set>

namespace orv::ooxml {

namespace {

// The part a relationship of the slide points at, when it is of a kind the
// test accepts and lies inside the package.
template <typename Accept>
std::optional<std::string> internalTarget(const std::string& slidePart, const Relationship& r,
                                          Accept accept) {
    if (r.external || !accept(r.type))
        return std::nullopt;
    return ResolvePartName(slidePart, r.target);
}

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Every element of `root` named `local` (any namespace) whose children are
// DrawingML paragraphs, or whose own character data is the text, in document
// order, each given to `add`.
void appendTextElements(const XmlTree& xml, std::string_view bodyLocal, std::string_view plainLocal,
                        TextPlace place, const std::string& name, const PlacedTextSink& add) {
    const auto root = xml.root();
    for (auto node = root; node < xml.subtreeEnd(root);) {
        const auto local = xml.isText(node) ? std::string_view() : xml.local(node);
        const bool body = !local.empty() && local == bodyLocal;
        const bool plain = !local.empty() && !plainLocal.empty() && local == plainLocal;
        if (!body && !plain) {
            ++node;
            continue;
        }
        // What a text element holds is its text: not searched again.
        if (body) {
            add(place, name, TextBodyText(xml, node));
        } else {
            std::string text;
            AppendText(xml, node, text);
            add(place, name, std::move(text));
        }
        node = xml.subtreeEnd(node);
    }
}

// The elements of the subtree of `root` named `local` (any namespace), in
// document order; those inside a found one are not searched.
template <typename Visit>
void forEachElement(const XmlTree& xml, XmlTree::Id root, std::string_view local, Visit&& visit) {
    for (auto node = xml.firstChild(root); node != XmlTree::kNone && node < xml.subtreeEnd(root);) {
        if (!xml.isText(node) && xml.local(node) == local) {
            visit(node);
            node = xml.subtreeEnd(node);
        } else {
            ++node;
        }
    }
}

// The cached values (c:v) of a string reference, cache or literal, in order.
template <typename Visit> void forEachValue(const XmlTree& xml, XmlTree::Id root, Visit&& visit) {
    forEachElement(xml, root, "v", [&](XmlTree::Id value) {
        std::string text;
        AppendText(xml, value, text);
        visit(std::move(text));
    });
}

} // namespace

void AppendDiagramTexts(ZipPackage& zip, const std::string& slidePart, const PartRelations& relations,
                        const std::vector<DiagramReference>& diagrams, const PlacedTextSink& add,
                        const PieceReader& piece, const PieceRules& rules) {
    std::unordered_set<std::string> done; // a part named twice is read once
    for (const auto& diagram : diagrams) {
        const auto it = relations.byId.find(diagram.dataModelId);
        if (it == relations.byId.end())
            continue;
        const auto name = internalTarget(
            slidePart, *it->second, [](std::string_view type) { return endsWith(type, "/diagramData"); });
        if (!name || !done.insert(*name).second)
            continue;
        piece(*name, [&] {
            if (const auto data = ReadXmlPart(zip, *name, rules(PackagePartRules())))
                appendTextElements(data->tree, "t", {}, TextPlace::Diagram, diagram.name, add);
        });
    }
}

std::optional<std::string> ChartPartOf(const std::string& slidePart, const PartRelations& relations,
                                       std::string_view id) {
    const auto it = relations.byId.find(id);
    if (it == relations.byId.end())
        return std::nullopt;
    // The newer chart parts (sunburst, waterfall, funnel and the like) have
    // a relationship type of their own.
    return internalTarget(slidePart, *it->second, [](std::string_view type) {
        return IsRelationshipType(type, "chart") ||
               type == "http://schemas.microsoft.com/office/2014/relationships/chartEx";
    });
}

void AppendChartTexts(ZipPackage& zip, const std::string& chartPart, const std::string& frameName,
                      const XmlRules& rules, const PlacedTextSink& add) {
    const auto chart = ReadXmlPart(zip, chartPart, rules);
    if (!chart)
        return;
    const XmlTree& xml = chart->tree;
    std::unordered_set<std::string> done;
    const auto once = [&](std::string text) {
        if (!text.empty() && done.insert(text).second)
            add(TextPlace::Chart, frameName, std::move(text));
    };
    // Titles: rich text, or a reference's cached value.
    forEachElement(xml, xml.root(), "title", [&](XmlTree::Id title) {
        std::string text;
        forEachElement(xml, title, "rich", [&](XmlTree::Id rich) { text += TextBodyText(xml, rich); });
        if (text.empty())
            forEachValue(xml, title, [&](std::string value) { text += value; });
        once(std::move(text));
    });
    // Category labels as text (numbers and dates are left alone), then the
    // series names. A newer chart part keeps its labels as the points of a
    // string dimension of the categories, and its series as cx:series.
    forEachElement(xml, xml.root(), "cat", [&](XmlTree::Id categories) {
        for (const std::string_view kind : {"strRef", "strLit", "multiLvlStrRef"})
            forEachElement(xml, categories, kind, [&](XmlTree::Id list) { forEachValue(xml, list, once); });
    });
    forEachElement(xml, xml.root(), "strDim", [&](XmlTree::Id dimension) {
        if (xml.attributeNamed(dimension, "type").text == "cat")
            forEachElement(xml, dimension, "pt", [&](XmlTree::Id point) {
                std::string text;
                AppendText(xml, point, text);
                once(std::move(text));
            });
    });
    for (const std::string_view local : {"ser", "series"})
        forEachElement(xml, xml.root(), local, [&](XmlTree::Id series) {
            for (auto child = xml.firstChild(series); child != XmlTree::kNone; child = xml.nextSibling(child))
                if (!xml.isText(child) && xml.local(child) == "tx")
                    forEachValue(xml, child, once);
        });
}

void AppendEmbeddedParts(const std::string& pagePart, const PartRelations& relations,
                         std::vector<std::string>& parts) {
    for (const auto& r : relations.list)
        if (auto name = internalTarget(
                pagePart, r, [](std::string_view type) { return IsRelationshipType(type, "package"); }))
            parts.push_back(std::move(*name));
}

std::optional<std::string> NotesPartOf(const std::string& slidePart, const PartRelations& relations) {
    for (const auto& r : relations.list)
        if (auto name = internalTarget(
                slidePart, r, [](std::string_view type) { return IsRelationshipType(type, "notesSlide"); }))
            return name;
    return std::nullopt;
}

void AppendCommentTexts(ZipPackage& zip, const std::string& slidePart, const PartRelations& relations,
                        const PlacedTextSink& add, const PieceReader& piece, const PieceRules& rules) {
    std::unordered_set<std::string> done;
    for (const auto& r : relations.list) {
        // The older list and the current threaded comments share the last
        // segment of their relationship types.
        const auto name = internalTarget(
            slidePart, r, [](std::string_view type) { return endsWith(type, "/relationships/comments"); });
        if (!name || !done.insert(*name).second)
            continue;
        piece(*name, [&] {
            if (const auto comments = ReadXmlPart(zip, *name, rules(PackagePartRules())))
                appendTextElements(comments->tree, "txBody", "text", TextPlace::Comment, {}, add);
        });
    }
}

void AppendLinkTexts(const XmlPart& slide, const PartRelations& relations, const PlacedTextSink& add) {
    if (relations.list.empty())
        return;
    std::unordered_set<std::string_view> done; // each link once, however often it is used
    const XmlTree& xml = slide.tree;
    for (auto node = xml.root(); node < xml.subtreeEnd(xml.root()); ++node) {
        if (xml.isText(node) || !xml.local(node).starts_with("hlink"))
            continue;
        for (std::uint32_t i = 0; i < xml.attributeCount(node); ++i) {
            const auto attribute = xml.attributeAt(node, i);
            if (attribute.local != "id" || !done.insert(attribute.value).second)
                continue;
            if (auto address = MailtoLinkAddress(relations, attribute.value))
                add(TextPlace::Link, {}, std::move(*address));
        }
    }
}

} // namespace orv::ooxml
