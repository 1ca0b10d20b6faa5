#pragma once

#include "extract/common/ReaderServer.h"

#include <memory>

namespace orv::pdf {

using reader::OpenRequest;
using reader::PageAnswer;

// One open PDF document of the reader process: its pages' text through
// Qt's PDF module, and in the "all text" mode the annotations of each page
// through qpdf. Every method throws orv::Failure with the refusal to send.
class PdfPages final : public reader::ServedDocument {
public:
    explicit PdfPages(const OpenRequest& request);
    ~PdfPages() override;
    PdfPages(const PdfPages&) = delete;
    PdfPages& operator=(const PdfPages&) = delete;

    std::uint32_t pageCount() const;
    reader::Opened contents() const override { return {pageCount(), 0}; }
    PageAnswer page(std::uint32_t index) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace orv::pdf
