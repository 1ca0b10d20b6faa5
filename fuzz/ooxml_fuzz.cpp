// Feeds arbitrary bytes to the presentation reader, packages above all:
// whatever the input, it must end in a result or an orv::Failure, never a
// crash, hang or huge allocation. Fuzzing builds skip the parts' CRC check so
// that edits to stored XML reach the parser.
// Seeds: bench/ooxml_corpus --fuzz-seeds fuzz/corpus/ooxml_fuzz
#include "extract/PresentationReader.h"
#include "shell/Failure.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto content = orv::ReadPresentationBytes(std::span(data, size));
        for (const auto& slide : content.slides)
            for (const auto& shape : slide.shapes)
                if (!shape.hasTextFrame && !shape.text.empty()) {
                    std::fprintf(stderr, "ooxml_fuzz: text on a shape without a text frame\n");
                    std::abort();
                }
    } catch (const orv::Failure&) {
    }
    return 0;
}
