#include "support/FakePictures.h"

#include "base/Failure.h"
#include "support/TempDir.h"

#include <zlib.h>

namespace orv::test {

std::string FakePictures::read(const std::string& part, std::span<const std::uint8_t> bytes) {
    parts.push_back(part);
    this->bytes.emplace_back(bytes.begin(), bytes.end());
    const std::string_view shown(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (shown.starts_with("DAMAGED"))
        throw Failure(FailureKind::Damaged, "The picture is damaged: its header is damaged.", part);
    if (shown.starts_with("SHOWS:"))
        return std::string(shown.substr(6));
    return {};
}

ReadOptions ReadingPictures(std::shared_ptr<FakePictures> pictures, bool allText) {
    ReadOptions options{allText};
    options.pictures = true;
    options.pictureReader = std::move(pictures);
    return options;
}

std::vector<std::uint8_t> PictureShowing(std::string_view text) {
    const std::string shown = "SHOWS:" + std::string(text);
    return {shown.begin(), shown.end()};
}

std::vector<std::uint8_t> OcrSample(const std::string& name) {
    const std::string bytes = ReadFileBytes(ORVANDEL_SOURCE_DIR "/tests/data/ocr/" + name);
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint8_t> PngDeclaring(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n',
                                  0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    const auto put32 = [&png](std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            png.push_back(static_cast<std::uint8_t>(value >> shift));
    };
    put32(width);
    put32(height);
    png.insert(png.end(), {8, 2, 0, 0, 0});
    put32(static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17)));
    put32(0);
    png.insert(png.end(), {'I', 'E', 'N', 'D', 0xae, 0x42, 0x60, 0x82});
    return png;
}

} // namespace orv::test
