#include "extract/NativePresentationHost.h"

#include "base/Failure.h"
#include "extract/PresentationReader.h"

namespace orv {

namespace {

// With all text, every text of the slide stands as one shape that holds it,
// so the harvest reads them in their order.
std::vector<ShapeContent> textsAsShapes(const SlideContent& slide) {
    std::vector<ShapeContent> shapes;
    shapes.reserve(slide.allText.size());
    for (const auto& placed : slide.allText)
        shapes.emplace_back(true, placed.text, placed.name);
    return shapes;
}

} // namespace

void NativePresentationHost::Create() {
    m_running = true;
}

void NativePresentationHost::Attach() {
    if (!m_running)
        throw Failure("The presentation reader is not running.");
    m_attached = true;
}

void NativePresentationHost::Open(const std::string& path) {
    if (!m_running)
        throw Failure("The presentation reader is not running.");
    close();
    m_presentation = OpenPresentationFile(path, ReadOptions{m_allText});
}

void NativePresentationHost::close() {
    m_presentation.reset();
    m_failed = false;
    m_slideNumber = 0;
    m_slide = {};
}

int NativePresentationHost::SlideCount() {
    // After a failed Open (already reported) nothing is active: no slides, so
    // one bad file gives one report, not one per following step.
    return m_presentation ? static_cast<int>(m_presentation->slideCount()) : 0;
}

const SlideContent& NativePresentationHost::slideAt(int slide) {
    if (!m_presentation)
        throw Failure("No presentation is open.");
    if (slide < 1 || static_cast<std::size_t>(slide) > m_presentation->slideCount())
        throw Failure("The slide index is out of range.");
    if (slide != m_slideNumber) {
        m_slide = {}; // the previous slide goes before the next is read
        m_slideNumber = 0;
        try {
            m_slide = m_presentation->readSlide(static_cast<std::size_t>(slide) - 1);
            if (m_slide.allTextRead)
                m_slide.shapes = textsAsShapes(m_slide);
        } catch (...) {
            m_failed = true;
            throw;
        }
        m_slideNumber = slide;
    }
    return m_slide;
}

int NativePresentationHost::ShapeCount(int slide) {
    if (m_failed)
        return 0; // the failure that closed the reading was reported already
    return static_cast<int>(slideAt(slide).shapes.size());
}

const ShapeContent& NativePresentationHost::shapeAt(int slide, int shape) {
    const auto& shapes = slideAt(slide).shapes;
    if (shape < 1 || static_cast<std::size_t>(shape) > shapes.size())
        throw Failure("The shape index is out of range.");
    return shapes[static_cast<std::size_t>(shape) - 1];
}

bool NativePresentationHost::HasTextFrame(int slide, int shape) {
    return shapeAt(slide, shape).hasTextFrame;
}

std::string NativePresentationHost::Text(int slide, int shape) {
    const auto& s = shapeAt(slide, shape);
    if (!s.hasTextFrame)
        throw Failure("This shape has no text frame.");
    return s.text;
}

void NativePresentationHost::Quit() {
    close();
    m_running = false;
    m_attached = false;
}

std::string NativePresentationHost::Name() {
    if (!m_attached)
        throw Failure("The presentation reader is not running.");
    return "Orvandel presentation reader";
}

} // namespace orv
