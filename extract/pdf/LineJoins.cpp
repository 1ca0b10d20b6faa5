#include "extract/pdf/LineJoins.h"

#include "base/Utf8.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orv::pdf {

namespace {

constexpr char16_t kBrokenHyphen = 0xFFFE; // the library's mark of a hyphen at a line end
constexpr char16_t kSoftHyphen = 0x00AD;

bool isLineEnd(char16_t c) {
    return c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029;
}

bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAddressChar(char16_t c) {
    return isLetter(c) || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'_' || c == u'@' ||
           c == kBrokenHyphen;
}

struct Line {
    std::size_t start = 0;
    std::size_t length = 0;    // without the line end
    bool brokenHyphen = false; // ends at the library's U+FFFE, with no line end
};

std::vector<Line> splitLines(std::u16string_view text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kBrokenHyphen) {
            lines.push_back({start, i + 1 - start, true});
            start = i + 1;
        } else if (isLineEnd(text[i])) {
            lines.push_back({start, i - start, false});
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.push_back({start, text.size() - start, false});
    return lines;
}

// The letters of a possible address that end `a` and begin `b`.
struct Pieces {
    std::size_t endStart = 0; // where the end piece of `a` starts
    std::size_t beginLength = 0;
};

Pieces piecesAround(std::u16string_view a, std::u16string_view b) {
    Pieces p;
    p.endStart = a.size();
    while (p.endStart > 0 && isAddressChar(a[p.endStart - 1]))
        --p.endStart;
    while (p.beginLength < b.size() && isAddressChar(b[p.beginLength]))
        ++p.beginLength;
    return p;
}

bool holdsAt(std::u16string_view s) {
    return s.find(u'@') != std::u16string_view::npos;
}

// Whether the second line stands right below the first, in the same size,
// aligned with it at the left, the centre or the right.
bool standsBelow(const Box& a, const Box& b) {
    if (!(a.height() > 0) || !(b.height() > 0))
        return false;
    // A line's box is as high as its letters: "soft" is lower than "hy@".
    const double h = std::max(a.height(), b.height());
    if (std::fabs(b.height() - a.height()) > 0.5 * h)
        return false;
    if (b.top < a.top + 0.5 * h || b.top > a.bottom + 1.5 * h)
        return false;
    return std::fabs(b.left - a.left) <= h || std::fabs((b.left + b.right) - (a.left + a.right)) <= 2 * h ||
           std::fabs(b.right - a.right) <= h;
}

// Whether the first line is as full as its block lets it be: not narrower
// than the next, and neither the line right above it nor the one right below
// the next, starting where it starts, is wider by a letter or more.
bool fillsItsBlock(const LinePair& pair, std::span<const Box> pageLines) {
    const Box& a = pair.first;
    const double h = a.height();
    if (pair.second.right > a.right + 0.5 * h)
        return false;
    for (const Box& other : pageLines) {
        // The lines right above and right below, as a paragraph's lines
        // follow each other; a line further off is of another box.
        if (other.bottom < a.top - h || other.top > pair.second.bottom + h)
            continue;
        if (std::fabs(other.left - a.left) <= h && other.right > a.right + h)
            return false;
    }
    return true;
}

void appendText(std::string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c == kSoftHyphen)
            continue;
        if (c == kBrokenHyphen) {
            out += '-';
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD; // a lone surrogate
        }
        AppendUtf8(out, c);
    }
}

} // namespace

namespace {

// The breaks between the lines of one page, and which of them are joined.
class Breaks {
public:
    Breaks(std::u16string_view text, std::span<const Box> pageLines, const LineBoxes& boxes,
           std::u16string_view shown)
        : m_text(text), m_lines(splitLines(text)), m_pageLines(pageLines), m_boxes(boxes), m_shown(shown),
          m_join(m_lines.size(), false) {}

    // Joins the breaks inside addresses: first by their letters alone, then,
    // for those that may make an address, by the lines' boxes as well.
    void decide() { joinAllowed(byLetters()); }

    std::string text() const {
        std::string out;
        out.reserve(m_text.size() + m_text.size() / 2);
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            std::u16string_view a = line(i);
            // A soft hyphen the page drew at a joined break goes with it.
            if (m_join[i] && !a.empty() && a.back() == kBrokenHyphen && softHyphenAt(i))
                a.remove_suffix(1);
            appendText(out, a);
            if (!m_join[i])
                out += '\r';
        }
        return out;
    }

private:
    std::u16string_view line(std::size_t i) const {
        return m_text.substr(m_lines[i].start, m_lines[i].length);
    }

    // Line `i` without a soft hyphen at its end, which only marks the break.
    std::u16string_view kept(std::size_t i) const {
        std::u16string_view a = line(i);
        return !a.empty() && a.back() == kSoftHyphen ? a.substr(0, a.size() - 1) : a;
    }
    bool hyphenated(std::size_t i) const {
        const std::u16string_view a = line(i);
        return (!a.empty() && (a.back() == kSoftHyphen || a.back() == u'-' || m_lines[i].brokenHyphen)) ||
               softHyphenAt(i);
    }

    // Whether the page's shown characters hold the letters around break `i`
    // with a soft hyphen between them: the library reports such a hyphen at
    // a line end as it does a hyphen (U+FFFE), or not at all.
    bool softHyphenAt(std::size_t i) const {
        if (m_shown.empty() || i + 1 >= m_lines.size())
            return false;
        std::u16string_view a = line(i);
        if (!a.empty() && (a.back() == kBrokenHyphen || a.back() == kSoftHyphen))
            a.remove_suffix(1);
        const std::u16string_view end = a.substr(piecesAround(a, {}).endStart);
        const std::u16string_view begin = beginPiece(i);
        if (end.empty() || begin.empty())
            return false;
        std::u16string needle(end);
        needle += kSoftHyphen;
        needle += begin;
        return m_shown.find(needle) != std::u16string_view::npos;
    }
    bool allAddress(std::size_t i) const {
        const std::u16string_view a = kept(i);
        return !a.empty() && piecesAround(a, {}).endStart == 0;
    }
    std::u16string_view endPiece(std::size_t i) const {
        const std::u16string_view a = kept(i);
        return a.substr(piecesAround(a, {}).endStart);
    }
    std::u16string_view beginPiece(std::size_t i) const {
        const std::u16string_view b = line(i + 1);
        return b.substr(0, piecesAround({}, b).beginLength);
    }

    // What the letters alone say of break `i`: how a possible address would
    // go on across it.
    enum class Kind { None, Hyphen, Opening, MidWord };
    Kind lettersGoOn(std::size_t i) const {
        const std::u16string_view a = kept(i);
        const std::u16string_view end = endPiece(i);
        const std::u16string_view begin = beginPiece(i);
        const bool hyphen = hyphenated(i);
        const bool hardHyphen = hyphen && line(i).back() != kSoftHyphen && !softHyphenAt(i);
        if (begin.empty() || end.size() <= (hardHyphen ? 1u : 0u))
            return Kind::None;
        if (hyphen)
            return Kind::Hyphen;
        // Only a piece that is the whole line can go on: "Write to" ends no
        // address.
        if (end.size() != a.size())
            return Kind::None;
        // Where a line may break inside an address without being full: after
        // a dot, around the "@".
        if (a.back() == u'.' || a.back() == u'@' || begin.front() == u'@')
            return Kind::Opening;
        // "...end" then "Begin": a new word, as in "Contact" / "Sales team".
        if (isLetter(a.back()) && begin.front() >= u'A' && begin.front() <= u'Z')
            return Kind::None;
        return Kind::MidWord;
    }

    bool boxesGoOn(std::size_t i, Kind kind) {
        if (m_lookups >= kMaxJoinLookups)
            return false;
        ++m_lookups;
        const Line& a = m_lines[i];
        const Line& b = m_lines[i + 1];
        const auto pair = m_boxes(a.start, a.length, b.start, b.length);
        // A word broken in its middle fills its line; at a hyphen, a dot or
        // the "@" the line may end early, as any line ends at a word.
        return pair && standsBelow(pair->first, pair->second) &&
               (kind != Kind::MidWord || fillsItsBlock(*pair, m_pageLines));
    }

    // The breaks the letters let go on, in runs of pieces that hold an "@"
    // somewhere: only these are worth a look at the boxes.
    std::vector<bool> byLetters() const {
        std::vector<bool> allowed(m_lines.size(), false);
        std::size_t i = 0;
        while (i + 1 < m_lines.size()) {
            if (lettersGoOn(i) == Kind::None) {
                ++i;
                continue;
            }
            std::size_t j = i; // the run's last break
            bool at = holdsAt(endPiece(i));
            while (j + 2 < m_lines.size() && allAddress(j + 1) && lettersGoOn(j + 1) != Kind::None) {
                at = at || holdsAt(line(j + 1));
                ++j;
            }
            at = at || holdsAt(beginPiece(j));
            for (std::size_t k = i; k <= j; ++k)
                allowed[k] = at;
            i = j + 1;
        }
        return allowed;
    }

    // The joins, break by break: a break is joined when its letters and its
    // lines' boxes say so, unless the pieces on both sides already hold an
    // "@"; a run of joined pieces that holds no "@" at all is left apart.
    void joinAllowed(const std::vector<bool>& allowed) {
        std::vector<std::size_t> joins; // of the piece that ends the line being walked
        bool holdsAtSign = false;
        const auto finish = [&] {
            if (!holdsAtSign)
                for (const std::size_t j : joins)
                    m_join[j] = false;
            joins.clear();
        };
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            if (!(i > 0 && m_join[i - 1] && allAddress(i))) {
                finish();
                holdsAtSign = holdsAt(endPiece(i));
            }
            if (i + 1 == m_lines.size() || !allowed[i])
                continue;
            const bool beginHolds = holdsAt(beginPiece(i));
            if ((holdsAtSign && beginHolds) || !boxesGoOn(i, lettersGoOn(i)))
                continue;
            m_join[i] = true;
            joins.push_back(i);
            holdsAtSign = holdsAtSign || beginHolds;
        }
        finish();
    }

    std::u16string_view m_text;
    std::vector<Line> m_lines;
    std::span<const Box> m_pageLines;
    const LineBoxes& m_boxes;
    std::u16string_view m_shown;
    std::vector<bool> m_join;
    std::size_t m_lookups = 0;
};

} // namespace

std::vector<TextLine> PageLines(std::u16string_view text) {
    std::vector<TextLine> out;
    for (const Line& line : splitLines(text))
        out.push_back({line.start, line.length});
    return out;
}

std::optional<std::vector<Box>> LineBoxesOf(std::span<const TextLine> lines,
                                            std::span<const Box> rectangles) {
    std::vector<Box> merged;
    for (const Box& r : rectangles) {
        if (!merged.empty()) {
            Box& last = merged.back();
            const double h = std::min(last.height(), r.height());
            if (std::fabs(r.top - last.top) < 0.5 * h && r.left >= last.right - 0.5 * h) {
                last = last.united(r);
                continue;
            }
        }
        merged.push_back(r);
    }
    // An empty line (two line ends in a row) has no box: match those with text.
    std::vector<Box> boxes(lines.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].length == 0)
            continue;
        if (next == merged.size())
            return std::nullopt;
        const Box& b = merged[next++];
        const double h = b.height();
        const double perLetter = (b.right - b.left) / static_cast<double>(lines[i].length);
        if (!(h > 0) || perLetter < 0.1 * h || perLetter > 1.5 * h)
            return std::nullopt;
        boxes[i] = b;
    }
    if (next != merged.size())
        return std::nullopt;
    return boxes;
}

std::string PageText(std::u16string_view text, std::span<const Box> pageLines, const LineBoxes& boxes,
                     std::u16string_view shown) {
    Breaks breaks(text, pageLines, boxes, shown);
    breaks.decide();
    return breaks.text();
}

} // namespace orv::pdf
