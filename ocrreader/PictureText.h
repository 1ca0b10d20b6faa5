#pragma once

#include "extract/common/ReaderServer.h"

#include <cstdint>
#include <memory>

namespace orv::ocr {

// The engine refuses a side longer than this (after a JPEG's reduction,
// reader::JpegReduction).
inline constexpr std::int32_t kMaxPictureSide = 32'767;

// The text recognition engine of the reader process, loaded once with its
// English data (from TESSDATA_PREFIX when set, else the engine's own
// folder) and used for every picture. Without the data, every picture is
// refused with the same message, which names the package to install.
class TextRecognition {
public:
    TextRecognition();
    ~TextRecognition();
    TextRecognition(const TextRecognition&) = delete;
    TextRecognition& operator=(const TextRecognition&) = delete;

    // Recognises the text of the picture the request's bytes hold, within the
    // request's seconds (wall-clock: the process is bound to one core): a
    // document of one page, whose answer holds the recognised lines as its
    // text and their words with the engine's confidence. Throws orv::Failure
    // with the refusal to send; the engine stays usable after any.
    std::unique_ptr<reader::ServedDocument> recognise(const reader::OpenRequest& request);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace orv::ocr
