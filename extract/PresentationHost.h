#pragma once

#include "extract/model/PresentationContent.h"

#include <string>
#include <vector>

namespace orv {

// The presentation a host holds open, as the harvest walks it: what the
// presentation application's active presentation answers (PowerPoint's
// ActivePresentation, or one of the program's readers here). Indices are
// 1-based. Every operation reports trouble by throwing orv::Failure with a
// plain description.
class HarvestDocument {
public:
    virtual ~HarvestDocument() = default;

    virtual int SlideCount() = 0;
    virtual int ShapeCount(int slide) = 0;
    virtual bool HasTextFrame(int slide, int shape) = 0;
    virtual std::string Text(int slide, int shape) = 0;
    // The shape's name as stored, empty when it has none.
    virtual std::string ShapeName(int slide, int shape) = 0;
    // Where the shape's text stands: a shape, or a PDF page's whole text.
    virtual TextPlace ShapePlace(int /*slide*/, int /*shape*/) { return TextPlace::Shape; }
    // With all text asked for (PresentationHost::SetAllText): the masters
    // and layouts and the embedded documents, read after the slides (their
    // count may grow as pages are read: PresentationDocument::
    // masterPageCount); and every text of a slide, each
    // with where it stands, in the one documented order
    // (SlideContent::allText). For these, slide numbers past SlideCount()
    // stand for the master pages, SlideCount() + 1 the first.
    virtual int MasterPageCount() = 0;
    virtual int PlacedTextCount(int slide) = 0;
    virtual PlacedText PlacedTextAt(int slide, int index) = 0;
    // The pieces of the slide the "all text" mode could not read and left
    // out (SlideContent::skipped).
    virtual std::vector<SkippedPart> SkippedParts(int slide) = 0;
};

// The life cycle of the presentation application the harvest talks to.
// Create starts (or finds) the application; Attach reaches the running one
// and fails when none runs; Open makes a presentation the active one; Quit
// ends the application. Every operation reports trouble by throwing
// orv::Failure with a plain description.
class PresentationHost {
public:
    virtual ~PresentationHost() = default;

    virtual void Create() = 0;
    virtual void Attach() = 0;
    virtual void Show() = 0;
    virtual void Open(const std::string& path) = 0;
    // The presentation the last Open made active.
    virtual HarvestDocument& ActivePresentation() = 0;
    virtual void Quit() = 0;
    virtual std::string Name() = 0;
    // Drops the references Create and Attach gave, without quitting.
    virtual void Release() = 0;
    // Asks for every text of the presentations opened from now on
    // (HarvestDocument::PlacedTextCount). A host that cannot give them gives
    // none.
    virtual void SetAllText(bool /*allText*/) {}
    // Asks for PDF documents to be read (ReadOptions::pdf) from now on. A
    // host that cannot read them refuses them.
    virtual void SetReadPdf(bool /*readPdf*/) {}
    // Asks for the pictures of the presentations opened from now on to be
    // read by text recognition, sharing `run` (ReadOptions::pictureRun); none
    // stops it. A host that cannot read them reads none.
    virtual void SetReadPictures(std::shared_ptr<PictureRun> /*run*/) {}
};

} // namespace orv
