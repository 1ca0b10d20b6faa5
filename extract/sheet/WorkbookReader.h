#pragma once

#include "extract/model/PresentationFormat.h"

namespace orv::sheet {

// Workbooks (SpreadsheetML packages, macros or not), read for their text, as
// a presentation holds them embedded. Bids above the presentation package
// reader on a zip whose main document is a workbook: by its content type, or,
// where that names no office format, by its root element.
//
// Each worksheet is a page, in the order of the workbook's sheet list
// (chart sheets and dialog sheets hold no cells and are left out). Reading a
// page gives no shapes and every text of the sheet, each named after the
// sheet: the text of each cell in row order (shared strings, inline strings
// and formula results stored as text; numbers, booleans, errors and dates
// are no text), as `Shape`; then its cell comments, as `Comment`; then the
// addresses of its mailto: links, as `Link`. A comments part or the sheet's
// relationships that cannot be read are skipped and named; a damaged sheet
// or workbook fails (orv::Failure). Opening reads the sheet list and the
// shared strings; each sheet is read and dropped when asked for.
extern const PresentationFormat kFormat;

} // namespace orv::sheet
