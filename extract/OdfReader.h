#pragma once

#include "extract/ByteSource.h"
#include "extract/PresentationContent.h"
#include "extract/PresentationDocument.h"
#include "extract/ZipPackage.h"

#include <memory>

namespace orv {

// OpenDocument presentations (.odp .otp, and the flat single-file form .fodp):
// slides are the draw:page elements of the presentation in document order;
// what a slide gives is described with ReadOdfPage. The whole content part
// (or flat file) is parsed when opening, within the part limits, and each
// slide is walked when asked for. Failures are orv::Failure with a plain
// description: another kind of document named as such, password-protected,
// damaged, or beyond a limit.

// True for a zip package that holds a "mimetype" entry or a manifest, as
// OpenDocument packages do.
bool IsOpenDocumentPackage(const ZipPackage& zip);

// `zip` must read `source`. `options` says what each slide read gives.
std::unique_ptr<PresentationDocument>
OpenOdfPackage(std::unique_ptr<ByteSource> source, std::unique_ptr<ZipPackage> zip, ReadOptions options = {});

// True when the first bytes of `source` look like XML naming the OpenDocument
// office vocabulary, as a flat document's root element does.
bool LooksLikeFlatOpenDocument(const ByteSource& source);

std::unique_ptr<PresentationDocument> OpenFlatOdf(std::unique_ptr<ByteSource> source,
                                                  ReadOptions options = {});

} // namespace orv
