#include "extract/NativePresentationHost.h"

#include "base/Failure.h"
#include "extract/PresentationReader.h"

namespace orv {

NativePresentationHost::NativePresentationHost(PresentationOpenFunction open)
    : m_open(open ? std::move(open) : PresentationOpenFunction(OpenPresentationFile)) {}

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
    m_active = ReaderPresentation(); // the last file goes before the next is opened
    ReadOptions options{m_allText};
    options.pdf = m_readPdf;
    options.pictures = m_pictureRun != nullptr;
    options.pictureRun = m_pictureRun;
    m_active = ReaderPresentation(m_open(path, options));
}

void NativePresentationHost::Quit() {
    m_active = ReaderPresentation();
    m_running = false;
    m_attached = false;
}

std::string NativePresentationHost::Name() {
    if (!m_attached)
        throw Failure("The presentation reader is not running.");
    return "Orvandel presentation reader";
}

} // namespace orv
