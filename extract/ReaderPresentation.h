#pragma once

#include "extract/PresentationHost.h"
#include "extract/model/PresentationDocument.h"

#include <memory>

namespace orv {

// A presentation one of the program's readers opened, as the harvest walks
// it. A slide is read when the walk first asks about it and dropped when the
// walk moves on to another, so memory is set by the largest slide, not by the
// presentation. When a slide cannot be read, that one failure is reported and
// the presentation counts as closed: the slides after it count nothing, so
// one bad file gives one report. Without a document (nothing opened, or the
// opening failed) it has no slides.
class ReaderPresentation final : public HarvestDocument {
public:
    explicit ReaderPresentation(std::unique_ptr<PresentationDocument> document = nullptr)
        : m_document(std::move(document)) {}

    int SlideCount() override;
    int ShapeCount(int slide) override;
    bool HasTextFrame(int slide, int shape) override;
    std::string Text(int slide, int shape) override;
    std::string ShapeName(int slide, int shape) override;
    TextPlace ShapePlace(int slide, int shape) override;
    int MasterPageCount() override;
    int PlacedTextCount(int slide) override;
    PlacedText PlacedTextAt(int slide, int index) override;
    std::vector<SkippedPart> SkippedParts(int slide) override;

private:
    const SlideContent& slideAt(int slide);
    const ShapeContent& shapeAt(int slide, int shape);

    std::unique_ptr<PresentationDocument> m_document;
    bool m_failed = false; // a slide could not be read: the rest count nothing
    int m_slideNumber = 0; // of m_slide, 1-based; 0 for none
    SlideContent m_slide;
};

} // namespace orv
