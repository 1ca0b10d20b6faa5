#pragma once

#include "extract/PresentationContent.h"
#include "extract/PresentationHost.h"

#include <optional>

namespace orv {

// Orvandel's own presentation reader behind the host operations. "Create"
// starts an instance within this process; "Attach" reaches it and fails when
// none was created; "Open" reads the whole file's slide text at once; "Quit"
// drops it. It never writes to the files it reads.
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
    // Dropping the references ends the in-process instance.
    void Release() override {
        m_attached = false;
        m_running = false;
        m_presentation.reset();
    }

private:
    const PresentationContent& active() const;
    const SlideContent& slideAt(int slide) const;
    const ShapeContent& shapeAt(int slide, int shape) const;

    bool m_running = false;
    bool m_attached = false;
    std::optional<PresentationContent> m_presentation;
};

} // namespace orv
