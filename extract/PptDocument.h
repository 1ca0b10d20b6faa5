#pragma once

#include "extract/ByteSource.h"
#include "extract/PresentationContent.h"

namespace orv::ppt {

// Reads the slides of a binary presentation from its current-user stream and
// its document stream: the newest edit, the persist directory merged over all
// older edits, the document's slide list, and each slide's top-level shapes.
// Throws orv::Failure for an encrypted document, one written by PowerPoint 95
// or older, and a damaged one.
PresentationContent readBinaryPresentation(const ByteSource& currentUser, const ByteSource& document);

} // namespace orv::ppt
