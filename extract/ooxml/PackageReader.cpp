#include "extract/ooxml/PackageReader.h"

#include "base/SafeText.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/XmlPart.h"
#include "extract/common/ZipPackage.h"
#include "extract/ooxml/AllTextParts.h"
#include "extract/ooxml/PackageParts.h"
#include "extract/ooxml/TextBody.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace orv::ooxml {

namespace {

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return out;
}

// The file types of the format, and the content type each gives its main
// part (in lower case, as they are compared).
constexpr std::string_view kExtensions[] = {"pptx", "pptm", "ppsx", "ppsm", "potx", "potm"};
constexpr std::string_view kMimeTypes[] = {
    "application/vnd.openxmlformats-officedocument.presentationml.presentation",
    "application/vnd.ms-powerpoint.presentation.macroEnabled.12",
    "application/vnd.openxmlformats-officedocument.presentationml.slideshow",
    "application/vnd.ms-powerpoint.slideshow.macroEnabled.12",
    "application/vnd.openxmlformats-officedocument.presentationml.template",
    "application/vnd.ms-powerpoint.template.macroEnabled.12",
};
constexpr std::string_view kMainContentTypes[] = {
    "application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml",
    "application/vnd.ms-powerpoint.presentation.macroenabled.main+xml",
    "application/vnd.openxmlformats-officedocument.presentationml.slideshow.main+xml",
    "application/vnd.ms-powerpoint.slideshow.macroenabled.main+xml",
    "application/vnd.openxmlformats-officedocument.presentationml.template.main+xml",
    "application/vnd.ms-powerpoint.template.macroenabled.main+xml",
};

// What no walk of a slide or notes page reads: first shape, picture and
// group properties, text body properties, styles, and the slide's colour
// map, transition and timing, none of which can hold a link's reference;
// then what only the default walk passes over, reading the shapes' text and
// names alone: run, paragraph and list properties (where links' references
// may stand), extensions, and what graphic frames show.
constexpr SkippedElement kShapeTreeSkip[] = {
    {Ns::Presentation, "spPr"},
    {Ns::Presentation, "grpSpPr"},
    {Ns::Presentation, "style"},
    {Ns::Presentation, "cNvSpPr"},
    {Ns::Presentation, "cNvGrpSpPr"},
    {Ns::Presentation, "cNvCxnSpPr"},
    {Ns::Presentation, "cNvPicPr"},
    {Ns::Presentation, "nvPr"},
    {Ns::Presentation, "cNvGraphicFramePr"},
    {Ns::Presentation, "blipFill"},
    {Ns::Presentation, "clrMapOvr"},
    {Ns::Presentation, "transition"},
    {Ns::Presentation, "timing"},
    {Ns::Drawing, "bodyPr"},
    {Ns::Drawing, "rPr"},
    {Ns::Drawing, "endParaRPr"},
    {Ns::Drawing, "pPr"},
    {Ns::Drawing, "lstStyle"},
    {Ns::Presentation, "extLst"},
    {Ns::Drawing, "extLst"},
    {Ns::Drawing, "graphic"},
};
constexpr std::size_t kAllTextSkips = 14; // the first ones

XmlRules shapeTreeRules(bool allText) {
    XmlRules rules = PackagePartRules();
    rules.skip = std::span(kShapeTreeSkip).first(allText ? kAllTextSkips : std::size(kShapeTreeSkip));
    return rules;
}

enum class MainKind { Presentation, WordProcessing, Spreadsheet, Unknown };

MainKind kindOfContentType(std::string_view contentType) {
    const std::string type = lowerAscii(contentType);
    if (std::find(std::begin(kMainContentTypes), std::end(kMainContentTypes), type) !=
        std::end(kMainContentTypes))
        return MainKind::Presentation;
    if (type.find("wordprocessingml") != std::string::npos || type.find("ms-word") != std::string::npos)
        return MainKind::WordProcessing;
    if (type.find("spreadsheetml") != std::string::npos || type.find("ms-excel") != std::string::npos)
        return MainKind::Spreadsheet;
    return MainKind::Unknown;
}

// The name a shape's non-visual properties give it (cNvPr inside nvSpPr,
// nvGrpSpPr, nvGraphicFramePr and so on); empty when none.
std::string shapeName(const XmlTree& xml, XmlTree::Id shape) {
    for (auto child = xml.firstChild(shape); child != XmlTree::kNone; child = xml.nextSibling(child)) {
        if (xml.isText(child) || !xml.local(child).starts_with("nv"))
            continue;
        for (auto props = xml.firstChild(child); props != XmlTree::kNone; props = xml.nextSibling(props))
            if (!xml.isText(props) && xml.local(props) == "cNvPr")
                return std::string(xml.attributeNamed(props, "name").text);
        break;
    }
    return {};
}

// The text of an auto shape: its p:txBody.
std::string shapeText(const XmlTree& xml, XmlTree::Id shape) {
    const auto body = ChildElement(xml, shape, Ns::Presentation, "txBody");
    return body != XmlTree::kNone ? TextBodyText(xml, body) : std::string();
}

// One walk over a shape tree. The top-level shapes of a slide always become
// its shapes. In the "all text" mode every text also goes, in z-order, to the
// slide's texts: groups are entered where they stand, tables give their cells
// row by row, and the diagrams met are noted for later.
struct ShapeWalk {
    const XmlPart& part;
    SlideContent& slide;
    ShapeBudget& budget;
    bool allText = false;
    bool notesPage = false; // every text then counts as notes, none as a shape
    std::vector<DiagramReference> diagrams;

    void place(TextPlace where, std::string name, std::string text) {
        PlaceText(slide, budget, notesPage, where, std::move(name), std::move(text));
    }
    // A piece of the shape tree only this mode reads, named after the part
    // it stands in: "ppt/slides/slide1.xml, groups". A group inside one is
    // part of it.
    template <class Read> void piece(std::string_view what, Read&& read) {
        pieces.read(slide, part.name + std::string(what), std::forward<Read>(read));
    }
    AllTextPieces pieces;
};

// The child elements of `parent` named `local` (any namespace), each checked
// for its declarations as the walk enters it.
template <typename Visit>
void forEachNamed(const XmlTree& xml, XmlTree::Id parent, std::string_view local, Visit&& visit) {
    for (auto child = xml.firstChild(parent); child != XmlTree::kNone; child = xml.nextSibling(child)) {
        if (xml.isText(child) || xml.local(child) != local)
            continue;
        RequireDeclarationsInLimit(xml, child);
        visit(child);
    }
}

// The cells of a table, row by row, and the data-model reference of a
// diagram, from a graphic frame's a:graphicData.
void readGraphicFrame(const XmlTree& xml, XmlTree::Id frame, const std::string& name, ShapeWalk& walk) {
    const auto graphic = ChildElement(xml, frame, Ns::Drawing, "graphic");
    if (graphic == XmlTree::kNone)
        return;
    const auto data = ChildElement(xml, graphic, Ns::Drawing, "graphicData");
    if (data == XmlTree::kNone)
        return;
    for (auto child = xml.firstChild(data); child != XmlTree::kNone; child = xml.nextSibling(child)) {
        if (xml.isText(child))
            continue;
        RequireDeclarationsInLimit(xml, child);
        const auto local = xml.local(child);
        if (local == "tbl") {
            forEachNamed(xml, child, "tr", [&](XmlTree::Id row) {
                forEachNamed(xml, row, "tc", [&](XmlTree::Id cell) {
                    if (const auto body = ChildElement(xml, cell, Ns::Drawing, "txBody");
                        body != XmlTree::kNone)
                        walk.place(TextPlace::Table, name, TextBodyText(xml, body));
                });
            });
        } else if (local == "relIds") {
            if (const auto id = xml.attribute(child, Ns::Relationships, "dm"); id.found && !id.text.empty())
                walk.diagrams.push_back({std::string(id.text), name});
        }
    }
}

// The shapes of a shape tree, in document order. Only auto shapes (text boxes
// and placeholders among them) have a text frame; groups, graphic frames
// (tables, charts, diagrams), pictures, connectors and content parts do not.
// `groupDepth` counts the groups entered (all-text mode only); only shapes at
// depth 0 are the slide's shapes.
void collectShapes(const XmlTree& xml, XmlTree::Id container, int depth, int groupDepth, ShapeWalk& walk) {
    const bool topLevel = groupDepth == 0 && !walk.notesPage;
    for (auto child = xml.firstChild(container); child != XmlTree::kNone; child = xml.nextSibling(child)) {
        if (xml.isText(child))
            continue;
        const auto local = xml.local(child);
        const bool autoShape = local == "sp";
        const bool otherShape = local == "grpSp" || local == "graphicFrame" || local == "pic" ||
                                local == "cxnSp" || local == "contentPart";
        const bool alternate = local == "AlternateContent";
        if (!autoShape && !otherShape && !alternate)
            continue;
        RequireDeclarationsInLimit(xml, child);
        const Ns ns = xml.ns(child);
        if (autoShape && ns == Ns::Presentation) {
            std::string text = shapeText(xml, child);
            std::string name = shapeName(xml, child);
            walk.budget.addShape(text.size(), xml.site(child));
            if (walk.allText)
                walk.place(topLevel ? TextPlace::Shape : TextPlace::Group, name, text);
            if (topLevel)
                walk.slide.shapes.push_back({true, std::move(text), std::move(name)});
        } else if (otherShape && ns == Ns::Presentation) {
            walk.budget.addShape(0, xml.site(child));
            std::string name = shapeName(xml, child);
            if (walk.allText && local == "grpSp") {
                // What a group holds is read in this mode only: a group past
                // the bound, or one whose shapes overrun a limit, is skipped.
                walk.piece(", groups", [&] {
                    if (groupDepth >= limits::kMaxGroupDepth)
                        ThrowDamaged("the part " + FileText(walk.part.name) + " nests groups more than " +
                                         std::to_string(limits::kMaxGroupDepth) + " deep",
                                     walk.part.name);
                    collectShapes(xml, child, depth, groupDepth + 1, walk);
                });
            } else if (walk.allText && local == "graphicFrame") {
                walk.piece(", tables", [&] { readGraphicFrame(xml, child, name, walk); });
            }
            if (topLevel)
                walk.slide.shapes.push_back({false, {}, std::move(name)});
        } else if (alternate && ns == Ns::MarkupCompatibility) {
            if (depth >= kMaxAlternateContentDepth)
                ThrowDamaged("a shape in the part " + FileText(walk.part.name) +
                                 " is wrapped in alternate content nested too deeply",
                             walk.part.name);
            if (const auto branch = SelectAlternateBranch(xml, child); branch != XmlTree::kNone)
                collectShapes(xml, branch, depth + 1, groupDepth, walk);
        }
    }
}

// The shape tree of a slide (p:sld) or notes page (p:notes); `rootName` is
// the root element's expected local name, `listedAs` ends the refusal of a
// part whose root is another ("slide 3, is not a slide").
void readShapeTree(const XmlPart& part, std::string_view rootName, const std::string& listedAs,
                   ShapeWalk& walk) {
    const XmlTree& xml = part.tree;
    const auto root = xml.root();
    RequireDeclarationsInLimit(xml, root);
    if (xml.ns(root) != Ns::Presentation || xml.local(root) != rootName)
        ThrowDamaged("the part " + FileText(part.name) + ", listed as " + listedAs, part.name);
    const auto common = ChildElement(xml, root, Ns::Presentation, "cSld");
    if (common == XmlTree::kNone)
        return;
    const auto tree = ChildElement(xml, common, Ns::Presentation, "spTree");
    if (tree == XmlTree::kNone)
        return;
    collectShapes(xml, tree, 0, 0, walk);
}

SlideContent readSlide(ZipPackage& zip, const XmlPart& part, std::size_t number, ShapeBudget& budget,
                       bool allText) {
    SlideContent slide;
    ShapeWalk walk{part, slide, budget, allText, false, {}, {}};
    const std::string slideNumber = std::to_string(number);
    readShapeTree(part, "sld", "slide " + slideNumber + ", is not a slide", walk);
    if (!allText)
        return slide;
    slide.allTextRead = true;
    // What only this mode reads fails alone: each part is skipped and named
    // when it cannot be read, and the rest is read.
    const PieceReader piece = [&](const std::string& name, const std::function<void()>& read) {
        ReadAllTextPiece(slide, name, read);
    };
    SlideRelations relations;
    piece(RelationshipsPartName(part.name), [&] { relations = ReadSlideRelations(zip, part.name); });
    const auto add = [&](TextPlace where, std::string name, std::string text) {
        walk.place(where, std::move(name), std::move(text));
    };
    AppendDiagramTexts(zip, part.name, relations, walk.diagrams, add, piece);
    if (const auto notesName = NotesPartOf(part.name, relations)) {
        piece(*notesName, [&] {
            if (const auto notes = ReadXmlPart(zip, *notesName, shapeTreeRules(true))) {
                walk.notesPage = true;
                readShapeTree(*notes, "notes", "the notes page of slide " + slideNumber + ", is not one",
                              walk);
            }
        });
        walk.notesPage = false;
    }
    AppendCommentTexts(zip, part.name, relations, add, piece);
    piece(part.name + ", links", [&] { AppendLinkTexts(part, relations, add); });
    return slide;
}

// A package held open: the slide list is resolved when opening, each slide's
// part is inflated, parsed, read and dropped when the slide is asked for.
class PackageDocument final : public PresentationDocument {
public:
    PackageDocument(std::unique_ptr<ByteSource> source, std::unique_ptr<ZipPackage> zip, ReadOptions options)
        : m_source(std::move(source)), m_ownedZip(std::move(zip)), m_zip(*m_ownedZip), m_options(options) {
        listSlides();
    }

    std::size_t slideCount() const override { return m_slides.size(); }

    SlideContent readSlide(std::size_t index) override {
        const std::string& name = m_slides.at(index);
        const auto part = ReadXmlPart(m_zip, name, shapeTreeRules(m_options.allText));
        if (!part)
            ThrowDamaged("the slide part " + FileText(name) + " is missing", name);
        m_budget.nextSlide();
        return ooxml::readSlide(m_zip, *part, index + 1, m_budget, m_options.allText);
    }

private:
    void listSlides() {
        const std::string mainName = mainPartName();
        const bool typedAsPresentation = checkContentType(mainName);
        std::vector<std::string> ids;
        {
            const auto main = ReadXmlPart(m_zip, mainName);
            if (!main)
                ThrowDamaged("its main part " + FileText(mainName) + " is missing", mainName);
            ids = slideRelationshipIds(*main, typedAsPresentation);
        }
        if (ids.empty())
            return; // no slides: the relationships are not needed
        const std::string relsName = RelationshipsPartName(mainName);
        const auto rels = ReadXmlPart(m_zip, relsName);
        if (!rels)
            ThrowDamaged("the relationships of its main part (" + FileText(relsName) + ") are missing",
                         relsName);
        const auto relationships = ParseRelationships(*rels);
        std::unordered_map<std::string_view, const Relationship*> byId;
        for (const auto& r : relationships)
            byId.emplace(r.id, &r);
        std::unordered_set<std::string> seen;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            const auto number = std::to_string(i + 1);
            const auto it = byId.find(ids[i]);
            if (it == byId.end())
                ThrowDamaged("slide " + number + " refers to the relationship " + FileText(ids[i]) +
                                 ", which " + FileText(relsName) + " does not hold",
                             relsName);
            if (it->second->external)
                ThrowDamaged("slide " + number + " points outside the package", relsName);
            const auto name = ResolvePartName(mainName, it->second->target);
            if (!name)
                ThrowDamaged("slide " + number + " points at \"" + FileText(it->second->target) +
                                 "\", which names no part",
                             relsName);
            // A part listed twice would be read twice; a hostile list could
            // repeat one large slide without end.
            if (!seen.insert(lowerAscii(*name)).second)
                ThrowDamaged("the slide list names the part " + FileText(*name) + " more than once",
                             mainName);
            // Found now, so that a package missing a slide is refused before
            // any of its slides is read.
            if (!FindPart(m_zip, *name))
                ThrowDamaged("the slide part " + FileText(*name) + " is missing", *name);
            m_slides.push_back(*name);
        }
    }

    // The main document, found through the package's root relationships,
    // never by its name.
    std::string mainPartName() {
        const auto rootRels = ReadXmlPart(m_zip, "_rels/.rels");
        if (!rootRels) {
            if (m_zip.entryCount() == 0)
                ThrowNotPresentation("it is an empty zip archive");
            ThrowNotPresentation("it is a zip archive that holds no office document");
        }
        for (const auto& r : ParseRelationships(*rootRels)) {
            if (r.external || !IsRelationshipType(r.type, "officeDocument"))
                continue;
            const auto name = ResolvePartName("", r.target);
            if (!name)
                ThrowDamaged("its main document reference \"" + FileText(r.target) + "\" names no part",
                             "_rels/.rels");
            return *name;
        }
        ThrowNotPresentation("the package names no main document");
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
            ThrowNotPresentation("it is a word-processing document");
        case MainKind::Spreadsheet:
            ThrowNotPresentation("it is a spreadsheet");
        case MainKind::Unknown:
            break;
        }
        return false;
    }

    std::vector<std::string> slideRelationshipIds(const XmlPart& main, bool typedAsPresentation) {
        const XmlTree& xml = main.tree;
        const auto root = xml.root();
        RequireDeclarationsInLimit(xml, root);
        if (xml.ns(root) != Ns::Presentation || xml.local(root) != "presentation") {
            if (typedAsPresentation)
                ThrowDamaged("its main part " + FileText(main.name) + " holds no presentation", main.name);
            ThrowNotPresentation("its main document is no presentation");
        }
        std::vector<std::string> ids;
        const auto list = ChildElement(xml, root, Ns::Presentation, "sldIdLst");
        if (list == XmlTree::kNone)
            return ids;
        for (auto entry = xml.firstChild(list); entry != XmlTree::kNone; entry = xml.nextSibling(entry)) {
            if (xml.isText(entry))
                continue;
            RequireDeclarationsInLimit(xml, entry);
            if (xml.ns(entry) != Ns::Presentation || xml.local(entry) != "sldId")
                continue;
            const auto id = xml.attribute(entry, Ns::Relationships, "id");
            if (!id.found || id.text.empty())
                ThrowDamaged("slide " + std::to_string(ids.size() + 1) + " in the slide list of " +
                                 FileText(main.name) + " has no relationship id",
                             main.name);
            if (ids.size() == limits::kMaxSlides)
                ThrowOverLimit("its slide list names more than " + std::to_string(limits::kMaxSlides) +
                                   " slides",
                               main.name);
            ids.emplace_back(id.text);
        }
        return ids;
    }

    std::unique_ptr<ByteSource> m_source;
    std::unique_ptr<ZipPackage> m_ownedZip;
    ZipPackage& m_zip;
    ReadOptions m_options;
    std::vector<std::string> m_slides; // part names in presentation order
    ShapeBudget m_budget;
};

// Every zip container, for want of a better reader.
int bid(FormatProbe& probe) {
    return probe.zip() != nullptr ? 1 : 0;
}

std::unique_ptr<PresentationDocument> open(FormatProbe& probe, ReadOptions options) {
    auto zip = probe.takeZip();
    return std::make_unique<PackageDocument>(probe.takeSource(), std::move(zip), options);
}

} // namespace

const PresentationFormat kFormat{
    "presentation package", "presentation package", kExtensions, kMimeTypes, bid, open};

} // namespace orv::ooxml
