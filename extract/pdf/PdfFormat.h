#pragma once

#include "extract/model/PresentationFormat.h"

namespace orv::pdf {

// The record of PDF documents (decks exported or printed as PDF): read on
// request only (ReadOptions::pdf), in a reader process of its own
// (ReaderProcess), each page as a slide whose text is one text, placed as
// TextPlace::Page.
extern const PresentationFormat kFormat;

} // namespace orv::pdf
