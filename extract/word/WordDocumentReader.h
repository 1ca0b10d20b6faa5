#pragma once

#include "extract/model/PresentationFormat.h"

namespace orv::word {

// Text documents (WordprocessingML packages, macros or not), read for their
// text, as a presentation holds them embedded. Bids above the presentation
// package reader on a zip whose main document is a text document: by its
// content type, or, where that names no office format, by its root element.
//
// Each part that holds text is a page, in this order: the main document,
// its headers, then its footers (each in the order of the main document's
// relationships), the footnotes, the endnotes and the comments. Reading a
// page gives no shapes and one text per paragraph, in the order the
// paragraphs begin, each named after the part, as `Shape`: the text of its
// runs (a tab as TAB, a line break as VT), inside links, fields' results,
// smart tags, content controls and table cells alike; a text box's
// paragraphs follow the paragraph that holds it. Deleted and moved-away text
// and field instructions are left out. After the paragraphs come the
// addresses of the part's mailto: links, as `Link`; relationships that
// cannot be read are skipped and named. A damaged part fails (orv::Failure)
// when it is read.
extern const PresentationFormat kFormat;

} // namespace orv::word
