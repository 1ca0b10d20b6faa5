#pragma once

#include "extract/PresentationHost.h"
#include "extract/model/PresentationDocument.h"

#include <memory>

namespace orv {

// Orvandel's own presentation reader behind the host operations. "Create"
// starts an instance within this process; "Attach" reaches it and fails when
// none was created; "Quit"
// drops it. It never writes to the files it reads.
//
// "Open" reads the file's container and slide list only; a slide is read when
// the harvest first asks about it and dropped when it moves on to another, so
// memory is set by the largest slide, not by the presentation. When a slide
// cannot be read, that one failure is reported and the presentation is closed:
// the slides after it count no shapes, so one bad file gives one report.
class NativePresentationHost final : public PresentationHost {
public:
    void Create() override;
    void Attach() override;
    void Show() override {}
    void Open(const std::string& path) override;
    int SlideCount() override;
    int ShapeCount(int slide) override;
    bool HasTextFrame(int slide, int shape) override;
    std::string Text(int slide, int shape) override;
    void Quit() override;
    std::string Name() override;
    void SetAllText(bool allText) override { m_allText = allText; }
    // Dropping the references ends the in-process instance.
    void Release() override {
        m_attached = false;
        m_running = false;
        close();
    }

private:
    void close();
    const SlideContent& slideAt(int slide);
    const ShapeContent& shapeAt(int slide, int shape);

    bool m_running = false;
    bool m_attached = false;
    bool m_failed = false; // a slide could not be read: the rest count nothing
    bool m_allText = false;
    std::unique_ptr<PresentationDocument> m_presentation;
    int m_slideNumber = 0; // of m_slide, 1-based; 0 for none
    SlideContent m_slide;
};

} // namespace orv
