// The Keynote reader process of Orvandel: reads the Keynote decks the core
// asks for through libetonyek, one at a time, over its standard input and
// output (extract/common/ReaderProtocol.h), under a bound on its memory and
// on each deck's processor time, so that no deck can take the program down
// with it.
//
//   orvandel-keynote --memory-mib N
#include "extract/common/ReaderServer.h"
#include "keynotereader/KeynoteSlides.h"

#include <liblangtag/langtag.h>

int main(int argc, char** argv) {
    orv::reader::BoundReaderProcess(argc, argv);
    // The library looks up the language of each text in liblangtag's
    // database, which is parsed anew whenever nobody holds it: held for the
    // process's life, a deck of the current format reads ten times faster.
    lt_db_initialize();
    return orv::reader::ServeDocuments(
        [](const orv::reader::OpenRequest& request) {
            return std::make_unique<orv::keynote::KeynoteSlides>(request);
        },
        "The file is damaged: the Keynote library cannot read it.");
}
