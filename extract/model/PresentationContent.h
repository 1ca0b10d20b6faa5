#pragma once

#include "base/Failure.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orv {

// Where a piece of text stands. `Shape` is a top-level shape with a text
// frame; `Group` a shape inside a group, at any depth; `Table` a table cell;
// `Diagram` a diagram's node; `Notes` the notes page; `Comment` a comment (or
// a reply); `Link` the address of a mailto: hyperlink; `Chart` a chart's
// title, category label or series name; `Alt` a shape's alternative text
// (its title and description); `Master` and `Layout` any text of a master
// (slide, notes or handout master) or of a layout; `Embedded` any text of a
// document embedded in the deck; `Page` the text of a page of a PDF
// document, in reading order; `Picture` the text a picture shows, read by
// text recognition on request (a picture on any page keeps this place).
enum class TextPlace {
    Shape,
    Group,
    Table,
    Diagram,
    Notes,
    Comment,
    Link,
    Chart,
    Alt,
    Master,
    Layout,
    Embedded,
    Page,
    Picture
};

// Every place, in the order of the enumeration.
inline constexpr TextPlace kTextPlaces[] = {
    TextPlace::Shape,   TextPlace::Group,    TextPlace::Table, TextPlace::Diagram, TextPlace::Notes,
    TextPlace::Comment, TextPlace::Link,     TextPlace::Chart, TextPlace::Alt,     TextPlace::Master,
    TextPlace::Layout,  TextPlace::Embedded, TextPlace::Page,  TextPlace::Picture};

// What a presentation reader delivers: the slides in presentation order, each
// with its top-level shapes in z-order. Text is UTF-8, paragraphs joined by
// CR (13), a line break inside a paragraph is VT (11), field text included.
struct ShapeContent {
    ShapeContent() = default;
    ShapeContent(bool frame, std::string shapeText, std::string shapeName = {})
        : hasTextFrame(frame), text(std::move(shapeText)), name(std::move(shapeName)) {}

    bool hasTextFrame = false; // auto shapes, text boxes, placeholders
    std::string text;          // empty when the shape has no text frame
    std::string name;          // the shape's name as stored, empty when none
    // Where the text stands: a shape, or the whole text of a PDF page.
    TextPlace place = TextPlace::Shape;
};

// The lower-case word a place is written as in structured output.
std::string_view TextPlaceName(TextPlace place);

struct PlacedText {
    TextPlace place = TextPlace::Shape;
    std::string name; // of the shape (or table) that holds the text, if stored
    std::string text;
};

// A piece that only the "all text" mode reads (a part, or a place inside a
// part both walks read) that could not be read, because it is damaged or over
// a limit: skipped and named, while the rest of the file is read.
struct SkippedPart {
    std::string part;        // "ppt/notesSlides/notesSlide1.xml", "content.xml, page 3, links"
    std::string description; // why, as the failure says it
    FailureKind kind = FailureKind::Damaged;
    bool operator==(const SkippedPart&) const = default;
};

// The room a reader makes at once for a slide's shapes: a usual slide's, at
// most; a slide with more grows it as it goes.
inline constexpr std::size_t kUsualShapesPerSlide = 256;

// A slide, or in the "all text" mode a master page (a master or a layout).
struct SlideContent {
    std::vector<ShapeContent> shapes;
    // Read only in the "all text" mode (then `allTextRead` is set): every
    // text of the slide in harvest order: the shapes in z-order, entering
    // groups and tables where they stand, a chart's text where its frame
    // stands and each shape's alternative text right after its own text;
    // then diagram text, then the notes page (its text, then the addresses of
    // its mailto: links), then the comments, then the addresses of the
    // slide's mailto: links. A master page gives its texts in the same order
    // (it has no notes page or comments), each as `Master` or `Layout`.
    bool allTextRead = false;
    std::vector<PlacedText> allText;
    // The pieces the "all text" mode could not read (ReadAllTextPiece), in
    // the order met; their texts are left out and the rest is read.
    std::vector<SkippedPart> skipped;
};

struct PresentationContent {
    std::vector<SlideContent> slides;
    // In the "all text" mode, after the slides: every master and layout, in
    // the order the presentation lists them.
    std::vector<SlideContent> masterPages;
};

// What to read of each slide. The default reads the top-level shapes only.
class EmbeddedReader;
class PictureReader;
class PictureRun;
class ShapeBudget;

struct ReadOptions {
    ReadOptions(bool readAllText = false, int depth = 0, std::shared_ptr<EmbeddedReader> reader = {},
                const ShapeBudget* placedIn = nullptr)
        : allText(readAllText), embeddingDepth(depth), embedded(std::move(reader)),
          embeddingBudget(placedIn) {}

    bool allText = false;
    // Whether PDF documents are read (the record read on request): as files,
    // and in the "all text" mode as documents embedded in a deck.
    bool pdf = false;
    // Whether the pictures placed on the pages are read by text recognition
    // (on request); what the run's pictures share (set by the run); and what
    // reads a file's pictures (made by the opener from the run, shared by
    // every document of the file).
    bool pictures = false;
    std::shared_ptr<PictureRun> pictureRun;
    std::shared_ptr<PictureReader> pictureReader;
    // How deep the document being read is embedded (0: the file itself), and
    // what reads the documents it embeds in the "all text" mode (set by the
    // opener, shared by every document of one file).
    int embeddingDepth = 0;
    std::shared_ptr<EmbeddedReader> embedded;
    // For an embedded document, the budget of the page its texts are placed
    // on: what that page has room for bounds each of its parts while it is
    // parsed (PartRules).
    const ShapeBudget* embeddingBudget = nullptr;
};

} // namespace orv
