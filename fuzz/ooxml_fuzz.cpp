// Feeds arbitrary bytes to the presentation reader, packages above all:
// whatever the input, it must end in a result or an orv::Failure, never a
// crash, hang or huge allocation. Fuzzing builds skip the parts' CRC check so
// that edits to stored XML reach the parser.
// Seeds: bench/ooxml_corpus --fuzz-seeds fuzz/corpus/ooxml_fuzz
#include "AllTextCheck.h"
#include "extract/PresentationReader.h"
#include "shell/Failure.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        // Slide by slide, as the program reads: what one slide builds is
        // dropped before the next.
        const auto document = orv::OpenPresentationBytes(std::span(data, size));
        for (std::size_t i = 0; i < document->slideCount(); ++i)
            for (const auto& shape : document->readSlide(i).shapes)
                if (!shape.hasTextFrame && !shape.text.empty()) {
                    std::fprintf(stderr, "ooxml_fuzz: text on a shape without a text frame\n");
                    std::abort();
                }
    } catch (const orv::Failure&) {
    }
    // The "all text" mode too, and its top-level shapes against the default's.
    orv::fuzz::CheckBothModes(std::span(data, size));
    return 0;
}
