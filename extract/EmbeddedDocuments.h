#pragma once

#include "extract/model/PresentationDocument.h"

#include <memory>

namespace orv {

// What reads the documents embedded in a file in the "all text" mode
// (ReadOptions::embedded): a deck (any format of the table) read in that
// mode, or a workbook or word-processing document of the embedded-only
// records, within the bounds of limits:: on embedded documents.
// With `pdf`, PDF documents are read too (ReadOptions::pdf); without, they
// are left unread.
// With `pictures`, their pictures are read too (ReadOptions::pictureReader,
// the embedding file's).
std::shared_ptr<EmbeddedReader> MakeEmbeddedReader(bool pdf = false,
                                                   std::shared_ptr<PictureReader> pictures = {});

} // namespace orv
