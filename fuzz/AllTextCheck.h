#pragma once
// Reads the input in the default mode and in the "all text" mode, slide by
// slide, as the program reads. Each mode must end in a result or an
// orv::Failure; where both read a slide, its top-level shapes must be the
// same in both (the window's harvest relies on it), and all text holds no
// empty entry.
#include "extract/PresentationReader.h"
#include "shell/Failure.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

namespace orv::fuzz {

inline std::vector<std::optional<SlideContent>> readEachSlide(std::span<const std::uint8_t> bytes,
                                                              bool allText) {
    std::vector<std::optional<SlideContent>> slides;
    try {
        const auto document = OpenPresentationBytes(bytes, ReadOptions{allText});
        for (std::size_t i = 0; i < document->slideCount(); ++i) {
            try {
                slides.emplace_back(document->readSlide(i));
            } catch (const Failure&) {
                slides.emplace_back(); // readers may go on with later slides
            }
        }
    } catch (const Failure&) {
    }
    return slides;
}

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "all-text check: %s\n", what);
    std::abort();
}

inline void CheckBothModes(std::span<const std::uint8_t> bytes) {
    const auto plain = readEachSlide(bytes, false);
    const auto all = readEachSlide(bytes, true);
    for (std::size_t i = 0; i < plain.size() && i < all.size(); ++i) {
        if (!plain[i] || !all[i])
            continue;
        if (plain[i]->shapes.size() != all[i]->shapes.size())
            fail("the modes give different top-level shapes");
        for (std::size_t j = 0; j < plain[i]->shapes.size(); ++j)
            if (plain[i]->shapes[j].text != all[i]->shapes[j].text ||
                plain[i]->shapes[j].hasTextFrame != all[i]->shapes[j].hasTextFrame)
                fail("a top-level shape differs between the modes");
        if (plain[i]->allTextRead || !all[i]->allTextRead)
            fail("the mode flag is wrong");
        for (const auto& placed : all[i]->allText)
            if (placed.text.empty())
                fail("an empty text in all text");
    }
}

} // namespace orv::fuzz
