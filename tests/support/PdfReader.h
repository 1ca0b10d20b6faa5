#pragma once

namespace orv::test {

// Makes the core read PDF documents with the orvandel-pdf of this build
// (ORVANDEL_PDF_READER), as the installed program finds the one beside it.
void UseBuiltPdfReader();

} // namespace orv::test
