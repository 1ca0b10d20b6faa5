// Feeds arbitrary bytes to the presentation reader, OpenDocument presentations
// above all (packages and flat files). Fuzzing builds skip the parts' CRC
// check so that edits to stored XML reach the parser.
// Seeds: bench/ooxml_corpus --odp-fuzz-seeds fuzz/corpus/odp_fuzz, and the
// decks of tests/data/make_odp_samples.sh.
#include "ReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzPresentationReader(data, size, "odp_fuzz");
}
