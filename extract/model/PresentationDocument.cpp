#include "extract/model/PresentationDocument.h"

#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"

#include <string>

namespace orv {

void PlaceText(SlideContent& slide, ShapeBudget& budget, bool notesPage, TextPlace where, std::string name,
               std::string text) {
    if (text.empty())
        return;
    budget.addText(text.size());
    slide.allText.push_back({notesPage ? TextPlace::Notes : where, std::move(name), std::move(text)});
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
    }
    return "shape";
}

void ShapeBudget::addShape(std::size_t textBytes) {
    if (++m_slideShapes > limits::kMaxShapesPerSlide)
        ThrowOverLimit("a slide holds more than " + std::to_string(limits::kMaxShapesPerSlide) + " shapes");
    if (++m_fileShapes > limits::kMaxShapesPerFile)
        ThrowOverLimit("its slides hold more than " + std::to_string(limits::kMaxShapesPerFile) +
                       " shapes in all");
    addText(textBytes);
}

void ShapeBudget::addText(std::size_t bytes) {
    m_slideText += bytes;
    checkShapeText(0);
}

void ShapeBudget::checkShapeText(std::size_t shapeTextBytes) const {
    if (shapeTextBytes > limits::kMaxTextPerSlide || m_slideText > limits::kMaxTextPerSlide - shapeTextBytes)
        ThrowOverLimit("a slide holds more than " + std::to_string(limits::kMaxTextPerSlide >> 20) +
                       " MiB of text");
}

void ShapeBudget::nextSlide() {
    m_slideShapes = 0;
    m_slideText = 0;
}

} // namespace orv
