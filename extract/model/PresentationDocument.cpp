#include "extract/model/PresentationDocument.h"

#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"

#include <string>

namespace orv {

SlideContent PresentationDocument::readMasterPage(std::size_t) {
    throw Failure("The presentation has no master pages.");
}

void PlaceText(SlideContent& slide, ShapeBudget& budget, std::optional<TextPlace> pagePlace, TextPlace where,
               std::string name, std::string text) {
    if (text.empty())
        return;
    budget.addText(text.size());
    const bool ownPlace = !pagePlace || (*pagePlace == TextPlace::Notes && where == TextPlace::Link);
    slide.allText.push_back({ownPlace ? where : *pagePlace, std::move(name), std::move(text)});
}

std::string_view TextPlaceName(TextPlace place) {
    switch (place) {
    case TextPlace::Shape:
        return "shape";
    case TextPlace::Group:
        return "group";
    case TextPlace::Table:
        return "table";
    case TextPlace::Diagram:
        return "diagram";
    case TextPlace::Notes:
        return "notes";
    case TextPlace::Comment:
        return "comment";
    case TextPlace::Link:
        return "link";
    case TextPlace::Chart:
        return "chart";
    case TextPlace::Alt:
        return "alt";
    case TextPlace::Master:
        return "master";
    case TextPlace::Layout:
        return "layout";
    case TextPlace::Embedded:
        return "embedded";
    }
    return "shape";
}

void ShapeBudget::addShape(std::size_t textBytes, FaultSite site) {
    if (++m_slideShapes > limits::kMaxShapesPerSlide)
        ThrowOverLimit("a slide holds more than " + std::to_string(limits::kMaxShapesPerSlide) + " shapes",
                       site);
    if (++m_fileShapes > limits::kMaxShapesPerFile)
        ThrowOverLimit("its slides hold more than " + std::to_string(limits::kMaxShapesPerFile) +
                           " shapes in all",
                       site);
    addText(textBytes, site);
}

void ShapeBudget::addText(std::size_t bytes, FaultSite site) {
    checkShapeText(bytes, site);
    m_slideText += bytes;
    m_fileText += bytes;
}

void ShapeBudget::checkShapeText(std::size_t shapeTextBytes, FaultSite site) const {
    if (shapeTextBytes > limits::kMaxTextPerSlide || m_slideText > limits::kMaxTextPerSlide - shapeTextBytes)
        ThrowOverLimit("a slide holds more than " + std::to_string(limits::kMaxTextPerSlide >> 20) +
                           " MiB of text",
                       site);
    if (m_fileText > limits::kMaxTextPerFile - shapeTextBytes)
        ThrowOverLimit("its slides hold more than " + std::to_string(limits::kMaxTextPerFile >> 20) +
                           " MiB of text in all",
                       site);
}

void ShapeBudget::nextSlide() {
    m_slideShapes = 0;
    m_slideText = 0;
}

} // namespace orv
