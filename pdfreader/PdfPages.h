#pragma once

#include "extract/pdf/PdfProtocol.h"

#include <memory>

namespace orv::pdf {

// One open PDF document of the reader process: its pages' text through
// Qt's PDF module, and in the "all text" mode the annotations of each page
// through qpdf. Every method throws orv::Failure with the refusal to send.
class PdfPages {
public:
    explicit PdfPages(const OpenRequest& request);
    ~PdfPages();
    PdfPages(const PdfPages&) = delete;
    PdfPages& operator=(const PdfPages&) = delete;

    std::uint32_t pageCount() const;
    PageAnswer page(std::uint32_t index);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace orv::pdf
