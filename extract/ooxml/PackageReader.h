#pragma once

#include "extract/common/XmlTree.h"
#include "extract/model/PresentationFormat.h"

namespace orv::ooxml {

// Office Open XML presentation packages, templates and slide shows, macros
// or not: slides in the order of the presentation's slide list, the top-level
// shapes of each slide's shape tree in document order. Bids on every zip
// container, below any reader that recognises the container as its own; opening
// refuses with a plain description (orv::Failure) anything that is not a
// readable presentation package, and a slide that cannot be read fails when
// it is read. With options.allText each slide also gives every text it holds,
// in harvest order (SlideContent).
extern const PresentationFormat kFormat;

// The rules a slide, notes, master or layout part is parsed by: the elements
// the walk of the mode passes over are skipped; with `pictures` (read by text
// recognition) the shapes' picture fills and pictures are kept.
XmlRules ShapeTreeRules(bool allText, bool pictures = false);

} // namespace orv::ooxml
