#pragma once

#include "extract/common/ByteSource.h"
#include "extract/model/PresentationDocument.h"

#include <memory>

namespace orv::ppt {

// The slides of a binary presentation, from its current-user stream and its
// document stream: opening follows the newest edit, merges the persist
// directory over all older edits and reads the document's slide list; each
// slide's record is read, with its top-level shapes, when asked for (and, with
// options.allText, with every text it holds in harvest order; the masters are
// then read after the slides the same way, a master that cannot be read
// named among its skipped parts). Throws
// orv::Failure for an encrypted document, one written by PowerPoint 95 or
// older, and a damaged one. Both streams must outlive the object.
// Whether a Current User stream has the form that PowerPoint 95 and older
// wrote (the length of the user's name, then the name) rather than the
// record of 97 and later.
bool IsOlderCurrentUser(const ByteSource& currentUser);

class BinarySlides {
public:
    // With options.pictureReader, the pictures the slides show are read
    // from `pictures` (the "Pictures" stream, nullptr when the file has
    // none), which must outlive the object too.
    BinarySlides(const ByteSource& currentUser, const ByteSource& document, ReadOptions options = {},
                 const ByteSource* pictures = nullptr);
    ~BinarySlides();
    BinarySlides(const BinarySlides&) = delete;
    BinarySlides& operator=(const BinarySlides&) = delete;

    std::size_t count() const;
    SlideContent read(std::size_t index);
    std::size_t masterCount() const; // none unless options.allText
    SlideContent readMaster(std::size_t index);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace orv::ppt
