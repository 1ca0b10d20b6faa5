#pragma once

#include "extract/model/PresentationDocument.h"
#include "extract/ocr/OcrReader.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace orv::ocr {

// The bounds on the pictures of one file. A picture past a bound is skipped
// and named; the file's other pictures and texts are still read.
struct PictureBounds {
    std::size_t picturesPerFile = 1000;
    // Pixels one picture is decoded to (ocrreader/ decodes no larger one; a
    // larger JPEG at a fraction of its size), and all the pictures of a file
    // that are recognised, together.
    std::uint64_t picturePixels = reader::kMaxDecodedPixels;
    std::uint64_t filePixels = 400'000'000;
    // The time one picture's recognition may take, and all of a file's.
    std::uint32_t pictureSeconds = 15;
    std::uint32_t fileSeconds = 60;
};

// The least confidence (0 to 100) the engine must have in a word that holds
// an '@' for the word to be read: below it, a misread letter would too often
// make a wrong address, so the word is left out.
inline constexpr float kAddressWordConfidence = 88;

// The text recognised words make: words joined by spaces, lines by CR. A word
// that could make an address (it holds an '@') is kept only when recognised
// surely enough (kAddressWordConfidence) and when the words beside it leave
// no doubt where the address begins and ends; an address the engine cut at
// its "@" or an underscore is glued together again.
std::string RecognisedText(std::span<const RecognisedWord> words,
                           float addressWordConfidence = kAddressWordConfidence);

// Recognises a picture's words within a time (RecognisePicture).
using RecogniseFunction =
    std::function<std::vector<RecognisedWord>(std::span<const std::uint8_t> picture, std::uint32_t seconds)>;

// How far the recognition of one file's pictures is.
struct PictureProgress {
    std::size_t read = 0;  // pictures read (recognised, met again or skipped)
    std::size_t total = 0; // pictures the file holds, as far as known
};

// The pictures of one run: each picture (by content: its size and a 128-bit
// hash) is recognised once, whatever file or page it is met in again, and
// what it showed, or why it was skipped, is told again from memory. A run
// can be stopped from another thread: the recognitions under way are ended
// and every picture read after that fails, so the files being read give
// nothing.
class RecognitionRun final : public PictureRun, public std::enable_shared_from_this<RecognitionRun> {
public:
    // `recognise` reads one picture (RecognisePicture in the calling thread's
    // reader process unless given).
    explicit RecognitionRun(RecogniseFunction recognise = {}, PictureBounds bounds = {});
    ~RecognitionRun() override;

    std::shared_ptr<PictureReader> readerFor(const std::string& file) override;

    // The progress of `file`'s pictures, as its reader last told it; nothing
    // read yet when it is not being read.
    PictureProgress progress(const std::string& file) const;
    // Pictures recognised in this run (not met again), for tests and figures.
    std::size_t recognitions() const;

    void stop();
    bool stopped() const;

private:
    class FileReader;
    struct State;
    std::shared_ptr<State> m_state;
};

// A run of the program's own recognition.
std::shared_ptr<PictureRun> MakePictureRun();

} // namespace orv::ocr
