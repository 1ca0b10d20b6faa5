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

} // namespace orv::test
