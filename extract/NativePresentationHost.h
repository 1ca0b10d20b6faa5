#pragma once

#include "extract/PresentationHost.h"
#include "extract/ReaderPresentation.h"
#include "extract/model/PresentationDocument.h"

#include <functional>
#include <memory>
#include <string>

namespace orv {

// Opens a presentation for reading slide by slide: OpenPresentationFile in
// the program, stand-ins in tests.
using PresentationOpenFunction =
    std::function<std::unique_ptr<PresentationDocument>(const std::string& path, ReadOptions options)>;

// Orvandel's own presentation reader behind the host operations. "Create"
// starts an instance within this process; "Attach" reaches it and fails when
// none was created; "Quit" drops it. It never writes to the files it reads.
// "Open" reads the file's container and slide list only; the active
// presentation reads each slide when the harvest reaches it
// (ReaderPresentation).
class NativePresentationHost final : public PresentationHost {
public:
    // `open` opens the files (OpenPresentationFile unless given).
    explicit NativePresentationHost(PresentationOpenFunction open = {});

    void Create() override;
    void Attach() override;
    void Show() override {}
    void Open(const std::string& path) override;
    HarvestDocument& ActivePresentation() override { return m_active; }
    void Quit() override;
    std::string Name() override;
    void SetAllText(bool allText) override { m_allText = allText; }
    void SetReadPdf(bool readPdf) override { m_readPdf = readPdf; }
    void SetReadPictures(std::shared_ptr<PictureRun> run) override { m_pictureRun = std::move(run); }
    // Dropping the references ends the in-process instance.
    void Release() override {
        m_attached = false;
        m_running = false;
        m_active = ReaderPresentation();
    }

private:
    PresentationOpenFunction m_open;
    bool m_running = false;
    bool m_attached = false;
    bool m_allText = false;
    bool m_readPdf = false;
    std::shared_ptr<PictureRun> m_pictureRun;
    ReaderPresentation m_active;
};

} // namespace orv
