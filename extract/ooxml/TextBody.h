#pragma once

#include "extract/common/XmlTree.h"

#include <string>

namespace orv::ooxml {

// Alternate content may nest; real files nest it once. The bound keeps a
// hostile part from driving a walk arbitrarily deep.
inline constexpr int kMaxAlternateContentDepth = 8;

// The branch of an mc:AlternateContent element that the presentation
// application shows, or kNone when it shows nothing. The part must have been
// parsed by the package rules (PackagePartRules), which tell whether a
// Choice's required prefixes are understood.
XmlTree::Id SelectAlternateBranch(const XmlTree& xml, XmlTree::Id alternate);

// The text of a text body (p:txBody, a:txBody, or any element whose children
// are DrawingML paragraphs): paragraphs joined with CR, a line break as VT,
// field text included.
std::string TextBodyText(const XmlTree& xml, XmlTree::Id body);

} // namespace orv::ooxml
