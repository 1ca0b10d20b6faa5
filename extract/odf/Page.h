#pragma once

#include "extract/common/XmlTree.h"
#include "extract/model/PresentationDocument.h"

#include <string>

namespace orv::odf {

// The top-level shapes of one OpenDocument slide (a draw:page element of
// `xml`), in document order, which is their z-order. Shapes that can hold
// text as the user sees them have a text frame: frames holding a text box,
// custom shapes, rectangles, ellipses and the other basic shapes, and the
// title, outline, subtitle and text placeholders.
// Groups, tables, pictures, charts and other objects, connectors and lines
// have none, and what they hold is not read; notes are no shapes.
//
// Text: paragraphs (headings and list items at any depth among them) joined
// with CR, a line break VT, a tab a tab, a space element its count of spaces,
// spans, links and fields as the text the file stores; raw white space is
// collapsed as OpenDocument prescribes. An empty placeholder has no text.
//
// With `allText`, the slide's texts (SlideContent::allText) are read too, in
// the harvest order: the shapes in document order, entering groups (draw:g,
// at most limits::kMaxGroupDepth deep) and tables (a frame showing
// table:table, cells row by row) where they stand, each text named by its
// shape's draw:name; then the shapes of presentation:notes; then the
// comments on the page (office:annotation, officeooo:annotation); then the
// addresses of the mailto: targets of text:a and draw:a. The shapes are the
// same as without it.
//
// What only the "all text" mode reads (groups, tables, notes, comments,
// links) is read piece by piece: a piece that overruns a limit is skipped
// and named after `where` ("content.xml, page 3, links").
SlideContent ReadPage(const XmlTree& xml, XmlTree::Id page, ShapeBudget& budget, bool allText = false,
                      const std::string& where = {});

} // namespace orv::odf
