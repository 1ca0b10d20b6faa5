#pragma once

#include <string>
#include <vector>

namespace orv {

// What a presentation reader delivers: the slides in presentation order, each
// with its top-level shapes in z-order. Text is UTF-8, paragraphs joined by
// CR (13), a line break inside a paragraph is VT (11), field text included.
struct ShapeContent {
    bool hasTextFrame = false; // auto shapes, text boxes, placeholders
    std::string text;          // empty when the shape has no text frame
};

struct SlideContent {
    std::vector<ShapeContent> shapes;
};

struct PresentationContent {
    std::vector<SlideContent> slides;
};

} // namespace orv
