#pragma once

namespace orv::test {

// Makes the core read PDF documents and Keynote decks with the reader
// processes of this build (ORVANDEL_PDF_READER, ORVANDEL_KEYNOTE_READER), as
// the installed program finds the ones beside it.
void UseBuiltReaders();

} // namespace orv::test
