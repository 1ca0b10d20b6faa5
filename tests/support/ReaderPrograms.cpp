#include "support/ReaderPrograms.h"

#include <cstdlib>

namespace orv::test {

void UseBuiltReaders() {
    ::setenv("ORVANDEL_PDF_READER", ORVANDEL_PDF_READER_PATH, 1);
    ::setenv("ORVANDEL_KEYNOTE_READER", ORVANDEL_KEYNOTE_READER_PATH, 1);
    ::setenv("ORVANDEL_OCR_READER", ORVANDEL_OCR_READER_PATH, 1);
}

} // namespace orv::test
