#include "extract/OdfSlide.h"

#include "extract/OoxmlAllText.h"
#include "extract/ReadLimits.h"
#include "shell/Failure.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace orv {

namespace {

[[noreturn]] void nestedTooDeep() {
    throw Failure("The presentation is too large to read safely: a slide's shapes or text nest more than " +
                  std::to_string(limits::kMaxTextNesting) + " levels deep.");
}

bool isRawSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isOneOf(std::string_view local, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), local) != names.end();
}

// Writes one paragraph's text, collapsing raw white space as OpenDocument
// prescribes: each run of spaces, tabs, CRs and LFs in character data counts
// as one space, and none counts at the start or end of the paragraph. Space,
// tab and line-break elements are written as they are and are not collapsed.
// The space is written lazily, before the next text, so that a trailing run
// never is.
class ParagraphWriter {
public:
    ParagraphWriter(std::string& out, const ShapeBudget& budget) : m_out(out), m_budget(budget) {}

    void characters(std::string_view data) {
        if (onlyLoneSpaces(data))
            appendLoneSpaced(data);
        else
            appendCollapsing(data);
    }

    void spaces(std::size_t count) {
        flush();
        m_budget.checkShapeText(m_out.size() < std::numeric_limits<std::size_t>::max() - count
                                    ? m_out.size() + count
                                    : std::numeric_limits<std::size_t>::max());
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
    bool m_atStart = true;
    bool m_pendingSpace = false;
};

// text:c of a space element: how many spaces it stands for (1 when absent or
// unreadable; a count beyond any size is refused by the writer's budget).
std::size_t spaceCount(pugi::xml_node element, const NsScope& scope) {
    const char* text = scope.attribute(element, Ns::OdfText, "c");
    if (text == nullptr)
        return 1;
    const char* end = text + std::strlen(text);
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
    return ns == Ns::Other || ns == Ns::OdfOfficeExt || ns == Ns::OdfXLink;
}

bool processesContent(pugi::xml_node foreign, const NsScope& scope) {
    const char* value = scope.attribute(foreign, Ns::OdfOffice, "process-content");
    return value == nullptr || std::string_view(value) != "false";
}

// A paragraph's content, in document order. Per the standard, the character
// data of note bodies, ruby text, annotations and shapes anchored in the text
// is not part of the paragraph; a foreign element's content is, unless it
// says office:process-content="false". Numbering labels are left out as list
// bullets are.
void appendInline(pugi::xml_node element, const NsScope& scope, int depth, ParagraphWriter& writer) {
    if (depth > limits::kMaxTextNesting)
        nestedTooDeep();
    writer.characters(element.value()); // leading character data, embedded by the parser
    for (auto child = element.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            writer.characters(child.value());
            continue;
        }
        if (child.type() != pugi::node_element)
            continue;
        const ChildScope childScope(scope, child);
        std::string_view local;
        const Ns ns = childScope->nameOfSelf(child, local);
        if (ns == Ns::OdfText) {
            if (local == "s")
                writer.spaces(spaceCount(child, *childScope));
            else if (local == "tab")
                writer.put('\t');
            else if (local == "line-break")
                writer.put('\v');
            else if (!isOneOf(local, {"note-body", "ruby-text", "number"}))
                // Spans, links, fields and the like read as their text; the
                // "all text" mode reads links' targets apart.
                appendInline(child, *childScope, depth + 1, writer);
        } else if (ns == Ns::OdfOffice || ns == Ns::OdfDraw || ns == Ns::OdfDr3d) {
            continue; // annotations; frames and shapes anchored in the text
        } else if (!isForeign(ns) || processesContent(child, *childScope)) {
            appendInline(child, *childScope, depth + 1, writer);
        }
    }
}

// Calls visit(child, childScope, ns, local) for each child element of
// `parent`, in document order, `depth` levels below the shape or page.
template <typename Visit>
void forEachElement(pugi::xml_node parent, const NsScope& scope, int depth, Visit&& visit) {
    if (depth > limits::kMaxTextNesting)
        nestedTooDeep();
    for (auto child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        const ChildScope childScope(scope, child);
        std::string_view local;
        const Ns ns = childScope->nameOfSelf(child, local);
        visit(child, *childScope, ns, local);
    }
}

// The paragraphs of a text box or shape, at any depth of lists and sections,
// joined with CR. Tables inside a text box are not read.
void appendParagraphs(pugi::xml_node container, const NsScope& scope, int depth, const ShapeBudget& budget,
                      std::string& text, bool& first) {
    forEachElement(container, scope, depth,
                   [&](pugi::xml_node child, const NsScope& childScope, Ns ns, std::string_view local) {
                       if (ns != Ns::OdfText)
                           return;
                       if (local == "p" || local == "h") {
                           if (!first)
                               text += '\r';
                           first = false;
                           ParagraphWriter writer(text, budget);
                           appendInline(child, childScope, depth + 1, writer);
                       } else if (isOneOf(local, {"list", "list-item", "list-header", "numbered-paragraph",
                                                  "section"})) {
                           appendParagraphs(child, childScope, depth + 1, budget, text, first);
                       }
                   });
}

std::string textOf(pugi::xml_node container, const NsScope& scope, const ShapeBudget& budget) {
    std::string text;
    bool first = true;
    appendParagraphs(container, scope, 0, budget, text, first);
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

bool isTextPlaceholderClass(std::string_view presentationClass) {
    return isOneOf(presentationClass, {"title", "outline", "subtitle", "text"});
}

// A frame shows its first content element: a text box gives it a text frame;
// a picture, object, applet, plug-in, floating frame or table does not. A
// frame with no content (an empty placeholder) has a text frame when its
// placeholder class is a text one.
struct FrameContent {
    bool hasTextFrame = false;
    pugi::xml_node textBox;
    pugi::xml_node table; // when the frame shows a table
};

FrameContent frameContent(pugi::xml_node frame, const NsScope& frameScope) {
    for (auto child = frame.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        const ChildScope childScope(frameScope, child);
        std::string_view local;
        const Ns ns = childScope->nameOfSelf(child, local);
        if (ns == Ns::OdfDraw && local == "text-box")
            return {true, child, {}};
        if (ns == Ns::OdfTable && local == "table")
            return {false, {}, child};
        if (ns == Ns::OdfDraw &&
            isOneOf(local, {"image", "object", "object-ole", "applet", "plugin", "floating-frame"}))
            return {};
    }
    const char* presentationClass = frameScope.attribute(frame, Ns::OdfPresentation, "class");
    return {presentationClass != nullptr && isTextPlaceholderClass(presentationClass), {}, {}};
}

// A placeholder still showing its prompt ("Click to add Title") holds no text.
bool isEmptyPlaceholder(pugi::xml_node shape, const NsScope& shapeScope) {
    const char* placeholder = shapeScope.attribute(shape, Ns::OdfPresentation, "placeholder");
    return placeholder != nullptr && std::string_view(placeholder) == "true";
}

std::string nameOf(pugi::xml_node shape, const NsScope& shapeScope) {
    const char* name = shapeScope.attribute(shape, Ns::OdfDraw, "name");
    return name != nullptr ? name : std::string();
}

bool isComment(Ns ns, std::string_view local) {
    return (ns == Ns::OdfOffice || ns == Ns::OdfOfficeExt) && local == "annotation";
}

bool isNotes(Ns ns, std::string_view local) {
    return ns == Ns::OdfPresentation && local == "notes";
}

// One walk over a page. The top-level shapes always become the slide's
// shapes. In the "all text" mode every text also goes, in document order
// (z-order), to the slide's texts: groups are entered where they stand and
// tables give their cells row by row.
struct PageWalk {
    SlideContent& slide;
    ShapeBudget& budget;
    bool allText = false;
    bool notesPage = false; // every text then counts as notes, none as a shape

    void place(TextPlace where, std::string name, std::string text) {
        if (text.empty())
            return;
        budget.addText(text.size());
        slide.allText.push_back({notesPage ? TextPlace::Notes : where, std::move(name), std::move(text)});
    }
};

// The cells of a table, row by row (rows inside header, body and row groups
// where they stand); covered cells, hidden under a merged one, are left out.
void readTableRows(pugi::xml_node container, const NsScope& scope, int depth, const std::string& name,
                   PageWalk& walk) {
    forEachElement(container, scope, depth,
                   [&](pugi::xml_node child, const NsScope& childScope, Ns ns, std::string_view local) {
                       if (ns != Ns::OdfTable)
                           return;
                       if (local == "table-row") {
                           forEachElement(child, childScope, depth + 1,
                                          [&](pugi::xml_node cell, const NsScope& cellScope, Ns cellNs,
                                              std::string_view cellLocal) {
                                              if (cellNs == Ns::OdfTable && cellLocal == "table-cell")
                                                  walk.place(TextPlace::Table, name,
                                                             textOf(cell, cellScope, walk.budget));
                                          });
                       } else if (isOneOf(local, {"table-header-rows", "table-rows", "table-row-group"})) {
                           readTableRows(child, childScope, depth + 1, name, walk);
                       }
                   });
}

// One shape, or nothing for an element that is no shape. `groupDepth` counts
// the groups entered (all-text mode only); only shapes at depth 0 of a page
// are the slide's shapes.
void addShape(pugi::xml_node element, const NsScope& scope, ShapeKind kind, int depth, int groupDepth,
              PageWalk& walk);

void collectShapes(pugi::xml_node container, const NsScope& scope, int depth, int groupDepth,
                   PageWalk& walk) {
    forEachElement(container, scope, depth,
                   [&](pugi::xml_node child, const NsScope& childScope, Ns ns, std::string_view local) {
                       addShape(child, childScope, kindOf(ns, local), depth, groupDepth, walk);
                   });
}

void addShape(pugi::xml_node element, const NsScope& scope, ShapeKind kind, int depth, int groupDepth,
              PageWalk& walk) {
    const bool topLevel = groupDepth == 0 && !walk.notesPage;
    ShapeContent shape;
    std::string name;
    if (walk.allText && kind != ShapeKind::NotAShape && kind != ShapeKind::Link)
        name = nameOf(element, scope);
    switch (kind) {
    case ShapeKind::NotAShape:
        // Notes (presentation:notes), comments, forms, animations, titles and
        // descriptions of the page: the "all text" mode reads the notes and
        // comments after the shapes.
        return;
    case ShapeKind::Link:
        // A shape made a hyperlink: the shapes it wraps stand in its place.
        collectShapes(element, scope, depth + 1, groupDepth, walk);
        return;
    case ShapeKind::WithoutText:
        break;
    case ShapeKind::Group:
        if (walk.allText) {
            if (groupDepth >= limits::kMaxGroupDepth)
                throw Failure("The presentation is damaged: a slide nests groups more than " +
                              std::to_string(limits::kMaxGroupDepth) + " deep.");
            collectShapes(element, scope, depth + 1, groupDepth + 1, walk);
        }
        break;
    case ShapeKind::WithText:
        shape.hasTextFrame = true;
        shape.text = textOf(element, scope, walk.budget);
        break;
    case ShapeKind::Frame: {
        const FrameContent content = frameContent(element, scope);
        shape.hasTextFrame = content.hasTextFrame;
        if (content.textBox) {
            const ChildScope boxScope(scope, content.textBox);
            shape.text = textOf(content.textBox, *boxScope, walk.budget);
        } else if (content.table && walk.allText) {
            const ChildScope tableScope(scope, content.table);
            readTableRows(content.table, *tableScope, depth + 1, name, walk);
        }
        break;
    }
    }
    if (shape.hasTextFrame && isEmptyPlaceholder(element, scope))
        shape.text.clear();
    walk.budget.addShape(shape.text.size());
    if (walk.allText)
        walk.place(topLevel ? TextPlace::Shape : TextPlace::Group, std::move(name), shape.text);
    if (topLevel)
        walk.slide.shapes.push_back(std::move(shape));
}

// The addresses of the mailto: links (xlink:href of text:a and draw:a) of the
// page's shapes, at any depth, in document order, each target once; links in
// the notes and comments are theirs, not the slide's.
void appendLinks(pugi::xml_node parent, const NsScope& scope, int depth, std::vector<std::string>& seen,
                 PageWalk& walk) {
    forEachElement(parent, scope, depth,
                   [&](pugi::xml_node child, const NsScope& childScope, Ns ns, std::string_view local) {
                       if (isNotes(ns, local) || isComment(ns, local))
                           return;
                       if ((ns == Ns::OdfText || ns == Ns::OdfDraw) && local == "a") {
                           const char* href = childScope.attribute(child, Ns::OdfXLink, "href");
                           if (href != nullptr && std::find(seen.begin(), seen.end(), href) == seen.end()) {
                               seen.emplace_back(href);
                               if (auto address = MailtoAddress(href))
                                   walk.place(TextPlace::Link, {}, std::move(*address));
                           }
                       }
                       appendLinks(child, childScope, depth + 1, seen, walk);
                   });
}

// What the "all text" mode reads after the shapes: the notes' shapes, the
// comments on the page (the paragraphs of each, not its author or date), then
// the links.
void readAllTextAfterShapes(pugi::xml_node page, const NsScope& pageScope, PageWalk& walk) {
    walk.notesPage = true;
    forEachElement(page, pageScope, 0,
                   [&](pugi::xml_node child, const NsScope& childScope, Ns ns, std::string_view local) {
                       if (isNotes(ns, local))
                           collectShapes(child, childScope, 1, 0, walk);
                   });
    walk.notesPage = false;
    forEachElement(page, pageScope, 0,
                   [&](pugi::xml_node child, const NsScope& childScope, Ns ns, std::string_view local) {
                       if (isComment(ns, local))
                           walk.place(TextPlace::Comment, {}, textOf(child, childScope, walk.budget));
                   });
    std::vector<std::string> seen;
    appendLinks(page, pageScope, 0, seen, walk);
}

} // namespace

SlideContent ReadOdfPage(pugi::xml_node page, const NsScope& pageScope, ShapeBudget& budget, bool allText) {
    SlideContent slide;
    PageWalk walk{slide, budget, allText, false};
    collectShapes(page, pageScope, 0, 0, walk);
    if (allText) {
        slide.allTextRead = true;
        readAllTextAfterShapes(page, pageScope, walk);
    }
    return slide;
}

} // namespace orv
