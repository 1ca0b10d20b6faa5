#pragma once

#include "extract/ByteSource.h"
#include "extract/PresentationContent.h"

namespace orv {

// Reads a presentation stored in a compound file: a binary presentation
// (.ppt .pps .pot). Recognises, and fails with a plain description, an
// encrypted (password-protected) document of either family, older binary
// presentations, and compound files that hold no presentation at all.
PresentationContent ReadCompoundFilePresentation(const ByteSource& source);

} // namespace orv
