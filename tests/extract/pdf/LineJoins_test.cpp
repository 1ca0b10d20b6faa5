#include "extract/pdf/LineJoins.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv::pdf {
namespace {

// A page's lines as the library gives them: the text of each and its box
// (left, top, right; 12 points high, 14.4 apart unless given).
struct PageLine {
    std::u16string text;
    double left = 72;
    double right = 0;
    double top = -1; // -1: right below the line before
};

struct JoinCase {
    const char* name;
    std::vector<PageLine> lines;
    std::string expected;
    // The library's own hyphen joins (U+FFFE with no line end) are written
    // into `lines` as the text of the line that ends with it.
};

std::string read(const JoinCase& c, std::size_t* lookups = nullptr) {
    std::u16string text;
    std::vector<Box> boxes;
    std::vector<std::size_t> starts;
    double top = 100;
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
        const PageLine& line = c.lines[i];
        top = line.top >= 0 ? line.top : (i == 0 ? 100 : top + 14.4);
        starts.push_back(text.size());
        boxes.push_back({line.left, top, line.right, top + 12});
        text += line.text;
        if (i + 1 < c.lines.size() && line.text.back() != u'\xFFFE')
            text += u"\r\n";
    }
    const auto boxOfLineAt = [&](std::size_t start) {
        for (std::size_t i = 0; i < starts.size(); ++i)
            if (starts[i] == start)
                return std::optional<Box>(boxes[i]);
        return std::optional<Box>();
    };
    return PageText(text, boxes, [&](std::size_t a, std::size_t, std::size_t b, std::size_t) {
        if (lookups)
            ++*lookups;
        const auto first = boxOfLineAt(a);
        const auto second = boxOfLineAt(b);
        return first && second ? std::optional<LinePair>(LinePair{*first, *second}) : std::nullopt;
    });
}

TEST(LineJoins, JoinOnlyWhereTheExportBrokeAnAddress) {
    const JoinCase cases[] = {
        {"one line each",
         {{u"Write to", 72, 120}, {u"bob@example.com", 72, 170}},
         "Write to\rbob@example.com\r"},
        {"mid-word, the piece fills its line",
         {{u"firstname.las", 72, 160}, {u"tname@example.com", 72, 150}},
         "firstname.lastname@example.com\r"},
        {"mid-word in the domain",
         {{u"ann@mail.verylongdepa", 72, 200}, {u"rtment.org", 72, 130}},
         "ann@mail.verylongdepartment.org\r"},
        {"a word above a wider address",
         {{u"Contact", 72, 110}, {u"bob@example.com", 72, 170}},
         "Contact\rbob@example.com\r"},
        {"two addresses",
         {{u"ann@example.com", 72, 170}, {u"carl@example.org", 72, 160}},
         "ann@example.com\rcarl@example.org\r"},
        {"an address above a capitalised word",
         {{u"dave@example.com", 72, 175}, {u"Sales team", 72, 130}},
         "dave@example.com\rSales team\r"},
        {"after a dot and before the @, then mid-word",
         {{u"firstname.", 72, 150}, {u"lastname", 72, 140}, {u"@exampl", 72, 170}, {u"e.com", 72, 110}},
         "firstname.lastname@example.com\r"},
        {"pieces that hold no @",
         {{u"firstname.", 72, 150}, {u"lastname", 72, 140}},
         "firstname.\rlastname\r"},
        {"at a hyphen the library marked",
         {{u"first\xFFFE", 72, 120}, {u"last@example.com", 72, 170}},
         "first-last@example.com\r"},
        {"at a hyphen left as it is",
         {{u"Mail jean-", 72, 150}, {u"luc@example.com", 72, 170}},
         "Mail jean-luc@example.com\r"},
        {"at a soft hyphen",
         {{u"registration\xAD", 72, 160}, {u"office@example.com", 72, 170}},
         "registrationoffice@example.com\r"},
        {"a wider line right above: not full",
         {{u"Please write to us at this address", 72, 300},
          {u"bob.smith", 72, 140},
          {u"@example.com", 72, 170}},
         "Please write to us at this address\rbob.smith@example.com\r"},
        {"a wider line right above, mid-word: not full",
         {{u"Please write to us at this address", 72, 300},
          {u"bob.smi", 72, 140},
          {u"th@example.com", 72, 130}},
         "Please write to us at this address\rbob.smi\rth@example.com\r"},
        {"the next line in another column",
         {{u"firstname.las", 72, 160}, {u"tname@example.com", 300, 400}},
         "firstname.las\rtname@example.com\r"},
        {"the next line far below",
         {{u"firstname.las", 72, 160}, {u"tname@example.com", 72, 150, 200}},
         "firstname.las\rtname@example.com\r"},
        {"a line above the next, not below",
         {{u"firstname.las", 72, 160, 200}, {u"tname@example.com", 72, 150, 100}},
         "firstname.las\rtname@example.com\r"},
    };
    for (const JoinCase& c : cases)
        EXPECT_EQ(read(c), c.expected) << c.name;
}

TEST(LineJoins, SoftHyphensByWhatThePageShows) {
    // The library marks a soft hyphen at a line end as a hyphen, or leaves
    // it out; what the page's content shows there tells.
    const std::u16string marked = u"registration\xFFFEoffice@example.com";
    const std::u16string dropped = u"write to karl\r\na.hiro@example.com now";
    const auto noBoxes = [](std::size_t, std::size_t, std::size_t, std::size_t) {
        return std::optional<LinePair>(LinePair{{72, 100, 200, 112}, {72, 114, 190, 126}});
    };
    EXPECT_EQ(PageText(marked, {}, noBoxes), "registration-office@example.com\r");
    EXPECT_EQ(PageText(marked, {}, noBoxes, u"registration\xADoffice@example.com"),
              "registrationoffice@example.com\r");
    EXPECT_EQ(PageText(marked, {}, noBoxes, u"registration-office@example.com"),
              "registration-office@example.com\r");
    EXPECT_EQ(PageText(dropped, {}, noBoxes), "write to karl\ra.hiro@example.com now\r");
    EXPECT_EQ(PageText(dropped, {}, noBoxes, u"write to karl\u00ADa.hiro@example.com now"),
              "write to karla.hiro@example.com now\r");
}

TEST(LineJoins, BoundedLookupsAndWellFormedText) {
    // Every line a candidate: past the bound, lines stay apart, and text
    // that is no UTF-16 (a lone surrogate) comes out as U+FFFD.
    JoinCase many{"many", {}, {}};
    for (int i = 0; i < 1000; ++i)
        many.lines.push_back({i % 2 ? u"b@example.com" : u"abcdefghij", 72, 160});
    std::size_t lookups = 0;
    read(many, &lookups);
    EXPECT_LE(lookups, kMaxJoinLookups);

    const std::u16string lone = u"a\xD800z";
    EXPECT_EQ(PageText(lone, {}, {}), "a\xEF\xBF\xBDz\r");
}

} // namespace
} // namespace orv::pdf

namespace orv::pdf {
namespace {

TEST(LineJoins, LineBoxesFromThePageRuns) {
    const std::u16string text = u"Write to us\r\n\r\nbob@exa\xFFFEmple.com";
    const auto lines = PageLines(text);
    ASSERT_EQ(lines.size(), 4u); // "Write to us", "", "bob@exa\xFFFE", "mple.com"
    const Box a1{72, 100, 110, 112}, a2{112, 100, 140, 112}, b{72, 130, 150, 142}, c{72, 145, 130, 157};
    const struct {
        const char* name;
        std::vector<Box> runs;
        bool matched;
    } cases[] = {
        {"two runs of one line, one run each after", {a1, a2, b, c}, true},
        {"a run too few", {a1, a2, b}, false},
        {"a run too many", {a1, a2, b, c, c}, false},
        {"a line far too narrow for its letters", {a1, a2, {72, 130, 74, 142}, c}, false},
    };
    for (const auto& c2 : cases) {
        const auto boxes = LineBoxesOf(lines, c2.runs);
        EXPECT_EQ(boxes.has_value(), c2.matched) << c2.name;
        if (boxes && c2.matched) {
            EXPECT_EQ((*boxes)[0].right, 140) << c2.name;
            EXPECT_EQ((*boxes)[2].top, 130) << c2.name;
        }
    }
}

} // namespace
} // namespace orv::pdf
