#pragma once

// The body the presentation reader targets share: open the bytes and read
// them slide by slide, as the program reads (what one slide builds is dropped
// before the next). Whatever the input, this must end in a result or an
// orv::Failure, never a crash, hang or huge allocation; a shape without a
// text frame that carries text is a reader fault too.
#include "extract/PresentationReader.h"
#include "shell/Failure.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

inline int FuzzPresentationReader(const std::uint8_t* data, std::size_t size, const char* target) {
    try {
        const auto document = orv::OpenPresentationBytes(std::span(data, size));
        for (std::size_t i = 0; i < document->slideCount(); ++i)
            for (const auto& shape : document->readSlide(i).shapes)
                if (!shape.hasTextFrame && !shape.text.empty()) {
                    std::fprintf(stderr, "%s: text on a shape without a text frame\n", target);
                    std::abort();
                }
    } catch (const orv::Failure&) {
    }
    return 0;
}
