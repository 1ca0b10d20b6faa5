#pragma once

namespace orv::test {

// Makes the core read PDF documents, Keynote decks and the text of pictures
// with the reader processes of this build (ORVANDEL_PDF_READER,
// ORVANDEL_KEYNOTE_READER, ORVANDEL_OCR_READER), as the installed program
// finds the ones beside it.
void UseBuiltReaders();

// Kills an idle reader process and waits (up to five seconds) until it has
// ended, as a reader that died between documents leaves it: gone, or a
// zombie the core has not reaped yet.
void KillIdleReader(int pid);

} // namespace orv::test
