// Feeds arbitrary bytes to the presentation reader, packages above all.
// Fuzzing builds skip the parts' CRC check so that edits to stored XML reach
// the parser.
// Seeds: bench/ooxml_corpus --fuzz-seeds fuzz/corpus/ooxml_fuzz
#include "ReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzPresentationReader(data, size, "ooxml_fuzz");
}
