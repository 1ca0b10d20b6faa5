#pragma once

#include "extract/common/ReadFailure.h"
#include "extract/model/PresentationContent.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace orv {

struct XmlRules;

class ShapeBudget;

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
    // In the "all text" mode, the masters and layouts read after the slides,
    // then the documents the deck embeds (PresentationContent::masterPages);
    // none otherwise. The count may grow as the slides and master pages are
    // read, when they are what finds the embedded documents: ask it again
    // after each. A master page that cannot be read gives its failure as a
    // skipped part, never a Failure: only what the default walk reads decides
    // whether a file opens.
    virtual std::size_t masterPageCount() const { return 0; }
    virtual SlideContent readMasterPage(std::size_t index);
};

// Reads the documents embedded in a file, in the "all text" mode: one for
// the file and every document in it at any depth (ReadOptions::embedded), so
// that the bounds on embedded documents hold for the whole file.
class EmbeddedReader {
public:
    virtual ~EmbeddedReader() = default;
    // Reads the document `part` holds (its whole bytes), embedded in one at
    // `depth`, placing each of its texts in `page` as Embedded, named after
    // `part`, counted against `budget` (the embedding file's), and naming in
    // `page` what it skipped. False when the bytes are of no kind read here
    // (an OLE payload, a drawing): the part is left unread. Throws
    // orv::Failure when the document is damaged or over a limit.
    virtual bool read(const std::string& part, std::span<const std::uint8_t> bytes, int depth,
                      SlideContent& page, ShapeBudget& budget) = 0;
    // Counts one more document that a reader reads itself (an OpenDocument
    // sub-document, a folder of its package) against the same bounds, embedded
    // in one at `depth`. Throws orv::Failure when it is past them.
    virtual void admit(const std::string& part, int depth) = 0;
};

// The most bytes a picture may have to be read by text recognition: a larger
// one is skipped and named without being loaded.
inline constexpr std::size_t kMaxPictureBytes = 16u << 20;

// Reads the text that the pictures of one file show, on request
// (ReadOptions::pictureReader): made by the opener, shared by every document
// of the file, so that the bounds on pictures (their number, pixels and time)
// hold for the whole file. The same picture (by content) is recognised once
// per run.
class PictureReader {
public:
    virtual ~PictureReader() = default;
    // How many pictures the file's container holds, once it is opened: the
    // progress of a long run tells "picture P of Q". Readers that cannot
    // tell say nothing; an embedded document's pictures add to the count.
    virtual void expect(std::size_t pictures) = 0;
    // The text picture `part` (its whole bytes) shows: lines joined by CR,
    // words by spaces, only the words recognised surely enough; empty for a
    // vector drawing, which is passed over, and for a picture that shows no
    // text. Throws orv::Failure (damaged, over a limit) when the picture is
    // skipped; ReadPictureText names it and the file goes on.
    virtual std::string read(const std::string& part, std::span<const std::uint8_t> bytes) = 0;
};

// What the pictures of one run share (ReadOptions::pictureRun): what each
// picture read so far showed, by content, so that a picture met again (a logo
// on every slide, the same picture in another file) is recognised once.
class PictureRun {
public:
    virtual ~PictureRun() = default;
    // What reads the pictures of `file` (its path; empty for bytes).
    virtual std::shared_ptr<PictureReader> readerFor(const std::string& file) = 0;
};

// What is done with a picture's bytes while they are loaded.
using PictureBytesUse = std::function<void(std::span<const std::uint8_t> bytes)>;

// The text of picture `part` (say "ppt/slides/slide2.xml, picture
// ppt/media/image1.png") for a page of the file, read by `reader` from the
// bytes `load` loads and hands to the use it is given (so that bytes the
// container already holds, such as a package part, are read without a
// copy); `storedSize` is the picture's size as its container tells it before
// it is loaded: a picture larger than kMaxPictureBytes is not loaded. A
// picture that is skipped (damaged, over a bound) is named among the page's
// skipped parts and gives no text; the rest of the page is read.
std::string ReadPictureText(SlideContent& page, PictureReader& reader, const std::string& part,
                            std::uint64_t storedSize,
                            const std::function<void(const PictureBytesUse&)>& load);

// Counts what the slides of one file build, across slides: refuses a slide
// with more shapes or text than any real slide holds, and a file with more
// shapes or text in all than any real presentation. The readers call it as
// they go, and check text that a file can ask for in a few bytes before it is
// built.
//
// Two ledgers, each with the same bounds: the slides' top-level shapes and
// their text (what the default walk reads), and what only the "all text"
// mode reads (the texts it places, the shapes of groups, notes and master
// pages). A piece of the second kind never takes room from the first, so
// reading all text never refuses a slide that the default walk reads; a
// top-level shape's text, placed again in that mode, is counted once.
class ShapeBudget {
public:
    // One more top-level shape with `textBytes` of text on the slide being read.
    void addShape(std::size_t textBytes, FaultSite site = {});
    // A shape met by a walk: a top-level one of a slide as addShape counts
    // it, any other (in a group, on a notes or master page) on the ledger of
    // the "all text" mode, its text counted when it is placed.
    void countShape(bool topLevel, std::size_t textBytes, FaultSite site = {});
    // Refuses, before it is built, a top-level shape whose text would reach
    // `shapeTextBytes` on the slide being read, or take the file's text past
    // its bound (text that a file can ask for in a few bytes, such as a
    // count of spaces). `site` is where the text comes from, for the refusal.
    void checkShapeText(std::size_t shapeTextBytes, FaultSite site = {}) const;
    // The same for what only the "all text" mode reads: a text placed, and
    // the check of a text before it is built.
    void addText(std::size_t bytes, FaultSite site = {});
    void checkText(std::size_t textBytes, FaultSite site = {}) const;
    // The bytes of text the "all text" mode may still place on the page being
    // read: what a part read only for it may hold (XmlRules::textLimit).
    std::size_t textRoom() const;
    // Starts counting a new slide (or master page).
    void nextSlide();

private:
    struct Ledger {
        std::size_t slideShapes = 0;
        std::size_t slideText = 0;
        std::size_t fileShapes = 0;
        std::size_t fileText = 0;

        void addShape(FaultSite site);
        void addText(std::size_t bytes, FaultSite site);
        void check(std::size_t textBytes, FaultSite site) const;
    };
    Ledger m_shapes;
    Ledger m_allText;
};

// `rules` for a part read only for the "all text" mode, its text bounded
// while it is parsed (XmlRules::textLimit) by the room `budget` has left on
// the page it is read for and, in an embedded document, by the room left on
// the page of the embedding one. Past it the part is stopped while it is read.
XmlRules PartRules(XmlRules rules, const ShapeBudget& budget, const ReadOptions& options);

// Runs `read`, a piece that only the "all text" mode reads. When the file's
// kind of failure (damaged, over a limit) stops it, the piece is named in
// `skipped` as `part` and false returned; other failures go on.
template <class Read>
bool ReadOrSkip(std::vector<SkippedPart>& skipped, const std::string& part, Read&& read) {
    try {
        std::forward<Read>(read)();
        return true;
    } catch (const Failure& failure) {
        if (failure.kind() == FailureKind::Unexpected)
            throw;
        skipped.push_back({part, failure.description(), failure.kind()});
        return false;
    }
}

// Reads one piece of the slide that only the "all text" mode reads: a part
// (notes page, comments, diagram data) or a place inside a part both walks
// read (a page's links, a group's shapes). When it fails (ReadOrSkip), what it
// placed is dropped and it is named among the slide's skipped parts; the rest
// of the slide is read.
template <class Read> bool ReadAllTextPiece(SlideContent& slide, const std::string& part, Read&& read) {
    const std::size_t placed = slide.allText.size();
    if (ReadOrSkip(slide.skipped, part, std::forward<Read>(read)))
        return true;
    slide.allText.resize(placed);
    return false;
}

// The pieces of one walk (ReadAllTextPiece), where a piece met inside
// another (a group within a group) is part of it: only the outermost is
// skipped and named.
struct AllTextPieces {
    bool inside = false;

    template <class Read> bool read(SlideContent& slide, const std::string& part, Read&& read) {
        if (inside) {
            std::forward<Read>(read)();
            return true;
        }
        inside = true;
        const bool done = ReadAllTextPiece(slide, part, std::forward<Read>(read));
        inside = false;
        return done;
    }
};

// Adds one text of the "all text" mode to the slide, counted against
// `budget`. An empty text is left out. While a page other than a slide is
// walked, `pagePlace` is its place (Notes, Master, Layout), and every text
// counts as that place whatever its own, but for the address of a notes
// page's link, which stays a link, and the text of a picture, which stays a
// picture.
void PlaceText(SlideContent& slide, ShapeBudget& budget, std::optional<TextPlace> pagePlace, TextPlace where,
               std::string name, std::string text);

// Adds a top-level shape's text to the slide's texts of the "all text" mode,
// as Shape (or as `where`, the text of a top-level picture): counted already
// with the shape (ShapeBudget::addShape), so not again. An empty text is
// left out.
void PlaceShapeText(SlideContent& slide, std::string name, std::string text,
                    TextPlace where = TextPlace::Shape);

} // namespace orv
