#include "extract/ocr/OcrReader.h"

#include "base/Failure.h"

#include <string>

namespace orv::ocr {

// The reader decodes no picture to more than reader::kMaxDecodedPixels, so
// that it stays within the bound on every reader's memory.
const reader::ReaderProgram kReaderProgram{"orvandel-ocr", "ORVANDEL_OCR_READER", "text recognition reader",
                                           "picture"};

std::vector<RecognisedWord> RecognisePicture(std::span<const std::uint8_t> picture, std::uint32_t seconds) {
    // An empty request would travel as a file's path.
    if (picture.empty())
        throw Failure(FailureKind::Damaged, "The picture is empty.");
    if (picture.size() > kMaxPictureBytes)
        throw Failure(FailureKind::OverLimit, "The picture is too large to read safely: it is larger than " +
                                                  std::to_string(kMaxPictureBytes >> 20) + " MiB.");
    reader::OpenRequest request;
    request.cpuSeconds = seconds;
    request.bytes.assign(picture.begin(), picture.end());
    reader::ReaderProcess& process = reader::ReaderProcess::ForThisThread(kReaderProgram);
    const reader::Opened opened = process.open(request);
    if (opened.pages != 1)
        throw Failure(FailureKind::Damaged,
                      "The text recognition reader gave a broken answer: a picture of " +
                          std::to_string(opened.pages) + " pages.");
    return process.page(process.generation(), 0).words;
}

std::optional<std::string> RecognitionUnavailable() {
    static constexpr std::string_view kOnePixel = "P5 1 1 255\n\xff";
    try {
        RecognisePicture({reinterpret_cast<const std::uint8_t*>(kOnePixel.data()), kOnePixel.size()}, 5);
    } catch (const Failure& failure) {
        if (failure.kind() == FailureKind::InputOutput)
            return failure.description();
    }
    return std::nullopt;
}

} // namespace orv::ocr
