#pragma once

#include "extract/ByteSource.h"
#include "extract/PresentationContent.h"

namespace orv {

// Reads an Office Open XML presentation package (.pptx .pptm .ppsx .ppsm .potx
// .potm): slides in the order of the presentation's slide list, the top-level
// shapes of each slide's shape tree in document order. Throws orv::Failure with
// a plain description for anything that is not a readable presentation package.
PresentationContent ReadOoxmlPresentation(const ByteSource& source);

} // namespace orv
