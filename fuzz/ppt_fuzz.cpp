// Feeds arbitrary bytes to the presentation reader: whatever the input, it must
// end in a result or an orv::Failure, never a crash, hang or huge allocation,
// in the default mode and in the "all text" mode alike, and again with the
// pictures read (by a stand-in for text recognition): the file's picture count
// is told once per document, the shapes that are not pictures are those read
// without pictures, and a picture that cannot be read is named.
#include "AllTextCheck.h"
#include "base/Failure.h"
#include "extract/PresentationReader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace {

using namespace orv;

// Recognises a picture whose bytes begin "SHOWS:" as showing the rest; one
// that begins "DAMAGED" is damaged; any other shows nothing.
class StandInPictures final : public PictureReader {
public:
    void expect(std::size_t) override { ++told; }
    std::string read(const std::string& part, std::span<const std::uint8_t> bytes) override {
        const std::string_view shown(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (shown.starts_with("DAMAGED"))
            throw Failure(FailureKind::Damaged, "The picture is damaged.", part);
        return shown.starts_with("SHOWS:") ? std::string(shown.substr(6)) : std::string();
    }
    int told = 0;
};

// Whether the texts of `withPictures`' shapes that are no pictures come, in
// order, among those of `without`'s shapes.
bool sameShapesBesidePictures(const SlideContent& withPictures, const SlideContent& without) {
    std::size_t next = 0;
    for (const ShapeContent& shape : withPictures.shapes) {
        if (shape.place == TextPlace::Picture)
            continue;
        while (next < without.shapes.size() && without.shapes[next].text != shape.text)
            ++next;
        if (next++ == without.shapes.size())
            return false;
    }
    return true;
}

void checkPictures(std::span<const std::uint8_t> bytes, bool allText) {
    const auto pictures = std::make_shared<StandInPictures>();
    ReadOptions options{allText};
    options.pictures = true;
    options.pictureReader = pictures;
    std::unique_ptr<PresentationDocument> document;
    try {
        document = OpenPresentationBytes(bytes, options);
    } catch (const Failure&) {
        if (fuzz::open(bytes, allText))
            fuzz::fail("reading pictures refuses an input read without them");
        return;
    }
    if (pictures->told != 1)
        fuzz::fail("the picture count is not told once");
    const auto without = fuzz::open(bytes, allText);
    for (std::size_t i = 0; i < document->slideCount(); ++i) {
        const auto slide = fuzz::read(document.get(), i);
        const auto plain = fuzz::read(without.get(), i);
        if (slide && plain && !sameShapesBesidePictures(*slide, *plain))
            fuzz::fail("pictures change the shapes beside them");
        if (slide)
            fuzz::checkAllText(*slide);
    }
    for (std::size_t i = 0; i < document->masterPageCount(); ++i) {
        try {
            fuzz::checkAllText(document->readMasterPage(i));
        } catch (const Failure&) {
            fuzz::fail("a master page fails instead of being skipped");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Both modes, slide by slide, as the program reads.
    orv::fuzz::CheckBothModes(std::span(data, size));
    checkPictures(std::span(data, size), false);
    checkPictures(std::span(data, size), true);
    return 0;
}
