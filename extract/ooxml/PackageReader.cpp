#include "extract/ooxml/PackageReader.h"

#include "base/SafeText.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/XmlPart.h"
#include "extract/common/ZipPackage.h"
#include "extract/model/PresentationDocument.h"
#include "extract/model/ZipPictures.h"
#include "extract/ooxml/AllTextParts.h"
#include "extract/ooxml/PackageParts.h"
#include "extract/ooxml/TextBody.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace orv::ooxml {

namespace {

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

// What no walk of a page reads: first shape and picture properties (where
// picture fills and pictures stand, read when pictures are: then the
// geometry inside them is passed over instead), group properties, text body
// properties, styles, the slide's colour map, transition and timing,
// paragraph and list properties, the properties of a paragraph's end and
// extensions, none of which holds text, alternative text or a link of any
// run; then what only the default walk passes over, reading the shapes' text
// and names alone: run properties (where links' references stand) and what
// graphic frames show.
constexpr SkippedElement kShapeTreeSkip[] = {
    {Ns::Presentation, "spPr"},
    {Ns::Presentation, "blipFill"},
    {Ns::Drawing, "xfrm"},
    {Ns::Drawing, "prstGeom"},
    {Ns::Drawing, "custGeom"},
    {Ns::Drawing, "ln"},
    {Ns::Presentation, "grpSpPr"},
    {Ns::Presentation, "style"},
    {Ns::Presentation, "cNvSpPr"},
    {Ns::Presentation, "cNvGrpSpPr"},
    {Ns::Presentation, "cNvCxnSpPr"},
    {Ns::Presentation, "cNvPicPr"},
    {Ns::Presentation, "nvPr"},
    {Ns::Presentation, "cNvGraphicFramePr"},
    {Ns::Presentation, "clrMapOvr"},
    {Ns::Presentation, "transition"},
    {Ns::Presentation, "timing"},
    {Ns::Drawing, "bodyPr"},
    {Ns::Drawing, "endParaRPr"},
    {Ns::Drawing, "pPr"},
    {Ns::Drawing, "lstStyle"},
    {Ns::Presentation, "extLst"},
    {Ns::Drawing, "extLst"},
    {Ns::Drawing, "rPr"},
    {Ns::Drawing, "graphic"},
};
constexpr std::size_t kPictureSkips = 2;     // the first ones, kept when pictures are read
constexpr std::size_t kDefaultOnlySkips = 2; // the last ones

enum class MainKind { Presentation, WordProcessing, Spreadsheet, Unknown };

MainKind kindOfContentType(std::string_view contentType) {
    const std::string type = LowerAscii(contentType);
    if (std::find(std::begin(kMainContentTypes), std::end(kMainContentTypes), type) !=
        std::end(kMainContentTypes))
        return MainKind::Presentation;
    if (type.find("wordprocessingml") != std::string::npos || type.find("ms-word") != std::string::npos)
        return MainKind::WordProcessing;
    if (type.find("spreadsheetml") != std::string::npos || type.find("ms-excel") != std::string::npos)
        return MainKind::Spreadsheet;
    return MainKind::Unknown;
}

// A shape's non-visual properties (cNvPr inside nvSpPr, nvGrpSpPr,
// nvGraphicFramePr and so on), or kNone.
XmlTree::Id nonVisualProperties(const XmlTree& xml, XmlTree::Id shape) {
    for (auto child = xml.firstChild(shape); child != XmlTree::kNone; child = xml.nextSibling(child)) {
        if (xml.isText(child) || !xml.local(child).starts_with("nv"))
            continue;
        for (auto props = xml.firstChild(child); props != XmlTree::kNone; props = xml.nextSibling(props))
            if (!xml.isText(props) && xml.local(props) == "cNvPr")
                return props;
        break;
    }
    return XmlTree::kNone;
}

// The name a shape's non-visual properties give it; empty when none.
std::string shapeName(const XmlTree& xml, XmlTree::Id shape) {
    const auto props = nonVisualProperties(xml, shape);
    return props != XmlTree::kNone ? std::string(xml.attributeNamed(props, "name").text) : std::string();
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
    ZipPackage& zip;
    const XmlPart& part;
    SlideContent& slide;
    ShapeBudget& budget;
    bool allText = false;
    // While a notes page or a master page is walked, its place: every text
    // then counts as that place, none as a shape.
    std::optional<TextPlace> pagePlace;
    const PartRelations* relations = nullptr; // the walked part's, in the "all text" mode
    std::vector<DiagramReference> diagrams;

    void place(TextPlace where, std::string name, std::string text) {
        PlaceText(slide, budget, pagePlace, where, std::move(name), std::move(text));
    }
    // The alternative text of a shape (cNvPr's title, then its description),
    // after all the shape shows: a piece of its own, skipped and named when
    // it overruns the budget.
    void placeAltText(const XmlTree& xml, XmlTree::Id shape, const std::string& name) {
        const auto props = nonVisualProperties(xml, shape);
        if (props == XmlTree::kNone)
            return;
        piece(", alternative text", [&] {
            for (const std::string_view attribute : {"title", "descr"})
                place(TextPlace::Alt, name, std::string(xml.attributeNamed(props, attribute).text));
        });
    }
    // A piece of the shape tree only this mode reads, named after the part
    // it stands in: "ppt/slides/slide1.xml, groups". A group inside one is
    // part of it.
    template <class Read> void piece(std::string_view what, Read&& read) {
        pieces.read(slide, part.name + std::string(what), std::forward<Read>(read));
    }
    AllTextPieces pieces;
    const ReadOptions* options = nullptr; // in the "all text" mode

    // The rules of a part only this mode reads: it is stopped while it is
    // parsed once it holds more text than the page has room for.
    XmlRules pieceRules(XmlRules rules) const { return PartRules(rules, budget, *options); }

    // What reads the pictures, when they are read.
    ZipPictures* pictures = nullptr;
    std::optional<PartRelations> ownRelations; // read for the pictures when the walk has none

    // The text of the picture a:blip `blip` names by r:embed (kNone: none),
    // a part of the package; "" for a linked picture and one whose
    // relationship is missing or points outside the package.
    std::string pictureText(const XmlTree& xml, XmlTree::Id blip) {
        if (blip == XmlTree::kNone)
            return {};
        const auto id = xml.attribute(blip, Ns::Relationships, "embed");
        if (!id.found || id.text.empty())
            return {};
        const PartRelations& partRelations = pictureRelations();
        const auto it = partRelations.byId.find(id.text);
        if (it == partRelations.byId.end() || it->second->external)
            return {};
        const auto target = ResolvePartName(part.name, it->second->target);
        const auto index = target ? FindPart(zip, *target) : std::nullopt;
        return index ? pictures->read(slide, part.name, *index, *target) : std::string();
    }
    // The part's relationships: the walk's, or read when a picture first
    // needs them (named among the skipped parts when they cannot be read).
    const PartRelations& pictureRelations() {
        if (relations)
            return *relations;
        if (!ownRelations) {
            ownRelations.emplace();
            ReadOrSkip(slide.skipped, RelationshipsPartName(part.name),
                       [&] { *ownRelations = ReadPartRelations(zip, part.name); });
        }
        return *ownRelations;
    }
    // A picture's text where it stands in this mode: a top-level one is the
    // slide's shape, counted with it.
    void placePicture(bool topLevel, const std::string& name, const std::string& text) {
        if (topLevel)
            PlaceShapeText(slide, name, text, TextPlace::Picture);
        else
            place(TextPlace::Picture, name, text);
    }
};

// The a:blip of the picture fill `container` (p:spPr) or picture (p:pic)
// holds in its `fillNs`:blipFill, or kNone.
XmlTree::Id blipOf(const XmlTree& xml, XmlTree::Id container, Ns fillNs) {
    const auto fill = ChildElement(xml, container, fillNs, "blipFill");
    return fill == XmlTree::kNone ? fill : ChildElement(xml, fill, Ns::Drawing, "blip");
}

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

// The entries of one of the main part's lists (p:sldIdLst, p:sldMasterIdLst
// and the like): each p:`entryName` child of the root's p:`listName`, in
// order, every element of the list checked for its declarations as it is met.
template <typename Visit>
void forEachListEntry(const XmlTree& xml, std::string_view listName, std::string_view entryName,
                      Visit&& visit) {
    const auto list = ChildElement(xml, xml.root(), Ns::Presentation, listName);
    if (list == XmlTree::kNone)
        return;
    for (auto entry = xml.firstChild(list); entry != XmlTree::kNone; entry = xml.nextSibling(entry)) {
        if (xml.isText(entry))
            continue;
        RequireDeclarationsInLimit(xml, entry);
        if (xml.ns(entry) == Ns::Presentation && xml.local(entry) == entryName)
            visit(entry);
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
        } else if (local == "chart" && walk.relations) {
            // A chart's part stands alone: when it cannot be read it is
            // skipped and named, and the frame's other texts are kept.
            const auto id = xml.attribute(child, Ns::Relationships, "id");
            if (const auto chart =
                    id.found ? ChartPartOf(walk.part.name, *walk.relations, id.text) : std::nullopt)
                ReadAllTextPiece(walk.slide, *chart, [&] {
                    AppendChartTexts(walk.zip, *chart, name, walk.pieceRules(PackagePartRules()),
                                     [&](TextPlace where, std::string n, std::string text) {
                                         walk.place(where, std::move(n), std::move(text));
                                     });
                });
        }
    }
}

// The shapes of a shape tree, in document order. Only auto shapes (text boxes
// and placeholders among them) have a text frame; groups, graphic frames
// (tables, charts, diagrams), pictures, connectors and content parts do not.
// `groupDepth` counts the groups entered (all-text mode only); only shapes at
// depth 0 are the slide's shapes.
void collectShapes(const XmlTree& xml, XmlTree::Id container, int depth, int groupDepth, ShapeWalk& walk) {
    const bool topLevel = groupDepth == 0 && !walk.pagePlace;
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
            walk.budget.countShape(topLevel, text.size(), xml.site(child));
            // A picture fill is read on request and stands right after the
            // shape's own text: in the default walk as one more shape.
            std::optional<std::string> fill;
            if (walk.pictures)
                if (const auto properties = ChildElement(xml, child, Ns::Presentation, "spPr");
                    properties != XmlTree::kNone)
                    if (const auto blip = blipOf(xml, properties, Ns::Drawing); blip != XmlTree::kNone) {
                        fill = walk.pictureText(xml, blip);
                        walk.budget.countShape(topLevel, fill->size(), xml.site(blip));
                    }
            if (walk.allText) {
                if (topLevel)
                    PlaceShapeText(walk.slide, name, text);
                else
                    walk.place(TextPlace::Group, name, text);
                if (fill)
                    walk.placePicture(topLevel, name, *fill);
                walk.placeAltText(xml, child, name);
            }
            if (topLevel) {
                walk.slide.shapes.push_back({true, std::move(text), name});
                if (fill) {
                    walk.slide.shapes.push_back({true, std::move(*fill), std::move(name)});
                    walk.slide.shapes.back().place = TextPlace::Picture;
                }
            }
        } else if (otherShape && ns == Ns::Presentation) {
            // A picture read on request is a shape whose text it shows.
            const bool picture = walk.pictures && local == "pic";
            std::string text = picture ? walk.pictureText(xml, blipOf(xml, child, Ns::Presentation)) : "";
            walk.budget.countShape(topLevel, text.size(), xml.site(child));
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
            if (walk.allText) {
                if (picture)
                    walk.placePicture(topLevel, name, text);
                walk.placeAltText(xml, child, name);
            }
            if (topLevel) {
                walk.slide.shapes.push_back({picture, std::move(text), std::move(name)});
                if (picture)
                    walk.slide.shapes.back().place = TextPlace::Picture;
            }
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
// the root element's expected local name, `listedAs()` makes the end of the
// refusal of a part whose root is another ("slide 3, is not a slide").
template <typename Listing>
void readShapeTree(const XmlPart& part, std::string_view rootName, const Listing& listedAs, ShapeWalk& walk) {
    const XmlTree& xml = part.tree;
    const auto root = xml.root();
    RequireDeclarationsInLimit(xml, root);
    if (xml.ns(root) != Ns::Presentation || xml.local(root) != rootName)
        ThrowDamaged("the part " + FileText(part.name) + ", listed as " + listedAs(), part.name);
    const auto common = ChildElement(xml, root, Ns::Presentation, "cSld");
    if (common == XmlTree::kNone)
        return;
    const auto tree = ChildElement(xml, common, Ns::Presentation, "spTree");
    if (tree == XmlTree::kNone)
        return;
    if (!walk.pagePlace) // at most one shape a child
        walk.slide.shapes.reserve(walk.slide.shapes.size() + ChildCount(xml, tree, kUsualShapesPerSlide));
    collectShapes(xml, tree, 0, 0, walk);
}

// True when the part holds a link, a chart, a diagram or an embedded object
// (or, with `pictures`, a picture), whose parts and targets its
// relationships give.
bool refersThroughRelationships(const XmlTree& xml, bool pictures) {
    for (auto node = xml.root(); node < xml.subtreeEnd(xml.root()); ++node) {
        if (xml.isText(node))
            continue;
        const auto local = xml.local(node);
        if (local.starts_with("hlink") || local == "chart" || local == "relIds" || local == "oleObj" ||
            (pictures && local == "blip"))
            return true;
    }
    return false;
}

// What a page is: its root element, how a part whose root is another is
// refused ("slide 3, is not a slide"), and, for a master page, its place.
struct PageKind {
    std::string_view root;
    std::string_view listedAs; // a master page's; a slide's is made from its number
    std::optional<TextPlace> place;
    std::size_t slide = 0; // the slide's number, from 1; 0 for a master page

    // What ends the refusal of a part whose root is another, made only for one.
    std::string listing() const {
        return slide == 0 ? std::string(listedAs) : "slide " + std::to_string(slide) + ", is not a slide";
    }
    std::string notesListing() const {
        return "the notes page of slide " + std::to_string(slide) + ", is not one";
    }
};

// Reads a slide or, in the "all text" mode, a master page into `page`. The
// mode reads the page's relationships first, so that a chart's text is
// placed where its frame stands; then, after the shape tree, the diagrams,
// the notes page (its text, then its links), the comments and the page's
// links. What only this mode reads fails alone: each part is skipped and
// named when it cannot be read, and the rest is read. `pictures` reads the
// pictures of the page and of its notes page, when they are read.
void readPage(ZipPackage& zip, const XmlPart& part, const PageKind& kind, SlideContent& page,
              ShapeBudget& budget, const ReadOptions& options, ZipPictures* pictures,
              std::vector<std::string>* embedded = nullptr) {
    const bool allText = options.allText;
    ShapeWalk walk{zip, part, page, budget, allText, kind.place, nullptr, {}, {}, &options, pictures, {}};
    PartRelations relations;
    if (allText) {
        page.allTextRead = true;
        // A slide's relationships lead to its notes and comments; a master
        // page's are read only when it holds something they resolve.
        if (!kind.place || refersThroughRelationships(part.tree, pictures != nullptr))
            ReadAllTextPiece(page, RelationshipsPartName(part.name),
                             [&] { relations = ReadPartRelations(zip, part.name); });
        walk.relations = &relations;
        if (embedded)
            AppendEmbeddedParts(part.name, relations, *embedded);
    }
    readShapeTree(
        part, kind.root, [&] { return kind.listing(); }, walk);
    if (!allText)
        return;
    const PieceReader piece = [&](const std::string& name, const std::function<void()>& read) {
        ReadAllTextPiece(page, name, read);
    };
    const auto add = [&](TextPlace where, std::string name, std::string text) {
        walk.place(where, std::move(name), std::move(text));
    };
    const auto pieceRules = [&](const XmlRules& rules) { return walk.pieceRules(rules); };
    AppendDiagramTexts(zip, part.name, relations, walk.diagrams, add, piece, pieceRules);
    if (const auto notesName = kind.place ? std::nullopt : NotesPartOf(part.name, relations)) {
        std::optional<XmlPart> notes;
        piece(*notesName, [&] {
            notes = ReadXmlPart(zip, *notesName, pieceRules(ShapeTreeRules(true, pictures != nullptr)));
            if (!notes)
                return;
            ShapeWalk notesWalk{zip,     *notes, page, budget,   true,     TextPlace::Notes,
                                nullptr, {},     {},   &options, pictures, {}};
            readShapeTree(
                *notes, "notes", [&] { return kind.notesListing(); }, notesWalk);
        });
        if (notes)
            piece(*notesName + ", links", [&] {
                const auto notesRelations = ReadPartRelations(zip, *notesName);
                AppendLinkTexts(*notes, notesRelations, add);
            });
    }
    AppendCommentTexts(zip, part.name, relations, add, piece, pieceRules);
    piece(part.name + ", links", [&] { AppendLinkTexts(part, relations, add); });
}

// A package held open: the slide list is resolved when opening, each slide's
// part is inflated, parsed, read and dropped when the slide is asked for.
class PackageDocument final : public PresentationDocument {
public:
    PackageDocument(std::unique_ptr<ByteSource> source, std::unique_ptr<ZipPackage> zip, ReadOptions options)
        : m_source(std::move(source)), m_ownedZip(std::move(zip)), m_zip(*m_ownedZip), m_options(options) {
        listSlides();
        if (m_options.pictureReader) {
            m_pictures.emplace(m_zip, *m_options.pictureReader);
            m_options.pictureReader->expect(ZipPictures::CountUnder(m_zip, "ppt/media/", true));
        }
    }

    std::size_t slideCount() const override { return m_slides.size(); }

    SlideContent readSlide(std::size_t index) override {
        const std::string& name = m_slides.at(index);
        m_budget.nextSlide();
        XmlRules rules = ShapeTreeRules(m_options.allText, m_pictures.has_value());
        if (m_options.embeddingDepth > 0) // all of an embedded deck is read for all text only
            rules = PartRules(rules, m_budget, m_options);
        const auto part = ReadXmlPart(m_zip, name, rules);
        if (!part)
            ThrowDamaged("the slide part " + FileText(name) + " is missing", name);
        SlideContent slide;
        readPage(m_zip, *part, {"sld", {}, std::nullopt, index + 1}, slide, m_budget, m_options, pictures(),
                 &m_embedded);
        noteEmbedded();
        return slide;
    }

    std::size_t masterPageCount() const override { return m_masterPages.size(); }

    SlideContent readMasterPage(std::size_t index) override {
        const MasterPage& master = m_masterPages.at(index);
        SlideContent page;
        page.allTextRead = true;
        if (master.unlisted) {
            page.skipped.push_back(*master.unlisted);
            return page;
        }
        m_budget.nextSlide();
        ReadAllTextPiece(page, master.part, [&] {
            if (master.place == TextPlace::Embedded) {
                readEmbedded(master.part, page);
                return;
            }
            const auto part =
                ReadXmlPart(m_zip, master.part,
                            PartRules(ShapeTreeRules(true, m_pictures.has_value()), m_budget, m_options));
            if (!part)
                ThrowDamaged("the part " + FileText(master.part) + " is missing", master.part);
            readPage(m_zip, *part, {master.root, master.listedAs, master.place}, page, m_budget, m_options,
                     pictures(), &m_embedded);
        });
        noteEmbedded();
        return page;
    }

private:
    ZipPictures* pictures() { return m_pictures ? &*m_pictures : nullptr; }

    // The documents the pages read so far embed join the pages after the
    // slides, each part once, in the order the deck first refers to them.
    void noteEmbedded() {
        if (!m_options.embedded)
            return;
        for (; m_embeddedNoted < m_embedded.size(); ++m_embeddedNoted) {
            const std::string& name = m_embedded[m_embeddedNoted];
            if (m_embeddedSeen.insert(LowerAscii(name)).second)
                m_masterPages.push_back({name, {}, {}, TextPlace::Embedded, std::nullopt});
        }
    }

    // An embedded document, read whole (EmbeddedReader) or left unread when
    // it is of no kind read.
    void readEmbedded(const std::string& name, SlideContent& page) {
        const auto index = FindPart(m_zip, name);
        if (!index)
            ThrowDamaged("the part " + FileText(name) + " is missing", name);
        const PartBytes bytes = m_zip.read(*index, name);
        m_options.embedded->read(name, bytes.bytes(), m_options.embeddingDepth, page, m_budget);
    }

    // A master or layout the "all text" mode reads after the slides, or the
    // fault that kept a list of them from being read.
    struct MasterPage {
        std::string part;
        std::string_view root;
        std::string listedAs;
        TextPlace place = TextPlace::Master;
        std::optional<SkippedPart> unlisted;
    };

    // Every master in the order the presentation lists them, each slide
    // master followed by its layouts, then the notes and handout masters;
    // each part once. A list that cannot be read is a skipped part.
    void listMasterPages(const XmlPart& main, const PartRelations* mainRelations) {
        const std::string& mainName = main.name;
        std::vector<SkippedPart> faults;
        std::unordered_set<std::string> seen;
        const auto add = [&](std::string part, std::string_view root, std::string listedAs, TextPlace place) {
            if (!seen.insert(LowerAscii(part)).second)
                return false;
            if (m_masterPages.size() == limits::kMaxSlides)
                ThrowOverLimit("it lists more than " + std::to_string(limits::kMaxSlides) +
                                   " masters and layouts",
                               mainName);
            m_masterPages.push_back({std::move(part), root, std::move(listedAs), place, std::nullopt});
            return true;
        };
        ReadOrSkip(faults, mainName + ", masters", [&] {
            // Read here when the slides did not need them: missing or
            // damaged, they then cost the masters only.
            PartRelations read;
            const PartRelations& relations =
                mainRelations ? *mainRelations : (read = ReadPartRelations(m_zip, mainName));
            struct List {
                std::string_view list, entry, kind, root, what;
            };
            for (const List& list :
                 {List{"sldMasterIdLst", "sldMasterId", "slideMaster", "sldMaster", "a slide master"},
                  List{"notesMasterIdLst", "notesMasterId", "notesMaster", "notesMaster", "a notes master"},
                  List{"handoutMasterIdLst", "handoutMasterId", "handoutMaster", "handoutMaster",
                       "a handout master"}})
                for (const auto& name : listedParts(main, relations, list.list, list.entry, list.kind)) {
                    if (!add(name, list.root, std::string(list.what) + ", is not one", TextPlace::Master) ||
                        list.kind != "slideMaster")
                        continue;
                    ReadOrSkip(faults, name + ", layouts", [&] { listLayouts(name, add); });
                }
        });
        for (auto& fault : faults)
            m_masterPages.push_back({fault.part, {}, {}, TextPlace::Master, std::move(fault)});
    }

    // The layouts of a slide master, in the order of its relationships
    // (which is the order of its own list of them), without parsing the
    // master: a damaged master keeps its layouts.
    template <class Add> void listLayouts(const std::string& masterName, Add& add) {
        for (const auto& r : ReadPartRelations(m_zip, masterName).list)
            if (!r.external && IsRelationshipType(r.type, "slideLayout"))
                if (auto name = ResolvePartName(masterName, r.target))
                    add(std::move(*name), "sldLayout", "a layout, is not one", TextPlace::Layout);
    }

    // The parts a list of the root element names through its relationships,
    // in its order: those of the expected kind that lie inside the package.
    static std::vector<std::string> listedParts(const XmlPart& part, const PartRelations& relations,
                                                std::string_view listName, std::string_view entryName,
                                                std::string_view kind) {
        std::vector<std::string> names;
        const XmlTree& xml = part.tree;
        RequireDeclarationsInLimit(xml, xml.root());
        forEachListEntry(xml, listName, entryName, [&](XmlTree::Id entry) {
            const auto id = xml.attribute(entry, Ns::Relationships, "id");
            const auto it = id.found ? relations.byId.find(id.text) : relations.byId.end();
            if (it == relations.byId.end() || it->second->external ||
                !IsRelationshipType(it->second->type, kind))
                return;
            if (auto name = ResolvePartName(part.name, it->second->target))
                names.push_back(std::move(*name));
        });
        return names;
    }

    void listSlides() {
        const std::string mainName = mainPartName();
        const bool typedAsPresentation = checkContentType(mainName);
        const auto main = ReadXmlPart(m_zip, mainName);
        if (!main)
            ThrowDamaged("its main part " + FileText(mainName) + " is missing", mainName);
        const std::vector<std::string> ids = slideRelationshipIds(*main, typedAsPresentation);
        if (ids.empty()) { // no slides: the relationships are not needed
            if (m_options.allText)
                listMasterPages(*main, nullptr);
            return;
        }
        const std::string relsName = RelationshipsPartName(mainName);
        const auto rels = ReadXmlPart(m_zip, relsName);
        if (!rels)
            ThrowDamaged("the relationships of its main part (" + FileText(relsName) + ") are missing",
                         relsName);
        const PartRelations relations = ParsePartRelations(*rels);
        const auto& byId = relations.byId;
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
            auto name = ResolvePartName(mainName, it->second->target);
            if (!name)
                ThrowDamaged("slide " + number + " points at \"" + FileText(it->second->target) +
                                 "\", which names no part",
                             relsName);
            // A part listed twice would be read twice; a hostile list could
            // repeat one large slide without end.
            if (!seen.insert(LowerAscii(*name)).second)
                ThrowDamaged("the slide list names the part " + FileText(*name) + " more than once",
                             mainName);
            // Found now, so that a package missing a slide is refused before
            // any of its slides is read.
            if (!FindPart(m_zip, *name))
                ThrowDamaged("the slide part " + FileText(*name) + " is missing", *name);
            m_slides.push_back(std::move(*name));
        }
        if (m_options.allText)
            listMasterPages(*main, &relations);
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
        forEachListEntry(xml, "sldIdLst", "sldId", [&](XmlTree::Id entry) {
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
        });
        return ids;
    }

    std::unique_ptr<ByteSource> m_source;
    std::unique_ptr<ZipPackage> m_ownedZip;
    ZipPackage& m_zip;
    ReadOptions m_options;
    std::vector<std::string> m_slides; // part names in presentation order
    std::vector<MasterPage> m_masterPages;
    std::vector<std::string> m_embedded; // as the pages refer to them
    std::size_t m_embeddedNoted = 0;
    std::unordered_set<std::string> m_embeddedSeen;
    ShapeBudget m_budget;
    std::optional<ZipPictures> m_pictures; // when the pictures are read
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

XmlRules ShapeTreeRules(bool allText, bool pictures) {
    XmlRules rules = PackagePartRules();
    std::span<const SkippedElement> skip = kShapeTreeSkip;
    if (allText)
        skip = skip.first(skip.size() - kDefaultOnlySkips);
    if (pictures)
        skip = skip.subspan(kPictureSkips);
    rules.skip = skip;
    return rules;
}

} // namespace orv::ooxml
