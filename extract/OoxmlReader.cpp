#include "extract/OoxmlReader.h"

#include "extract/OoxmlParts.h"
#include "extract/OoxmlXml.h"
#include "extract/ReadLimits.h"
#include "extract/ZipPackage.h"
#include "shell/Failure.h"
#include "shell/SafeText.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace orv {

namespace {

// Alternate content may nest; real files nest it once. The bound keeps a
// hostile slide from driving the walk arbitrarily deep.
constexpr int kMaxAlternateContentDepth = 8;

[[noreturn]] void throwDamaged(const std::string& why) {
    throw Failure("The presentation is damaged: " + why + ".");
}

[[noreturn]] void throwNotPresentation(const std::string& what) {
    throw Failure("The file is not a presentation: " + what + ".");
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return out;
}

enum class MainKind { Presentation, WordProcessing, Spreadsheet, Unknown };

MainKind kindOfContentType(std::string_view contentType) {
    const std::string type = lowerAscii(contentType);
    static constexpr std::string_view presentations[] = {
        "application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml",
        "application/vnd.openxmlformats-officedocument.presentationml.slideshow.main+xml",
        "application/vnd.openxmlformats-officedocument.presentationml.template.main+xml",
        "application/vnd.ms-powerpoint.presentation.macroenabled.main+xml",
        "application/vnd.ms-powerpoint.slideshow.macroenabled.main+xml",
        "application/vnd.ms-powerpoint.template.macroenabled.main+xml",
    };
    if (std::find(std::begin(presentations), std::end(presentations), type) != std::end(presentations))
        return MainKind::Presentation;
    if (type.find("wordprocessingml") != std::string::npos || type.find("ms-word") != std::string::npos)
        return MainKind::WordProcessing;
    if (type.find("spreadsheetml") != std::string::npos || type.find("ms-excel") != std::string::npos)
        return MainKind::Spreadsheet;
    return MainKind::Unknown;
}

// Markup-compatibility rule, as the presentation application applies it: a
// Choice is taken when every prefix in its Requires list names a vocabulary it
// understands (PresentationML, DrawingML, relationships, markup compatibility,
// and the Office extension namespaces such as p14 or a14); the first such
// Choice wins, then the Fallback, else the content stands for nothing. Each
// prefix costs one look-up in the scope's table.
pugi::xml_node selectBranch(pugi::xml_node alternate, const NsScope& alternateScope) {
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
            if (const auto branch = selectBranch(child, *scope)) {
                const ChildScope branchScope(*scope, branch);
                appendParagraph(branch, *branchScope, depth + 1, out);
            }
        }
    }
}

// The whole text of an auto shape: its paragraphs joined with CR.
std::string shapeText(pugi::xml_node shape, const NsScope& shapeScope) {
    std::string text;
    const auto body = ChildElement(shape, shapeScope, Ns::Presentation, "txBody");
    if (!body)
        return text;
    const ChildScope bodyScope(shapeScope, body);
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

// The top-level shapes of a shape tree, in document order. Only auto shapes
// (text boxes and placeholders among them) have a text frame; groups, graphic
// frames (tables, charts, diagrams), pictures, connectors and content parts
// do not, and what they hold is not visited.
void collectShapes(pugi::xml_node container, const NsScope& containerScope, int depth, const XmlPart& part,
                   SlideContent& slide, ShapeBudget& budget) {
    for (auto child = container.first_child(); child; child = child.next_sibling()) {
        const auto [prefix, local] = SplitQualifiedName(child.name());
        const bool autoShape = local == "sp";
        const bool otherShape = local == "grpSp" || local == "graphicFrame" || local == "pic" ||
                                local == "cxnSp" || local == "contentPart";
        const bool alternate = local == "AlternateContent";
        if (!autoShape && !otherShape && !alternate)
            continue;
        const ChildScope scope(containerScope, child);
        const Ns ns = scope->resolve(prefix);
        if (autoShape && ns == Ns::Presentation) {
            std::string text = shapeText(child, *scope);
            budget.addShape(text.size());
            slide.shapes.push_back({true, std::move(text)});
        } else if (otherShape && ns == Ns::Presentation) {
            budget.addShape(0);
            slide.shapes.push_back({false, {}});
        } else if (alternate && ns == Ns::MarkupCompatibility) {
            if (depth >= kMaxAlternateContentDepth)
                throwDamaged("a shape in the part " + FileText(part.name) +
                             " is wrapped in alternate content nested too deeply");
            if (const auto branch = selectBranch(child, *scope)) {
                const ChildScope branchScope(*scope, branch);
                collectShapes(branch, *branchScope, depth + 1, part, slide, budget);
            }
        }
    }
}

SlideContent readSlide(const XmlPart& part, std::size_t number, ShapeBudget& budget) {
    const auto root = part.root();
    const NsScope rootScope(nullptr, root);
    std::string_view local;
    if (rootScope.nameOfSelf(root, local) != Ns::Presentation || local != "sld")
        throwDamaged("the part " + FileText(part.name) + ", listed as slide " + std::to_string(number) +
                     ", is not a slide");
    SlideContent slide;
    const auto common = ChildElement(root, rootScope, Ns::Presentation, "cSld");
    if (!common)
        return slide;
    const ChildScope commonScope(rootScope, common);
    const auto tree = ChildElement(common, *commonScope, Ns::Presentation, "spTree");
    if (!tree)
        return slide;
    const ChildScope treeScope(*commonScope, tree);
    collectShapes(tree, *treeScope, 0, part, slide, budget);
    return slide;
}

// A package held open: the slide list is resolved when opening, each slide's
// part is inflated, parsed, read and dropped when the slide is asked for.
class PackageDocument final : public PresentationDocument {
public:
    PackageDocument(std::unique_ptr<ByteSource> source, std::unique_ptr<ZipPackage> zip)
        : m_source(std::move(source)), m_ownedZip(std::move(zip)), m_zip(*m_ownedZip) {
        listSlides();
    }

    std::size_t slideCount() const override { return m_slides.size(); }

    SlideContent readSlide(std::size_t index) override {
        const std::string& name = m_slides.at(index);
        const auto part = ReadXmlPart(m_zip, name);
        if (!part)
            throwDamaged("the slide part " + FileText(name) + " is missing");
        m_budget.nextSlide();
        return orv::readSlide(*part, index + 1, m_budget);
    }

private:
    void listSlides() {
        const std::string mainName = mainPartName();
        const bool typedAsPresentation = checkContentType(mainName);
        std::vector<std::string> ids;
        {
            const auto main = ReadXmlPart(m_zip, mainName);
            if (!main)
                throwDamaged("its main part " + FileText(mainName) + " is missing");
            ids = slideRelationshipIds(*main, typedAsPresentation);
        }
        if (ids.empty())
            return; // no slides: the relationships are not needed
        const std::string relsName = RelationshipsPartName(mainName);
        const auto rels = ReadXmlPart(m_zip, relsName);
        if (!rels)
            throwDamaged("the relationships of its main part (" + FileText(relsName) + ") are missing");
        const auto relationships = ParseRelationships(*rels);
        std::unordered_map<std::string_view, const Relationship*> byId;
        for (const auto& r : relationships)
            byId.emplace(r.id, &r);
        std::unordered_set<std::string> seen;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            const auto number = std::to_string(i + 1);
            const auto it = byId.find(ids[i]);
            if (it == byId.end())
                throwDamaged("slide " + number + " refers to the relationship " + FileText(ids[i]) +
                             ", which " + FileText(relsName) + " does not hold");
            if (it->second->external)
                throwDamaged("slide " + number + " points outside the package");
            const auto name = ResolvePartName(mainName, it->second->target);
            if (!name)
                throwDamaged("slide " + number + " points at \"" + FileText(it->second->target) +
                             "\", which names no part");
            // A part listed twice would be read twice; a hostile list could
            // repeat one large slide without end.
            if (!seen.insert(lowerAscii(*name)).second)
                throwDamaged("the slide list names the part " + FileText(*name) + " more than once");
            // Found now, so that a package missing a slide is refused before
            // any of its slides is read.
            if (!FindPart(m_zip, *name))
                throwDamaged("the slide part " + FileText(*name) + " is missing");
            m_slides.push_back(*name);
        }
    }

    // The main document, found through the package's root relationships,
    // never by its name.
    std::string mainPartName() {
        const auto rootRels = ReadXmlPart(m_zip, "_rels/.rels");
        if (!rootRels) {
            if (m_zip.entryCount() == 0)
                throwNotPresentation("it is an empty zip archive");
            throwNotPresentation("it is a zip archive that holds no office document");
        }
        for (const auto& r : ParseRelationships(*rootRels)) {
            if (r.external || !IsRelationshipType(r.type, "officeDocument"))
                continue;
            const auto name = ResolvePartName("", r.target);
            if (!name)
                throwDamaged("its main document reference \"" + FileText(r.target) + "\" names no part");
            return *name;
        }
        throwNotPresentation("the package names no main document");
    }

    // Refuses a package whose main document is declared as a text document or
    // a spreadsheet, without reading it. True when it is declared a
    // presentation; an unlisted or generic type leaves the decision to the
    // main part's root element.
    bool checkContentType(const std::string& mainName) {
        const auto types = ReadXmlPart(m_zip, "[Content_Types].xml");
        if (!types)
            return false;
        const auto type = ContentTypeOf(*types, mainName);
        if (!type)
            return false;
        switch (kindOfContentType(*type)) {
        case MainKind::Presentation:
            return true;
        case MainKind::WordProcessing:
            throwNotPresentation("it is a word-processing document");
        case MainKind::Spreadsheet:
            throwNotPresentation("it is a spreadsheet");
        case MainKind::Unknown:
            break;
        }
        return false;
    }

    std::vector<std::string> slideRelationshipIds(const XmlPart& main, bool typedAsPresentation) {
        const auto root = main.root();
        const NsScope rootScope(nullptr, root);
        std::string_view local;
        if (rootScope.nameOfSelf(root, local) != Ns::Presentation || local != "presentation") {
            if (typedAsPresentation)
                throwDamaged("its main part " + FileText(main.name) + " holds no presentation");
            throwNotPresentation("its main document is no presentation");
        }
        std::vector<std::string> ids;
        const auto list = ChildElement(root, rootScope, Ns::Presentation, "sldIdLst");
        if (!list)
            return ids;
        const NsScope listScope(&rootScope, list);
        for (auto entry = list.first_child(); entry; entry = entry.next_sibling()) {
            if (entry.type() != pugi::node_element)
                continue;
            const NsScope scope(&listScope, entry); // also the scope of its r:id
            std::string_view entryLocal;
            if (scope.nameOfSelf(entry, entryLocal) != Ns::Presentation || entryLocal != "sldId")
                continue;
            const char* id = scope.attribute(entry, Ns::Relationships, "id");
            if (id == nullptr || *id == '\0')
                throwDamaged("slide " + std::to_string(ids.size() + 1) + " in the slide list of " +
                             FileText(main.name) + " has no relationship id");
            if (ids.size() == limits::kMaxSlides)
                throw Failure(
                    "The presentation is too large to read safely: its slide list names more than " +
                    std::to_string(limits::kMaxSlides) + " slides.");
            ids.emplace_back(id);
        }
        return ids;
    }

    std::unique_ptr<ByteSource> m_source;
    std::unique_ptr<ZipPackage> m_ownedZip;
    ZipPackage& m_zip;
    std::vector<std::string> m_slides; // part names in presentation order
    ShapeBudget m_budget;
};

} // namespace

std::unique_ptr<PresentationDocument> OpenOoxmlPresentation(std::unique_ptr<ByteSource> source) {
    auto zip = std::make_unique<ZipPackage>(*source);
    return OpenOoxmlPresentation(std::move(source), std::move(zip));
}

std::unique_ptr<PresentationDocument> OpenOoxmlPresentation(std::unique_ptr<ByteSource> source,
                                                            std::unique_ptr<ZipPackage> zip) {
    return std::make_unique<PackageDocument>(std::move(source), std::move(zip));
}

} // namespace orv
