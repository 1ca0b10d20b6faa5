#pragma once

#include "extract/common/ReaderProcess.h"
#include "extract/model/PresentationFormat.h"

namespace orv::pdf {

// The record of PDF documents (decks exported or printed as PDF): read on
// request only (ReadOptions::pdf), in a reader process of its own
// (ReaderProcess), each page as a slide whose text is one text, placed as
// TextPlace::Page.
extern const PresentationFormat kFormat;

// The reader process of PDF documents (pdfreader/).
extern const reader::ReaderProgram kReaderProgram;

} // namespace orv::pdf
