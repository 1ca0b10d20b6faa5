#include "support/ReadingLines.h"

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

} // namespace orv::test
