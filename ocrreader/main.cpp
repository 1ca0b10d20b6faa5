// The text recognition reader process of Orvandel: reads the text the
// pictures the core sends show, one at a time, over its standard input and
// output (extract/common/ReaderProtocol.h), under a bound on its memory and
// on each picture's processor time, so that no picture can take the program
// down with it.
//
//   orvandel-ocr --memory-mib N
#include "extract/common/ReaderServer.h"
#include "ocrreader/PictureText.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    // One core per reader, so that a run on N cores takes N however many
    // pictures it meets. The engine's threads are OpenMP's, whose runtime
    // reads its limit as the program loads, before main: so the program sets
    // it and starts again with it, before anything else. Should that fail,
    // it goes on with the threads the runtime chose.
    if (const char* limit = std::getenv("OMP_THREAD_LIMIT");
        limit == nullptr || std::strcmp(limit, "1") != 0) {
        ::setenv("OMP_THREAD_LIMIT", "1", 1);
        ::execv("/proc/self/exe", argv);
    }
    orv::reader::BoundReaderProcess(argc, argv);
    orv::ocr::TextRecognition engine;
    return orv::reader::ServeDocuments(
        [&engine](const orv::reader::OpenRequest& request) { return engine.recognise(request); },
        "The picture is damaged: the text recognition cannot read it.");
}
