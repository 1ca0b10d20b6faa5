#pragma once

#include "extract/model/PresentationDocument.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv::test {

// Reads pictures without recognising anything, for tests of where the
// readers find pictures: a picture whose bytes begin "SHOWS:" shows the rest
// of its bytes; one that begins "DAMAGED" is damaged; any other shows
// nothing. Every picture read is noted, with the part it was named as.
class FakePictures final : public PictureReader {
public:
    void expect(std::size_t pictures) override { expected += pictures; }
    std::string read(const std::string& part, std::span<const std::uint8_t> bytes) override;

    std::size_t expected = 0;
    std::vector<std::string> parts;               // in the order read
    std::vector<std::vector<std::uint8_t>> bytes; // of each
};

// Options that read the pictures with `pictures`.
ReadOptions ReadingPictures(std::shared_ptr<FakePictures> pictures, bool allText = false);

// The bytes of a picture that shows `text` to FakePictures.
std::vector<std::uint8_t> PictureShowing(std::string_view text);

// A sample picture of tests/data/ocr, by name.
std::vector<std::uint8_t> OcrSample(const std::string& name);

// A PNG whose header declares the size, with nothing to decode behind it.
std::vector<std::uint8_t> PngDeclaring(std::uint32_t width, std::uint32_t height);

} // namespace orv::test
