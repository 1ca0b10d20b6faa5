#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv::pdf {

// A box on a page, in points, y growing downwards.
struct Box {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    double height() const { return bottom - top; }
    // The smallest box holding both.
    Box united(const Box& other) const {
        return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
    }
};

// The boxes of two neighbouring lines of a page's text, asked for by their
// ranges in it (UTF-16 units); nothing when they cannot be told.
struct LinePair {
    Box first;
    Box second;
};
using LineBoxes = std::function<std::optional<LinePair>(std::size_t firstStart, std::size_t firstLength,
                                                        std::size_t secondStart, std::size_t secondLength)>;

// The lines of a page's text (UTF-16 ranges, without their line ends), as
// PageText parts it: at CR LF, a lone CR or LF, U+2028, U+2029, and after the
// library's U+FFFE.
struct TextLine {
    std::size_t start = 0;
    std::size_t length = 0;
};
std::vector<TextLine> PageLines(std::u16string_view text);

// The box of each line of `lines` from the boxes the library gives for the
// page's text (`rectangles`, in text order, one for each run of a line):
// runs side by side on one band are one line's. Nothing when they cannot be
// matched one to one, or a line's box is implausible for its letters; then
// the lines' boxes are to be asked for one by one.
std::optional<std::vector<Box>> LineBoxesOf(std::span<const TextLine> lines, std::span<const Box> rectangles);

// How many line breaks of one page are looked at on the page: past them,
// lines are left as they are.
inline constexpr std::size_t kMaxJoinLookups = 256;

// The text of a page as the harvest reads it, from the text the PDF library
// gives (UTF-16, lines ended by CR LF; a hyphen the library took for a word
// broken at a line end as U+FFFE, with no line end): UTF-8 with each line
// ended by CR, so that a line end parts tokens as a paragraph end does.
//
// A line end that the export put inside an address, when a long address no
// longer fit its box, is taken out so that the address comes out whole. A
// line ends inside an address when the letters at both sides of the break
// belong to it (together they hold one "@", and not each its own), the next
// line stands right below in the same size and alignment, and either the
// line ends at a hyphen (kept; a soft hyphen is dropped), a dot or around
// the "@" (where a line may end early), or the broken piece fills its line
// as a word too long for the box does: it is the whole line, the line is at
// least as wide as the next, and neither line right above nor right below
// it in `pageLines` (the boxes of the page's lines of text) is wider by a
// letter or more. A run of joined pieces that holds no "@" stays apart. Anything else stays a break, so that
// a join never makes an address that the page does not show. `boxes` is asked at most kMaxJoinLookups times.
//
// `shown`, when known, is every character the page shows, in the order its
// content draws them (a soft hyphen where it is drawn, with no line ends):
// a break whose letters stand there around a soft hyphen is a soft hyphen's,
// whether the library marked it as a hyphen or not at all, and is joined
// without it.
std::string PageText(std::u16string_view text, std::span<const Box> pageLines, const LineBoxes& boxes,
                     std::u16string_view shown = {});

} // namespace orv::pdf
