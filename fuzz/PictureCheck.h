#pragma once
// Reads an input with its pictures requested (in the "all text" mode, which
// walks every page that holds them) beside the default mode. Reading the
// pictures decides nothing: it opens every input and reads every slide the
// default mode does, a picture it cannot read being skipped and named, and
// the slide's shapes that are no pictures are the default mode's, text for
// text. The pictures are "recognised" by their bytes: no engine runs. Only
// an input that names a folder of pictures is read so (a zip's directory
// holds the names as written), so that the hostile seeds, read twice
// already, keep within the time one input has.
#include "AllTextCheck.h"
#include "extract/model/PresentationDocument.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orv::fuzz {

// A picture shows its first bytes (up to 64), or is damaged when it begins
// with 'D'.
class BytePictures final : public PictureReader {
public:
    void expect(std::size_t) override {}
    std::string read(const std::string& part, std::span<const std::uint8_t> bytes) override {
        if (part.empty())
            fail("a picture read without a name");
        if (!bytes.empty() && bytes.front() == 'D')
            throw Failure(FailureKind::Damaged, "The picture is damaged.", part);
        return {bytes.begin(),
                bytes.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(bytes.size(), 64))};
    }
};

// The texts of the slide's shapes with a text frame that are no pictures.
inline std::vector<std::string> shapeTexts(const SlideContent& slide) {
    std::vector<std::string> texts;
    for (const auto& shape : slide.shapes)
        if (shape.hasTextFrame && shape.place != TextPlace::Picture)
            texts.push_back(shape.text);
    return texts;
}

inline void CheckPictures(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.find("ppt/media/") == std::string_view::npos && text.find("Pictures/") == std::string_view::npos)
        return;
    const auto plainDocument = open(bytes, false);
    std::unique_ptr<PresentationDocument> document;
    try {
        ReadOptions options{true};
        options.pictures = true;
        options.pictureReader = std::make_shared<BytePictures>();
        document = OpenPresentationBytes(bytes, options);
    } catch (const Failure&) {
    }
    if (plainDocument && !document)
        fail("reading pictures refuses an input the default mode opens");
    for (std::size_t i = 0; plainDocument && i < plainDocument->slideCount(); ++i) {
        const auto plain = read(plainDocument.get(), i);
        const auto withPictures = read(document.get(), i);
        if (plain && !withPictures)
            fail("reading pictures refuses a slide the default mode reads");
        if (!plain || !withPictures)
            continue;
        if (shapeTexts(*plain) != shapeTexts(*withPictures))
            fail("reading pictures changes the shapes that are no pictures");
        checkAllText(*withPictures);
    }
    for (std::size_t i = 0; document && i < document->masterPageCount(); ++i) {
        try {
            checkAllText(document->readMasterPage(i));
        } catch (const Failure&) {
            fail("a master page fails instead of being skipped");
        }
    }
}

} // namespace orv::fuzz
