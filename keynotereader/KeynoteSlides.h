#pragma once

#include "extract/common/ReaderServer.h"

#include <memory>

namespace orv::keynote {

// One open Keynote deck of the reader process, read whole by libetonyek when
// it opens: each slide's texts apart, in the order the library gives them
// (the slide's shapes, entering groups and tables where they stand, then its
// notes and comments), then its links' targets; the master slides after the
// slides. Throws orv::Failure with the refusal to send.
class KeynoteSlides final : public reader::ServedDocument {
public:
    explicit KeynoteSlides(const reader::OpenRequest& request);
    ~KeynoteSlides() override;
    KeynoteSlides(const KeynoteSlides&) = delete;
    KeynoteSlides& operator=(const KeynoteSlides&) = delete;

    reader::Opened contents() const override;
    reader::PageAnswer page(std::uint32_t index) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace orv::keynote
