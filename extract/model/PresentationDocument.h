#pragma once

#include "extract/common/ReadFailure.h"
#include "extract/model/PresentationContent.h"

#include <cstddef>
#include <memory>

namespace orv {

// An open presentation whose slides are read one at a time: opening reads the
// container and the slide list, and each slide's part (or record) is read and
// dropped when asked for, so that memory is set by the largest single slide,
// never by the whole presentation. Not shared between threads.
class PresentationDocument {
public:
    virtual ~PresentationDocument() = default;
    virtual std::size_t slideCount() const = 0;
    // The top-level shapes of slide `index` (0-based, below slideCount()).
    // Throws orv::Failure when the slide cannot be read.
    virtual SlideContent readSlide(std::size_t index) = 0;
};

// Counts what the slides of one file build, across slides: refuses a slide
// with more shapes or text than any real slide holds, and a file with more
// shapes or text in all than any real presentation. The readers call it as
// they go, and check text that a file can ask for in a few bytes before it is
// built.
class ShapeBudget {
public:
    // One more shape with `textBytes` of text on the slide being read.
    void addShape(std::size_t textBytes, FaultSite site = {});
    // Text appended to the slide being read.
    void addText(std::size_t bytes, FaultSite site = {});
    // Refuses, before it is built, a shape whose text would reach
    // `shapeTextBytes` on the slide being read, or take the file's text past
    // its bound (text that a file can ask for in a few bytes, such as a
    // count of spaces). `site` is where the text comes from, for the refusal.
    void checkShapeText(std::size_t shapeTextBytes, FaultSite site = {}) const;
    // Starts counting a new slide.
    void nextSlide();

private:
    std::size_t m_slideShapes = 0;
    std::size_t m_slideText = 0;
    std::size_t m_fileShapes = 0;
    std::size_t m_fileText = 0;
};

// Adds one text of the "all text" mode to the slide, counted against
// `budget`. An empty text is left out; while a notes page is walked
// (`notesPage`), every text counts as notes whatever its place.
void PlaceText(SlideContent& slide, ShapeBudget& budget, bool notesPage, TextPlace where, std::string name,
               std::string text);

} // namespace orv
