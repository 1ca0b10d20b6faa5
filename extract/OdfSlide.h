#pragma once

#include "extract/OoxmlXml.h"
#include "extract/PresentationDocument.h"

#include <pugixml.hpp>

namespace orv {

// The top-level shapes of one OpenDocument slide (a draw:page element, walked
// with the OpenDocument classifier), in document order, which is their
// z-order. Shapes that can hold text as the user sees them have a text frame:
// frames holding a text box, custom shapes, rectangles, ellipses and the
// other basic shapes, and the title, outline, subtitle and text placeholders.
// Groups, tables, pictures, charts and other objects, connectors and lines
// have none, and what they hold is not read; notes are no shapes.
//
// Text: paragraphs (headings and list items at any depth among them) joined
// with CR, a line break VT, a tab a tab, a space element its count of spaces,
// spans, links and fields as the text the file stores; raw white space is
// collapsed as OpenDocument prescribes. An empty placeholder has no text.
SlideContent ReadOdfPage(pugi::xml_node page, const NsScope& pageScope, ShapeBudget& budget);

} // namespace orv
