// Feeds arbitrary bytes to the presentation reader, packages above all.
// Fuzzing builds skip the parts' CRC check so that edits to stored XML reach
// the parser.
// Seeds: bench/ooxml_corpus --fuzz-seeds fuzz/corpus/ooxml_fuzz
#include "AllTextCheck.h"
#include "PictureCheck.h"
#include "base/Failure.h"
#include "extract/PresentationReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Both modes, slide by slide, as the program reads; then with the
    // pictures read.
    orv::fuzz::CheckBothModes(std::span(data, size));
    orv::fuzz::CheckPictures(std::span(data, size));
    return 0;
}
