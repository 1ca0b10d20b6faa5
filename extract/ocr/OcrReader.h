#pragma once

#include "extract/common/ReaderProcess.h"
#include "extract/common/ReaderProtocol.h"
#include "extract/model/PresentationDocument.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orv::ocr {

// The text recognition reader process (ocrreader/), which reads the text
// pictures show, on request only.
extern const reader::ReaderProgram kReaderProgram;

// A word recognised in a picture: its text, the engine's confidence in it
// (0 to 100), and whether it ends its line.
using RecognisedWord = reader::RecognisedWord;

// Recognises the words a picture (PNG, JPEG, GIF, TIFF, BMP, WebP, as its
// bytes) shows, in reading order, in the calling thread's reader process,
// within `seconds` of time. Throws orv::Failure: damaged for a picture that
// cannot be decoded; over a limit for one too large to decode safely, or
// whose recognition overruns its time (the reader goes on), or that takes
// the reader down (a new one reads the next); input/output when the reader
// or the engine's English data is not installed, which holds for every
// picture alike.
std::vector<RecognisedWord> RecognisePicture(std::span<const std::uint8_t> picture, std::uint32_t seconds);

// Why no picture can be read (the reader or the engine's English data is not
// installed), found by reading a picture of one pixel in the calling thread's
// reader process; nothing when pictures can be read.
std::optional<std::string> RecognitionUnavailable();

} // namespace orv::ocr
