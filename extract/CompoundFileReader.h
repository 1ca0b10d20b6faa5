#pragma once

#include "extract/ByteSource.h"
#include "extract/PresentationDocument.h"

#include <memory>

namespace orv {

// Opens a presentation stored in a compound file: a binary presentation
// (.ppt .pps .pot). Recognises, and fails with a plain description, an
// encrypted (password-protected) document of either family, older binary
// presentations, and compound files that hold no presentation at all.
std::unique_ptr<PresentationDocument> OpenCompoundFilePresentation(std::unique_ptr<ByteSource> source,
                                                                   ReadOptions options = {});

} // namespace orv
