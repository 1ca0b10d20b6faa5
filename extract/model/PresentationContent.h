#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orv {

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
};

// Where on a slide a piece of text stands. `Shape` is a top-level shape with
// a text frame; `Group` a shape inside a group, at any depth; `Table` a table
// cell; `Diagram` a diagram's node; `Notes` the notes page; `Comment` a
// comment (or a reply); `Link` the address of a mailto: hyperlink.
enum class TextPlace { Shape, Group, Table, Diagram, Notes, Comment, Link };

// The lower-case word a place is written as in structured output.
std::string_view TextPlaceName(TextPlace place);

struct PlacedText {
    TextPlace place = TextPlace::Shape;
    std::string name; // of the shape (or table) that holds the text, if stored
    std::string text;
};

struct SlideContent {
    std::vector<ShapeContent> shapes;
    // Read only in the "all text" mode (then `allTextRead` is set): every
    // text of the slide in harvest order: the shapes in z-order, entering
    // groups and tables where they stand, then diagram text, then the notes,
    // then the comments, then the addresses of mailto: links.
    bool allTextRead = false;
    std::vector<PlacedText> allText;
};

struct PresentationContent {
    std::vector<SlideContent> slides;
};

// What to read of each slide. The default reads the top-level shapes only.
struct ReadOptions {
    bool allText = false;
};

} // namespace orv
