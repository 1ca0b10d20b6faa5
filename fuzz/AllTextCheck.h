#pragma once
// Reads an input in the default mode and in the "all text" mode side by side,
// slide by slide as the program reads (each slide dropped before the next).
// Each mode must end in a result or an orv::Failure. No shape without a text
// frame carries text; where both modes read a slide, its top-level shapes are
// the same in both (the window's harvest relies on it); all text holds no
// empty entry. What only all text reads decides nothing: it opens every input
// the default mode opens and reads every slide the default mode reads (a
// piece it cannot read is skipped and named), and its masters and layouts
// never fail: each is read or skipped and named. Each mode reads the input
// once.
#include "base/Failure.h"
#include "extract/PresentationReader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>

namespace orv::fuzz {

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "fuzz check: %s\n", what);
    std::abort();
}

inline std::unique_ptr<PresentationDocument> open(std::span<const std::uint8_t> bytes, bool allText) {
    try {
        return OpenPresentationBytes(bytes, ReadOptions{allText});
    } catch (const Failure&) {
        return nullptr;
    }
}

inline std::optional<SlideContent> read(PresentationDocument* document, std::size_t index) {
    if (document == nullptr || index >= document->slideCount())
        return std::nullopt;
    try {
        auto slide = document->readSlide(index);
        for (const auto& shape : slide.shapes)
            if (!shape.hasTextFrame && !shape.text.empty())
                fail("text on a shape without a text frame");
        return slide;
    } catch (const Failure&) {
        return std::nullopt; // readers may go on with later slides
    }
}

// No empty text, and every skipped piece named with its reason.
inline void checkAllText(const SlideContent& page) {
    for (const auto& placed : page.allText)
        if (placed.text.empty())
            fail("an empty text in all text");
    for (const auto& part : page.skipped)
        if (part.part.empty() || part.description.empty() || part.kind == FailureKind::Unexpected)
            fail("a skipped piece without a name or a reason");
}

inline void CheckBothModes(std::span<const std::uint8_t> bytes) {
    const auto plainDocument = open(bytes, false);
    const auto allDocument = open(bytes, true);
    if (plainDocument && !allDocument)
        fail("all text refuses an input the default mode opens");
    const std::size_t count = std::max(plainDocument ? plainDocument->slideCount() : 0,
                                       allDocument ? allDocument->slideCount() : 0);
    for (std::size_t i = 0; i < count; ++i) {
        const auto plain = read(plainDocument.get(), i);
        const auto all = read(allDocument.get(), i);
        if (plain && !all)
            fail("all text refuses a slide the default mode reads");
        if (!plain || !all)
            continue;
        if (plain->shapes.size() != all->shapes.size())
            fail("the modes give different top-level shapes");
        for (std::size_t j = 0; j < plain->shapes.size(); ++j)
            if (plain->shapes[j].text != all->shapes[j].text ||
                plain->shapes[j].hasTextFrame != all->shapes[j].hasTextFrame)
                fail("a top-level shape differs between the modes");
        if (plain->allTextRead || !all->allTextRead)
            fail("the mode flag is wrong");
        checkAllText(*all);
    }
    if (plainDocument && plainDocument->masterPageCount() != 0)
        fail("the default mode reads master pages");
    for (std::size_t i = 0; allDocument && i < allDocument->masterPageCount(); ++i) {
        try {
            const auto page = allDocument->readMasterPage(i);
            if (!page.allTextRead || !page.shapes.empty())
                fail("a master page is not read as all text");
            checkAllText(page);
        } catch (const Failure&) {
            fail("a master page fails instead of being skipped");
        }
    }
}

} // namespace orv::fuzz
