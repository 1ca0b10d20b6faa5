// Feeds arbitrary bytes to the presentation reader, OpenDocument presentations
// above all (packages and flat files), in the default and the "all text"
// mode. Fuzzing builds skip the parts' CRC check so that edits to stored XML
// reach the parser.
// Seeds: bench/ooxml_corpus --odp-fuzz-seeds fuzz/corpus/odp_fuzz,
// bench/all_text_seeds fuzz/corpus, and the decks of
// tests/data/make_odp_samples.sh.
#include "AllTextCheck.h"
#include "PictureCheck.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Both modes, slide by slide, as the program reads; then with the
    // pictures read.
    orv::fuzz::CheckBothModes(std::span(data, size));
    orv::fuzz::CheckPictures(std::span(data, size));
    return 0;
}
