#pragma once

#include "extract/common/XmlTree.h"
#include "extract/model/PresentationFormat.h"

namespace orv::odf {

// OpenDocument presentations and their templates, as a zip package or as one
// flat XML file: slides are the draw:page elements of the presentation in
// document order; what a slide gives is described with ReadPage. The whole
// content part (or flat file) is parsed when opening, within the part limits,
// and each slide is walked when asked for. In the "all text" mode the master
// pages follow the slides (a package's styles.xml is parsed, under the same
// limits, on the first look at them), and the charts that frames show are
// read where they stand, a package's chart part when its frame is walked.
// Failures are orv::Failure with a plain description: another kind of
// document named as such, password-protected, damaged, or beyond a limit.

// Bids on a zip package that holds a "mimetype" entry or a manifest, as
// OpenDocument packages do.
extern const PresentationFormat kPackageFormat;

// Bids on a file whose first bytes look like XML naming the OpenDocument
// office vocabulary, as a flat document's root element does.
extern const PresentationFormat kFlatFormat;

// The rules a package's content part is parsed by: styles, scripts,
// settings, metadata, the master pages and custom shapes' geometry skipped,
// and the notes pages too but in the "all text" mode.
const XmlRules& ContentRules(bool allText);

} // namespace orv::odf
