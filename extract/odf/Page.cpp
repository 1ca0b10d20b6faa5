#include "extract/odf/Page.h"

#include "base/SafeText.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/Uri.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_set>

namespace orv::odf {

namespace {

[[noreturn]] void nestedTooDeep(const XmlTree& xml, XmlTree::Id element) {
    ThrowOverLimit("a slide's shapes or text nest more than " + std::to_string(limits::kMaxTextNesting) +
                       " levels deep",
                   xml.site(element));
}

bool isRawSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

template <typename T> bool isOneOf(T value, std::initializer_list<T> values) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

bool isOneOf(std::string_view local, std::initializer_list<std::string_view> names) {
    return isOneOf<std::string_view>(local, names);
}

// Writes one paragraph's text, collapsing raw white space as OpenDocument
// prescribes: each run of spaces, tabs, CRs and LFs in character data counts
// as one space, and none counts at the start or end of the paragraph. Space,
// tab and line-break elements are written as they are and are not collapsed.
// The space is written lazily, before the next text, so that a trailing run
// never is.
class ParagraphWriter {
public:
    // `piece`: the text is one only the "all text" mode reads, checked
    // against its own budget rather than the slide's shapes'.
    ParagraphWriter(std::string& out, const ShapeBudget& budget, bool piece)
        : m_out(out), m_budget(budget), m_piece(piece) {}

    void characters(std::string_view data, FaultSite site) {
        check(m_out.size() + data.size() + 1, site);
        if (onlyLoneSpaces(data))
            appendLoneSpaced(data);
        else
            appendCollapsing(data);
    }

    void spaces(std::size_t count, FaultSite site) {
        flush();
        check(m_out.size() < std::numeric_limits<std::size_t>::max() - count
                  ? m_out.size() + count
                  : std::numeric_limits<std::size_t>::max(),
              site);
        m_out.append(count, ' ');
    }

    void put(char c) {
        flush();
        m_out += c;
    }

private:
    // True when the only raw white space in `data` is single spaces, as in
    // most text a file stores: each of them stands for itself, so only one
    // at either end needs a thought. The loop has no branch, so that the
    // compiler can test many bytes at once.
    static bool onlyLoneSpaces(std::string_view data) {
        if (data.empty())
            return true;
        const char* p = data.data();
        const std::size_t last = data.size() - 1;
        unsigned char other = isOtherRawSpace(p[last]);
        for (std::size_t i = 0; i < last; ++i)
            other |= isOtherRawSpace(p[i]) | static_cast<unsigned char>((p[i] == ' ') & (p[i + 1] == ' '));
        return other == 0;
    }

    static unsigned char isOtherRawSpace(char c) {
        return static_cast<unsigned char>((c == '\t') | (c == '\r') | (c == '\n'));
    }

    // Data with lone spaces only: copied whole but for a space at either end,
    // which becomes the pending space.
    void appendLoneSpaced(std::string_view data) {
        if (!data.empty() && data.front() == ' ') {
            m_pendingSpace = !m_atStart;
            data.remove_prefix(1);
        }
        if (data.empty())
            return;
        const bool trailingSpace = data.back() == ' ';
        if (trailingSpace)
            data.remove_suffix(1);
        flush();
        m_out.append(data);
        m_pendingSpace = trailingSpace;
    }

    // Any data: one pass into room made for all of it (and the pending space
    // before it), given back at the end. The state is kept in locals while
    // writing, which the compiler could not do with members that the output
    // pointer might alias.
    void appendCollapsing(std::string_view data) {
        const std::size_t start = m_out.size();
        m_out.resize(start + data.size() + 1);
        char* const begin = m_out.data() + start;
        char* out = begin;
        bool pendingSpace = m_pendingSpace;
        bool atStart = m_atStart;
        for (const char c : data) {
            if (isRawSpace(c)) {
                pendingSpace = !atStart;
                continue;
            }
            if (pendingSpace)
                *out++ = ' ';
            pendingSpace = false;
            atStart = false;
            *out++ = c;
        }
        m_out.resize(start + static_cast<std::size_t>(out - begin));
        m_pendingSpace = pendingSpace;
        m_atStart = atStart;
    }

    void flush() {
        if (m_pendingSpace)
            m_out += ' ';
        m_pendingSpace = false;
        m_atStart = false;
    }

    std::string& m_out;
    const ShapeBudget& m_budget;
    bool m_piece;

    void check(std::size_t bytes, FaultSite site) const {
        if (m_piece)
            m_budget.checkText(bytes, site);
        else
            m_budget.checkShapeText(bytes, site);
    }
    bool m_atStart = true;
    bool m_pendingSpace = false;
};

// text:c of a space element: how many spaces it stands for (1 when absent or
// unreadable; a count beyond any size is refused by the writer's budget).
std::size_t spaceCount(const XmlTree& xml, XmlTree::Id element) {
    const auto value = xml.attribute(element, Ns::OdfText, "c");
    if (!value.found)
        return 1;
    const char* text = value.text.data();
    const char* end = text + value.text.size();
    std::size_t count = 0;
    const auto [stop, error] = std::from_chars(text, end, count);
    if (error == std::errc::result_out_of_range)
        return std::numeric_limits<std::size_t>::max();
    if (error != std::errc() || stop != end)
        return 1;
    return count;
}

// Vocabularies outside OpenDocument's own, whose elements in text may ask
// not to be read.
bool isForeign(Ns ns) {
    return isOneOf(ns, {Ns::Other, Ns::OdfOfficeExt, Ns::OdfXLink, Ns::OdfSvg, Ns::OdfStyle, Ns::OdfChart});
}

bool processesContent(const XmlTree& xml, XmlTree::Id foreign) {
    const auto value = xml.attribute(foreign, Ns::OdfOffice, "process-content");
    return !value.found || value.text != "false";
}

// A paragraph's content, in document order. Per the standard, the character
// data of note bodies, ruby text, annotations and shapes anchored in the text
// is not part of the paragraph; a foreign element's content is, unless it
// says office:process-content="false". Numbering labels are left out as list
// bullets are.
void appendInline(const XmlTree& xml, XmlTree::Id element, int depth, ParagraphWriter& writer) {
    if (depth > limits::kMaxTextNesting)
        nestedTooDeep(xml, element);
    for (auto child = xml.firstChild(element); child != XmlTree::kNone; child = xml.nextSibling(child)) {
        if (xml.isText(child)) {
            writer.characters(xml.text(child), xml.site(child));
            continue;
        }
        RequireDeclarationsInLimit(xml, child);
        const std::string_view local = xml.local(child);
        const Ns ns = xml.ns(child);
        if (ns == Ns::OdfText) {
            if (local == "s")
                writer.spaces(spaceCount(xml, child), xml.site(child));
            else if (local == "tab")
                writer.put('\t');
            else if (local == "line-break")
                writer.put('\v');
            else if (local == "span" || !isOneOf(local, {"note-body", "ruby-text", "number"}))
                // Spans, links, fields and the like read as their text; the
                // "all text" mode reads links' targets apart.
                appendInline(xml, child, depth + 1, writer);
        } else if (ns == Ns::OdfOffice || ns == Ns::OdfDraw || ns == Ns::OdfDr3d) {
            continue; // annotations; frames and shapes anchored in the text
        } else if (!isForeign(ns) || processesContent(xml, child)) {
            appendInline(xml, child, depth + 1, writer);
        }
    }
}

bool anyName(std::string_view) {
    return true;
}

// Calls visit(child, ns, local) for each child element of `parent`, in
// document order, `depth` levels below the shape or page, whose local name
// passes `wanted`: the local name is the cheap test, and an element whose
// name no namespace would make wanted is passed over unresolved.
template <typename Wanted, typename Visit>
void forEachElement(const XmlTree& xml, XmlTree::Id parent, int depth, Wanted&& wanted, Visit&& visit) {
    if (depth > limits::kMaxTextNesting)
        nestedTooDeep(xml, parent);
    for (auto child = xml.firstChild(parent); child != XmlTree::kNone; child = xml.nextSibling(child)) {
        if (xml.isText(child))
            continue;
        const std::string_view local = xml.local(child);
        if (!wanted(local))
            continue;
        RequireDeclarationsInLimit(xml, child);
        visit(child, xml.ns(child), local);
    }
}

template <typename Visit>
void forEachElement(const XmlTree& xml, XmlTree::Id parent, int depth, Visit&& visit) {
    forEachElement(xml, parent, depth, anyName, std::forward<Visit>(visit));
}

bool isParagraph(std::string_view local) {
    return local == "p" || local == "h";
}

bool isParagraphContainer(std::string_view local) {
    return isOneOf(local, {"list", "list-item", "list-header", "numbered-paragraph", "section"});
}

// The paragraphs of a text box or shape, at any depth of lists and sections,
// joined with CR. Tables inside a text box are not read.
void appendParagraphs(const XmlTree& xml, XmlTree::Id container, int depth, const ShapeBudget& budget,
                      bool piece, std::string& text, bool& first) {
    forEachElement(
        xml, container, depth,
        [](std::string_view local) { return isParagraph(local) || isParagraphContainer(local); },
        [&](XmlTree::Id child, Ns ns, std::string_view local) {
            if (ns != Ns::OdfText)
                return;
            if (isParagraph(local)) {
                if (!first)
                    text += '\r';
                first = false;
                ParagraphWriter writer(text, budget, piece);
                appendInline(xml, child, depth + 1, writer);
            } else {
                appendParagraphs(xml, child, depth + 1, budget, piece, text, first);
            }
        });
}

// `piece` as for ParagraphWriter: true unless it is a top-level shape's text.
std::string textOf(const XmlTree& xml, XmlTree::Id container, const ShapeBudget& budget, bool piece = true) {
    std::string text;
    text.reserve(TextRoom(xml, container));
    bool first = true;
    appendParagraphs(xml, container, 0, budget, piece, text, first);
    return text;
}

enum class ShapeKind { NotAShape, WithText, Frame, WithoutText, Group, Link };

// Lines and connectors (polylines and dimension lines among them) hold no
// text; neither do groups, slide thumbnails, form controls and 3D scenes
// (what a group holds is read in the "all text" mode only).
ShapeKind kindOf(Ns ns, std::string_view local) {
    if (ns == Ns::OdfDr3d)
        return local == "scene" ? ShapeKind::WithoutText : ShapeKind::NotAShape;
    if (ns != Ns::OdfDraw)
        return ShapeKind::NotAShape;
    if (local == "frame")
        return ShapeKind::Frame;
    if (local == "a")
        return ShapeKind::Link;
    if (isOneOf(local, {"custom-shape", "rect", "ellipse", "circle", "polygon", "regular-polygon", "path",
                        "caption"}))
        return ShapeKind::WithText;
    if (local == "g")
        return ShapeKind::Group;
    if (isOneOf(local, {"line", "polyline", "connector", "measure", "page-thumbnail", "control"}))
        return ShapeKind::WithoutText;
    return ShapeKind::NotAShape;
}

// True for a local name that names a shape in some namespace.
bool mayBeShape(std::string_view local) {
    return local == "scene" || kindOf(Ns::OdfDraw, local) != ShapeKind::NotAShape;
}

bool isTextPlaceholderClass(std::string_view presentationClass) {
    return isOneOf(presentationClass, {"title", "outline", "subtitle", "text"});
}

// A frame shows its first content element: a text box gives it a text frame;
// a picture, object, applet, plug-in, floating frame or table does not. A
// frame with no content (an empty placeholder) has a text frame when its
// placeholder class is a text one.
struct FrameContent {
    bool hasTextFrame = false;
    XmlTree::Id textBox = XmlTree::kNone;
    XmlTree::Id table = XmlTree::kNone;  // when the frame shows a table
    XmlTree::Id object = XmlTree::kNone; // ... or an embedded object (draw:object)
    XmlTree::Id image = XmlTree::kNone;  // ... or a picture (draw:image)
};

bool isFrameContent(std::string_view local) {
    return isOneOf(
        local, {"text-box", "table", "image", "object", "object-ole", "applet", "plugin", "floating-frame"});
}

FrameContent frameContent(const XmlTree& xml, XmlTree::Id frame) {
    for (auto child = xml.firstChild(frame); child != XmlTree::kNone; child = xml.nextSibling(child)) {
        if (xml.isText(child))
            continue;
        const std::string_view local = xml.local(child);
        if (!isFrameContent(local))
            continue; // titles, descriptions, event listeners and the like
        RequireDeclarationsInLimit(xml, child);
        const Ns ns = xml.ns(child);
        if (ns == Ns::OdfDraw && local == "text-box")
            return {true, child, XmlTree::kNone, XmlTree::kNone};
        if (ns == Ns::OdfTable && local == "table")
            return {false, XmlTree::kNone, child, XmlTree::kNone};
        if (ns == Ns::OdfDraw && (local == "object" || local == "object-ole"))
            return {false, XmlTree::kNone, XmlTree::kNone, child};
        if (ns == Ns::OdfDraw && local == "image")
            return {false, XmlTree::kNone, XmlTree::kNone, XmlTree::kNone, child};
        if (ns == Ns::OdfDraw && local != "table")
            return {};
    }
    const auto presentationClass = xml.attribute(frame, Ns::OdfPresentation, "class");
    return {presentationClass.found && isTextPlaceholderClass(presentationClass.text), XmlTree::kNone,
            XmlTree::kNone, XmlTree::kNone};
}

// A placeholder still showing its prompt ("Click to add Title") holds no text.
bool isEmptyPlaceholder(const XmlTree& xml, XmlTree::Id shape) {
    const auto placeholder = xml.attribute(shape, Ns::OdfPresentation, "placeholder");
    return placeholder.found && placeholder.text == "true";
}

std::string nameOf(const XmlTree& xml, XmlTree::Id shape) {
    return std::string(xml.attribute(shape, Ns::OdfDraw, "name").text);
}

bool isComment(Ns ns, std::string_view local) {
    return (ns == Ns::OdfOffice || ns == Ns::OdfOfficeExt) && local == "annotation";
}

bool isNotes(Ns ns, std::string_view local) {
    return ns == Ns::OdfPresentation && local == "notes";
}

// One walk over a page. The top-level shapes always become the slide's
// shapes. In the "all text" mode every text also goes, in document order
// (z-order), to the slide's texts: groups are entered where they stand, tables
// give their cells row by row and charts their texts.
struct PageWalk {
    const XmlTree& xml;
    SlideContent& slide;
    ShapeBudget& budget;
    const PageReading& how;
    // The place every text counts as while a page other than a slide is
    // walked: Notes on the notes page, the page's own on a master page.
    std::optional<TextPlace> pagePlace;
    AllTextPieces pieces;

    void place(TextPlace where, std::string name, std::string text) {
        PlaceText(slide, budget, pagePlace, where, std::move(name), std::move(text));
    }

    // A piece of the page only the "all text" mode reads: its groups, tables,
    // charts, alternative text, notes, comments or links, skipped and named
    // when it cannot be read (a nesting or a budget overrun). A piece inside
    // another is part of it.
    template <class Read> void piece(std::string_view what, Read&& read) {
        pieces.read(slide, how.where + ", " + std::string(what), std::forward<Read>(read));
    }
};

// The rows of a table in order, entering header, body and row groups where
// they stand; `visit` gets each row, the depth of its children, and whether
// it is one of the header rows.
template <class Visit>
void forEachTableRow(const XmlTree& xml, XmlTree::Id container, int depth, bool header, const Visit& visit) {
    forEachElement(
        xml, container, depth,
        [](std::string_view local) {
            return isOneOf(local, {"table-row", "table-header-rows", "table-rows", "table-row-group"});
        },
        [&](XmlTree::Id child, Ns ns, std::string_view local) {
            if (ns != Ns::OdfTable)
                return;
            if (local != "table-row")
                forEachTableRow(xml, child, depth + 1, header || local == "table-header-rows", visit);
            else
                visit(child, depth + 1, header);
        });
}

// The cells of a table, row by row; covered cells, hidden under a merged
// one, are left out.
void readTableRows(XmlTree::Id container, int depth, const std::string& name, PageWalk& walk) {
    const XmlTree& xml = walk.xml;
    forEachTableRow(xml, container, depth, false, [&](XmlTree::Id row, int cellDepth, bool) {
        forEachElement(
            xml, row, cellDepth, [](std::string_view cellLocal) { return cellLocal == "table-cell"; },
            [&](XmlTree::Id cell, Ns cellNs, std::string_view) {
                if (cellNs == Ns::OdfTable)
                    walk.place(TextPlace::Table, name, textOf(xml, cell, walk.budget));
            });
    });
}

// The chart:chart of an embedded document (the root of an object's content
// part, or office:document inline in a flat file), or kNone when its body is
// no chart.
XmlTree::Id chartOf(const XmlTree& xml, XmlTree::Id document) {
    RequireDeclarationsInLimit(xml, document);
    if (xml.ns(document) != Ns::OdfOffice)
        return XmlTree::kNone;
    const auto body = ChildElement(xml, document, Ns::OdfOffice, "body");
    const auto chart = body == XmlTree::kNone ? body : ChildElement(xml, body, Ns::OdfOffice, "chart");
    return chart == XmlTree::kNone ? chart : ChildElement(xml, chart, Ns::OdfChart, "chart");
}

// A cell of a chart's table that holds a label rather than a number: a
// string, or text of no value type.
bool isLabelCell(const XmlTree& xml, XmlTree::Id cell) {
    const auto type = xml.attribute(cell, Ns::OdfOffice, "value-type");
    return !type.found || type.text == "string";
}

// The labels of a chart's table: the series names of its header rows and
// the categories of its first column.
void readChartRows(const XmlTree& xml, XmlTree::Id container, int depth, const std::string& name,
                   PageWalk& walk) {
    forEachTableRow(xml, container, depth, false, [&](XmlTree::Id row, int cellDepth, bool header) {
        bool firstColumn = true;
        forEachElement(
            xml, row, cellDepth,
            [](std::string_view cellLocal) {
                return isOneOf(cellLocal, {"table-cell", "covered-table-cell"});
            },
            [&](XmlTree::Id cell, Ns cellNs, std::string_view cellLocal) {
                if (cellNs != Ns::OdfTable)
                    return;
                const bool label =
                    (header || firstColumn) && cellLocal == "table-cell" && isLabelCell(xml, cell);
                firstColumn = false;
                if (label)
                    walk.place(TextPlace::Chart, name, textOf(xml, cell, walk.budget));
            });
    });
}

// A chart's texts, each named after the frame showing it: its title,
// subtitle and footer, the titles of its axes, then the labels of its table.
void readChart(const XmlTree& xml, XmlTree::Id chart, const std::string& name, PageWalk& walk) {
    const auto placeTitles = [&](XmlTree::Id parent, int depth) {
        forEachElement(
            xml, parent, depth,
            [](std::string_view local) {
                return isOneOf(local, {"title", "subtitle", "footer"});
            },
            [&](XmlTree::Id title, Ns ns, std::string_view) {
                if (ns == Ns::OdfChart)
                    walk.place(TextPlace::Chart, name, textOf(xml, title, walk.budget));
            });
    };
    placeTitles(chart, 1);
    forEachElement(
        xml, chart, 1, [](std::string_view local) { return local == "plot-area"; },
        [&](XmlTree::Id area, Ns ns, std::string_view) {
            if (ns != Ns::OdfChart)
                return;
            forEachElement(
                xml, area, 2, [](std::string_view local) { return local == "axis"; },
                [&](XmlTree::Id axis, Ns axisNs, std::string_view) {
                    if (axisNs == Ns::OdfChart)
                        placeTitles(axis, 3);
                });
        });
    forEachElement(
        xml, chart, 1, [](std::string_view local) { return local == "table"; },
        [&](XmlTree::Id table, Ns ns, std::string_view) {
            if (ns == Ns::OdfTable)
                readChartRows(xml, table, 2, name, walk);
        });
}

// The chart a frame's draw:object shows, if its sub-document is one: inline
// (a flat file), or a part of the package, read now and dropped after. A
// chart part that cannot be read is skipped and named after the part, also
// inside a group. An object of another kind (draw:object-ole among them) is
// noted, to be read after the master pages if it is a document.
void readObject(XmlTree::Id object, const std::string& name, PageWalk& walk) {
    const XmlTree& xml = walk.xml;
    EmbeddedObjects* const objects = walk.how.objects;
    const auto document = ChildElement(xml, object, Ns::OdfOffice, "document");
    if (document != XmlTree::kNone) {
        walk.piece("charts", [&] {
            const auto chart = chartOf(xml, document);
            if (chart != XmlTree::kNone)
                readChart(xml, chart, name, walk);
            else if (objects != nullptr && EmbeddedDocumentBody(xml, document) != XmlTree::kNone)
                objects->noteInlineObject(document, name.empty() ? walk.how.where + ", object" : name);
        });
        return;
    }
    const auto href = xml.attribute(object, Ns::OdfXLink, "href");
    if (objects == nullptr || !href.found)
        return;
    const auto part = objects->chartPart(href.text);
    if (!part) {
        objects->noteObject(href.text);
        return;
    }
    ReadAllTextPiece(walk.slide, FileText(*part), [&] {
        const XmlPart content = objects->readPart(*part);
        const auto chart = chartOf(content.tree, content.root());
        if (chart != XmlTree::kNone)
            readChart(content.tree, chart, name, walk);
        else
            objects->noteObject(href.text);
    });
}

// True when the shape may have alternative text: a child named as its title
// or description is (the namespace is told when it is read).
bool mayHaveAltText(const XmlTree& xml, XmlTree::Id shape) {
    for (auto child = xml.firstChild(shape); child != XmlTree::kNone; child = xml.nextSibling(child))
        if (!xml.isText(child) && isOneOf(xml.local(child), {"title", "desc"}))
            return true;
    return false;
}

// A shape's alternative text: its svg:title, then its svg:desc.
void readAltText(XmlTree::Id shape, const std::string& name, PageWalk& walk) {
    const XmlTree& xml = walk.xml;
    for (const std::string_view local : {"title", "desc"}) {
        const auto element = ChildElement(xml, shape, Ns::OdfSvg, local);
        if (element == XmlTree::kNone)
            continue;
        std::string text;
        for (auto child = xml.firstChild(element); child != XmlTree::kNone; child = xml.nextSibling(child)) {
            if (!xml.isText(child))
                continue;
            walk.budget.checkText(text.size() + xml.text(child).size(), xml.site(child));
            text += xml.text(child);
        }
        walk.place(TextPlace::Alt, name, std::move(text));
    }
}

// A frame showing a picture (`image`, its first draw:image), read on
// request: a shape named by the frame whose text the picture shows. Only a
// file of the package is read (PagePictures), not an external picture.
void readPicture(XmlTree::Id frame, XmlTree::Id image, ShapeContent& shape, PageWalk& walk) {
    const XmlTree& xml = walk.xml;
    shape.hasTextFrame = true;
    shape.place = TextPlace::Picture;
    shape.name = nameOf(xml, frame);
    if (const auto href = xml.attribute(image, Ns::OdfXLink, "href"); href.found && !href.text.empty())
        shape.text = walk.how.pictures->pictureText(href.text, walk.how.where, walk.slide);
}

// One shape, or nothing for an element that is no shape. `groupDepth` counts
// the groups entered (all-text mode only); only shapes at depth 0 of a page
// are the slide's shapes.
void addShape(XmlTree::Id element, ShapeKind kind, int depth, int groupDepth, PageWalk& walk);

void collectShapes(XmlTree::Id container, int depth, int groupDepth, PageWalk& walk) {
    forEachElement(walk.xml, container, depth, mayBeShape,
                   [&](XmlTree::Id child, Ns ns, std::string_view local) {
                       addShape(child, kindOf(ns, local), depth, groupDepth, walk);
                   });
}

void addShape(XmlTree::Id element, ShapeKind kind, int depth, int groupDepth, PageWalk& walk) {
    const XmlTree& xml = walk.xml;
    const bool allText = walk.how.allText;
    const bool topLevel = groupDepth == 0 && !walk.pagePlace; // notes and master pages hold no slide shapes
    ShapeContent shape;
    std::string name;
    if (allText && kind != ShapeKind::NotAShape && kind != ShapeKind::Link)
        name = nameOf(xml, element);
    switch (kind) {
    case ShapeKind::NotAShape:
        // Notes (presentation:notes), comments, forms, animations, titles and
        // descriptions of the page: the "all text" mode reads the notes and
        // comments after the shapes.
        return;
    case ShapeKind::Link:
        // A shape made a hyperlink: the shapes it wraps stand in its place.
        collectShapes(element, depth + 1, groupDepth, walk);
        return;
    case ShapeKind::WithoutText:
        break;
    case ShapeKind::Group:
        if (allText) {
            walk.piece("groups", [&] {
                if (groupDepth >= limits::kMaxGroupDepth)
                    ThrowDamaged("a slide nests groups more than " + std::to_string(limits::kMaxGroupDepth) +
                                 " deep");
                collectShapes(element, depth + 1, groupDepth + 1, walk);
            });
        }
        break;
    case ShapeKind::WithText:
        shape.hasTextFrame = true;
        shape.text = textOf(xml, element, walk.budget, !topLevel);
        break;
    case ShapeKind::Frame: {
        const FrameContent content = frameContent(xml, element);
        shape.hasTextFrame = content.hasTextFrame;
        if (content.textBox != XmlTree::kNone)
            shape.text = textOf(xml, content.textBox, walk.budget, !topLevel);
        else if (content.table != XmlTree::kNone && allText)
            walk.piece("tables", [&] { readTableRows(content.table, depth + 1, name, walk); });
        else if (content.object != XmlTree::kNone && allText)
            readObject(content.object, name, walk);
        else if (content.image != XmlTree::kNone && walk.how.pictures)
            readPicture(element, content.image, shape, walk);
        break;
    }
    }
    if (shape.hasTextFrame && isEmptyPlaceholder(xml, element))
        shape.text.clear();
    walk.budget.countShape(topLevel, shape.text.size(), xml.site(element));
    if (allText) {
        const TextPlace place = shape.place == TextPlace::Picture ? TextPlace::Picture : TextPlace::Group;
        if (topLevel)
            PlaceShapeText(walk.slide, name, shape.text, shape.place);
        else
            walk.place(place, name, shape.text);
        if (mayHaveAltText(xml, element))
            walk.piece("alternative text", [&] { readAltText(element, name, walk); });
    }
    if (topLevel)
        walk.slide.shapes.push_back(std::move(shape));
}

// The addresses of the mailto: links (xlink:href of text:a, draw:a and a
// shape's presentation:event-listener) under `parent`, at any depth, in
// document order, each target once; links in the notes and comments are
// theirs, not the page's.
void appendLinks(XmlTree::Id parent, int depth, std::unordered_set<std::string_view>& seen, PageWalk& walk) {
    const XmlTree& xml = walk.xml;
    forEachElement(xml, parent, depth, [&](XmlTree::Id child, Ns ns, std::string_view local) {
        if (isNotes(ns, local) || isComment(ns, local))
            return;
        if (((ns == Ns::OdfText || ns == Ns::OdfDraw) && local == "a") ||
            (ns == Ns::OdfPresentation && local == "event-listener")) {
            const auto href = xml.attribute(child, Ns::OdfXLink, "href");
            if (href.found && seen.insert(href.text).second) {
                if (auto address = MailtoAddress(href.text))
                    walk.place(TextPlace::Link, {}, std::move(*address));
            }
        }
        appendLinks(child, depth + 1, seen, walk);
    });
}

// Calls visit(notes) for each presentation:notes of the page.
template <typename Visit> void forEachNotes(XmlTree::Id page, PageWalk& walk, Visit&& visit) {
    forEachElement(
        walk.xml, page, 0, [](std::string_view local) { return local == "notes"; },
        [&](XmlTree::Id child, Ns ns, std::string_view local) {
            if (isNotes(ns, local))
                visit(child);
        });
}

// What the "all text" mode reads after the shapes: the notes' shapes and the
// addresses of their links, the comments on the page (the paragraphs of
// each, not its author or date), then the page's links.
void readAllTextAfterShapes(XmlTree::Id page, PageWalk& walk) {
    const XmlTree& xml = walk.xml;
    if (!walk.pagePlace)
        walk.pagePlace = TextPlace::Notes;
    walk.piece("notes", [&] {
        forEachNotes(page, walk, [&](XmlTree::Id notes) { collectShapes(notes, 1, 0, walk); });
    });
    walk.piece("notes links", [&] {
        std::unordered_set<std::string_view> seen; // targets in the tree, which outlives the walk
        forEachNotes(page, walk, [&](XmlTree::Id notes) { appendLinks(notes, 1, seen, walk); });
    });
    walk.pagePlace = walk.how.pagePlace;
    walk.piece("comments", [&] {
        forEachElement(
            xml, page, 0, [](std::string_view local) { return local == "annotation"; },
            [&](XmlTree::Id child, Ns ns, std::string_view local) {
                if (isComment(ns, local))
                    walk.place(TextPlace::Comment, {}, textOf(xml, child, walk.budget));
            });
    });
    walk.piece("links", [&] {
        std::unordered_set<std::string_view> seen;
        appendLinks(page, 0, seen, walk);
    });
}

// The paragraphs under `parent` (ReadEmbeddedParagraphs): each one's own
// text, then the paragraphs inside it (in its frames, notes and annotations).
// The objects met are noted in `objects`, not entered; `frame` is the name
// of the frame being walked.
void placeParagraphs(const XmlTree& xml, XmlTree::Id parent, int depth, const std::string& name,
                     SlideContent& page, ShapeBudget& budget, std::string_view frame,
                     std::vector<NestedObject>& objects) {
    forEachElement(xml, parent, depth, [&](XmlTree::Id child, Ns ns, std::string_view local) {
        if (ns == Ns::OdfDraw && (local == "object" || local == "object-ole")) {
            objects.push_back({child, std::string(frame)});
            return;
        }
        if (ns == Ns::OdfText && isParagraph(local)) {
            std::string text;
            ParagraphWriter writer(text, budget, true);
            appendInline(xml, child, depth + 1, writer);
            PlaceText(page, budget, TextPlace::Embedded, TextPlace::Embedded, name, std::move(text));
        }
        const bool isFrame = ns == Ns::OdfDraw && local == "frame";
        placeParagraphs(xml, child, depth + 1, name, page, budget,
                        isFrame ? xml.attribute(child, Ns::OdfDraw, "name").text : frame, objects);
    });
}

} // namespace

XmlTree::Id EmbeddedDocumentBody(const XmlTree& xml, XmlTree::Id document) {
    RequireDeclarationsInLimit(xml, document);
    if (xml.ns(document) != Ns::OdfOffice)
        return XmlTree::kNone;
    const auto body = ChildElement(xml, document, Ns::OdfOffice, "body");
    if (body == XmlTree::kNone)
        return body;
    for (const std::string_view kind : {"text", "spreadsheet", "presentation", "drawing"})
        if (const auto held = ChildElement(xml, body, Ns::OdfOffice, kind); held != XmlTree::kNone)
            return held;
    return XmlTree::kNone;
}

std::vector<NestedObject> ReadEmbeddedParagraphs(const XmlTree& xml, XmlTree::Id element,
                                                 const std::string& name, SlideContent& page,
                                                 ShapeBudget& budget) {
    std::vector<NestedObject> objects;
    placeParagraphs(xml, element, 0, name, page, budget, {}, objects);
    return objects;
}

SlideContent ReadPage(const XmlTree& xml, XmlTree::Id page, ShapeBudget& budget, const PageReading& how) {
    SlideContent slide;
    if (!how.pagePlace) // at most one shape a child
        slide.shapes.reserve(ChildCount(xml, page, kUsualShapesPerSlide));
    PageWalk walk{xml, slide, budget, how, how.pagePlace, {}};
    collectShapes(page, 0, 0, walk);
    if (how.allText) {
        slide.allTextRead = true;
        if (how.footer != XmlTree::kNone)
            walk.piece("footer", [&] {
                std::string text;
                ParagraphWriter writer(text, budget, true);
                appendInline(xml, how.footer, 1, writer);
                walk.place(TextPlace::Shape, {}, std::move(text));
            });
        readAllTextAfterShapes(page, walk);
    }
    return slide;
}

} // namespace orv::odf
