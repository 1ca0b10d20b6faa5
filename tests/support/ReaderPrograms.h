#pragma once

namespace orv::test {

// Makes the core read PDF documents, Keynote decks and the text of pictures
// with the reader processes of this build (ORVANDEL_PDF_READER,
// ORVANDEL_KEYNOTE_READER, ORVANDEL_OCR_READER), as the installed program
// finds the ones beside it.
void UseBuiltReaders();

} // namespace orv::test
