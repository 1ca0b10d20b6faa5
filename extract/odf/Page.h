#pragma once

#include "extract/common/XmlPart.h"
#include "extract/common/XmlTree.h"
#include "extract/model/PresentationDocument.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv::odf {

// The sub-documents of a package that frames show (draw:object), for the
// "all text" mode, which reads the charts among them where their frames
// stand, and the documents of other kinds after the master pages. A flat
// file holds its objects inline.
class EmbeddedObjects {
public:
    virtual ~EmbeddedObjects() = default;
    // The content part of the chart that a draw:object's xlink:href names
    // ("./Object 1" gives "Object 1/content.xml"), or nothing when it names
    // no chart of the package: an object of another kind, or none at all.
    virtual std::optional<std::string> chartPart(std::string_view href) const = 0;
    // The part, read and parsed. Throws orv::Failure when it is missing,
    // damaged or over a limit.
    virtual XmlPart readPart(const std::string& name) = 0;
    // An object that shows no chart (draw:object, draw:object-ole), noted to
    // be read after the master pages when it is a document: `href` names a
    // sub-document or a file of the package; `document` is the
    // office:document a flat file holds inline, named `name`.
    virtual void noteObject(std::string_view href) = 0;
    virtual void noteInlineObject(XmlTree::Id document, std::string name) = 0;
};

// The pictures of a package that frames show (draw:image), read by text
// recognition on request.
class PagePictures {
public:
    virtual ~PagePictures() = default;
    // The text the picture `href` (an xlink:href, "Pictures/1.png") shows,
    // read for `page`, whose pieces are named after `where`; "" when it
    // names no file of the package (an external picture, a missing one). A
    // picture that is skipped is named among the page's skipped parts.
    virtual std::string pictureText(std::string_view href, const std::string& where, SlideContent& page) = 0;
};

// How a page is read.
struct PageReading {
    bool allText = false;
    // What the pieces only the "all text" mode reads are named after:
    // "content.xml, page 3", "styles.xml, master page Default".
    std::string where;
    // The place of every text of a page that is no slide (TextPlace::Master).
    std::optional<TextPlace> pagePlace;
    EmbeddedObjects* objects = nullptr; // a package's, for its charts
    // The presentation:footer-decl the page names by its
    // presentation:use-footer-name, if any: the footer set on the slide.
    XmlTree::Id footer = XmlTree::kNone;
    // What reads the pictures of the page, when they are read (a package's).
    PagePictures* pictures = nullptr;
};

// The top-level shapes of one OpenDocument slide (a draw:page element of
// `xml`), in document order, which is their z-order. Shapes that can hold
// text as the user sees them have a text frame: frames holding a text box,
// custom shapes, rectangles, ellipses and the other basic shapes, and the
// title, outline, subtitle and text placeholders.
// Groups, tables, pictures, charts and other objects, connectors and lines
// have none, and what they hold is not read; notes are no shapes. With
// `pictures`, a frame showing a picture (its first draw:image; the others are
// replacements) is a shape named by its draw:name whose text is what the
// picture shows, as TextPlace::Picture, in every walk and page.
//
// Text: paragraphs (headings and list items at any depth among them) joined
// with CR, a line break VT, a tab a tab, a space element its count of spaces,
// spans, links and fields as the text the file stores; raw white space is
// collapsed as OpenDocument prescribes. An empty placeholder has no text.
//
// In the "all text" mode, the slide's texts (SlideContent::allText) are read
// too, in the harvest order: the shapes in document order, entering groups
// (draw:g, at most limits::kMaxGroupDepth deep) and tables (a frame showing
// table:table, cells row by row) where they stand, and a frame's chart (a
// draw:object whose sub-document is an office:chart: its title, subtitle,
// footer and axis titles, then the text cells of its table's header rows and
// first column) where the frame stands; each shape's svg:title and svg:desc
// right after all the shape shows; each text named by its shape's draw:name.
// Then the shapes of presentation:notes and the addresses of their mailto:
// links; then the comments on the page (office:annotation,
// officeooo:annotation); then the addresses of the page's mailto: targets
// (text:a, draw:a and the event listeners of its shapes), each once. The
// footer set on the slide (`footer`) comes right after the shapes, as a
// shape's text without a name. The shapes are the same as without it.
//
// A master page (style:master-page, style:handout-master) is read alike with
// `pagePlace` Master: its notes (the notes master) after its shapes, every
// text as Master.
//
// What only the "all text" mode reads (groups, tables, charts, alternative
// text, notes, comments, links) is read piece by piece: a piece that
// overruns a limit is skipped and named after `where` ("content.xml, page 3,
// links"), a chart part that cannot be read after the part.
SlideContent ReadPage(const XmlTree& xml, XmlTree::Id page, ShapeBudget& budget, const PageReading& how = {});

// What an embedded document's office:body holds (office:text, spreadsheet,
// presentation or drawing), `document` being the root of its content part or
// the office:document a flat file holds inline; kNone when it is no document
// of these kinds (a chart, a formula).
XmlTree::Id EmbeddedDocumentBody(const XmlTree& xml, XmlTree::Id document);

// An object (draw:object, draw:object-ole) met in an embedded document, and
// the name of the frame that shows it (empty when none).
struct NestedObject {
    XmlTree::Id object;
    std::string frame;
};

// Every paragraph (text:p, text:h) under `element` at any depth (in table
// cells, lists, sections, frames, notes and annotations), each its own text
// in document order, placed in `page` as Embedded and named `name`: the text
// of a document embedded in the deck. The objects it shows are documents of
// their own, embedded one level deeper: not entered, but returned in
// document order. Throws orv::Failure when it nests too deep or overruns
// the budget.
std::vector<NestedObject> ReadEmbeddedParagraphs(const XmlTree& xml, XmlTree::Id element,
                                                 const std::string& name, SlideContent& page,
                                                 ShapeBudget& budget);

} // namespace orv::odf
