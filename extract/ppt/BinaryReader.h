#pragma once

#include "extract/model/PresentationFormat.h"

namespace orv::ppt {

// Binary presentations, their templates and slide shows, kept in a compound
// file. Bids on every compound file; opening recognises, and fails with a
// plain description (orv::Failure), an encrypted (password-protected)
// document of either family, older binary presentations, and compound files
// that hold no presentation at all.
extern const PresentationFormat kFormat;

} // namespace orv::ppt
