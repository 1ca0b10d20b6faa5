#pragma once

#include "extract/ByteSource.h"
#include "extract/PresentationDocument.h"
#include "extract/ZipPackage.h"

#include <memory>

namespace orv {

// Opens an Office Open XML presentation package (.pptx .pptm .ppsx .ppsm .potx
// .potm): slides in the order of the presentation's slide list, the top-level
// shapes of each slide's shape tree in document order. Throws orv::Failure with
// a plain description for anything that is not a readable presentation package
// (when opening, or for a slide, when it is read). With options.allText each
// slide also gives every text it holds, in harvest order (SlideContent).
std::unique_ptr<PresentationDocument> OpenOoxmlPresentation(std::unique_ptr<ByteSource> source,
                                                            ReadOptions options = {});
// The same over a zip container already opened on `source`.
std::unique_ptr<PresentationDocument> OpenOoxmlPresentation(std::unique_ptr<ByteSource> source,
                                                            std::unique_ptr<ZipPackage> zip,
                                                            ReadOptions options = {});

} // namespace orv
