#include "support/FakePictures.h"

#include "base/Failure.h"

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

} // namespace orv::test
