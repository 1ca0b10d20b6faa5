// The PDF reader process of Orvandel: reads the PDF documents the core asks
// for, one at a time, over its standard input and output (extract/common/
// ReaderProtocol.h), under a bound on its memory and on each document's
// processor time, so that no document can take the program down with it.
//
//   orvandel-pdf --memory-mib N
#include "extract/common/ReaderServer.h"
#include "pdfreader/PdfPages.h"

#include <QCoreApplication>

#include <malloc.h>

int main(int argc, char** argv) {
    orv::reader::BoundReaderProcess(argc, argv);
    // The library takes and gives back large blocks for every page; kept in
    // the heap rather than mapped and unmapped each time, they cost no page
    // faults. The address-space bound still holds.
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
    QCoreApplication application(argc, argv);
    return orv::reader::ServeDocuments(
        [](const orv::reader::OpenRequest& request) { return std::make_unique<orv::pdf::PdfPages>(request); },
        "The file is damaged: the PDF library cannot read it.");
}
