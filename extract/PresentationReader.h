#pragma once

#include "extract/PresentationContent.h"

#include <cstdint>
#include <span>
#include <string>

namespace orv {

// Reads a presentation file, recognising its format from its content (an Office
// Open XML package, or a binary presentation in a compound file). Throws
// orv::Failure with a plain description when the file is missing, is a folder,
// is empty, is no presentation, is damaged or is password-protected. Reads only
// the parts that hold slide text; never writes to the file.
PresentationContent ReadPresentationFile(const std::string& path);

// The same for a presentation held in memory (the fuzzers and some tests).
PresentationContent ReadPresentationBytes(std::span<const std::uint8_t> bytes);

} // namespace orv
