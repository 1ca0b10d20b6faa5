#pragma once

#include "extract/model/PresentationContent.h"

#include <string>
#include <vector>

namespace orv::test {

// What a reading gives, page by page (the slides, then the master pages), as
// lines to compare: in the default walk each shape as "place:name:text"
// ("place:name" without a text frame), in the all-text mode each text placed
// as "place:name:text"; then each piece the page skipped, as "skipped:part".
std::vector<std::string> ReadingLines(const PresentationContent& content, bool allText);

// A deck's bytes read with its pictures read by FakePictures (or, without
// `pictures`, not read): the reading's lines, the parts of the pictures read
// in order, and the pictures the deck told it holds.
struct PictureReading {
    std::vector<std::string> lines;
    std::vector<std::string> read;
    std::size_t held = 0;
};
PictureReading ReadWithFakePictures(const std::string& bytes, bool allText, bool pictures);

} // namespace orv::test
