#include "support/PdfReader.h"

#include <cstdlib>

namespace orv::test {

void UseBuiltPdfReader() {
    ::setenv("ORVANDEL_PDF_READER", ORVANDEL_PDF_READER_PATH, 1);
}

} // namespace orv::test
