#include "support/ReadingLines.h"

#include "extract/PresentationReader.h"
#include "support/FakePictures.h"
#include "support/ReadBytes.h"

namespace orv::test {

std::vector<std::string> ReadingLines(const PresentationContent& content, bool allText) {
    std::vector<std::string> lines;
    const auto page = [&](const SlideContent& slide) {
        if (allText)
            for (const PlacedText& placed : slide.allText)
                lines.push_back(std::string(TextPlaceName(placed.place)) + ":" + placed.name + ":" +
                                placed.text);
        else
            for (const ShapeContent& shape : slide.shapes)
                lines.push_back(std::string(TextPlaceName(shape.place)) + ":" + shape.name +
                                (shape.hasTextFrame ? ":" + shape.text : ""));
        for (const SkippedPart& skipped : slide.skipped)
            lines.push_back("skipped:" + skipped.part);
    };
    for (const auto& slide : content.slides)
        page(slide);
    for (const auto& master : content.masterPages)
        page(master);
    return lines;
}

PictureReading ReadWithFakePictures(const std::string& bytes, bool allText, bool pictures) {
    auto fake = std::make_shared<FakePictures>();
    const ReadOptions options = pictures ? ReadingPictures(fake, allText) : ReadOptions{allText};
    PictureReading reading;
    reading.lines = ReadingLines(ReadPresentationBytes(BytesOf(bytes), options), allText);
    reading.read = fake->parts;
    reading.held = fake->expected;
    return reading;
}

} // namespace orv::test
