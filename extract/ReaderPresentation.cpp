#include "extract/ReaderPresentation.h"

#include "base/Failure.h"

namespace orv {

int ReaderPresentation::SlideCount() {
    // After a failed Open (already reported) nothing is active: no slides, so
    // one bad file gives one report, not one per following step.
    return m_document ? static_cast<int>(m_document->slideCount()) : 0;
}

int ReaderPresentation::MasterPageCount() {
    return m_document ? static_cast<int>(m_document->masterPageCount()) : 0;
}

const SlideContent& ReaderPresentation::slideAt(int slide) {
    if (!m_document)
        throw Failure("No presentation is open.");
    const std::size_t slides = m_document->slideCount();
    if (slide < 1 || static_cast<std::size_t>(slide) > slides + m_document->masterPageCount())
        throw Failure("The slide index is out of range.");
    if (slide != m_slideNumber) {
        m_slide = {}; // the previous slide goes before the next is read
        m_slideNumber = 0;
        try {
            const auto index = static_cast<std::size_t>(slide) - 1;
            m_slide =
                index < slides ? m_document->readSlide(index) : m_document->readMasterPage(index - slides);
        } catch (...) {
            m_failed = true;
            throw;
        }
        m_slideNumber = slide;
    }
    return m_slide;
}

int ReaderPresentation::ShapeCount(int slide) {
    if (m_failed)
        return 0; // the failure that closed the reading was reported already
    return static_cast<int>(slideAt(slide).shapes.size());
}

const ShapeContent& ReaderPresentation::shapeAt(int slide, int shape) {
    const auto& shapes = slideAt(slide).shapes;
    if (shape < 1 || static_cast<std::size_t>(shape) > shapes.size())
        throw Failure("The shape index is out of range.");
    return shapes[static_cast<std::size_t>(shape) - 1];
}

bool ReaderPresentation::HasTextFrame(int slide, int shape) {
    return shapeAt(slide, shape).hasTextFrame;
}

std::string ReaderPresentation::Text(int slide, int shape) {
    const auto& s = shapeAt(slide, shape);
    if (!s.hasTextFrame)
        throw Failure("This shape has no text frame.");
    return s.text;
}

std::string ReaderPresentation::ShapeName(int slide, int shape) {
    return shapeAt(slide, shape).name;
}

TextPlace ReaderPresentation::ShapePlace(int slide, int shape) {
    return shapeAt(slide, shape).place;
}

int ReaderPresentation::PlacedTextCount(int slide) {
    if (m_failed)
        return 0;
    return static_cast<int>(slideAt(slide).allText.size());
}

PlacedText ReaderPresentation::PlacedTextAt(int slide, int index) {
    const auto& texts = slideAt(slide).allText;
    if (index < 1 || static_cast<std::size_t>(index) > texts.size())
        throw Failure("The text index is out of range.");
    return texts[static_cast<std::size_t>(index) - 1];
}

std::vector<SkippedPart> ReaderPresentation::SkippedParts(int slide) {
    return slideAt(slide).skipped;
}

} // namespace orv
