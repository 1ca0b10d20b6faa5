// Feeds arbitrary bytes to the presentation reader, OpenDocument presentations
// above all (packages and flat files): whatever the input, it must end in a
// result or an orv::Failure, never a crash, hang or huge allocation. Fuzzing
// builds skip the parts' CRC check so that edits to stored XML reach the
// parser.
// Seeds: bench/ooxml_corpus --odp-fuzz-seeds fuzz/corpus/odp_fuzz, and the
// decks of tests/data/make_odp_samples.sh.
#include "extract/PresentationReader.h"
#include "shell/Failure.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto document = orv::OpenPresentationBytes(std::span(data, size));
        for (std::size_t i = 0; i < document->slideCount(); ++i)
            for (const auto& shape : document->readSlide(i).shapes)
                if (!shape.hasTextFrame && !shape.text.empty()) {
                    std::fprintf(stderr, "odp_fuzz: text on a shape without a text frame\n");
                    std::abort();
                }
    } catch (const orv::Failure&) {
    }
    return 0;
}
