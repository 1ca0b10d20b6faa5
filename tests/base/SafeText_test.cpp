#include "base/SafeText.h"
#include "shell/ErrorReport.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(SafeText, EscapesWhatCouldBreakOrDriveALine) {
    struct Row {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        {"plain ASCII", "slide1.xml", "slide1.xml"},
        {"valid UTF-8 passes", "Grüße \xE2\x82\xAC \xF0\x9F\x98\x80", "Grüße \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"line feed, carriage return, tab", "a\nb\rc\td", "a\\nb\\rc\\td"},
        {"terminal title sequence", "\x1b]0;owned\x07", "\\x1b]0;owned\\x07"},
        {"DEL and NUL", std::string("x\x7f") + '\0' + "y", "x\\x7f\\x00y"},
        {"C1 control (NEL)",
         "a\xC2\x85"
         "b",
         "a\\u0085b"},
        {"right-to-left override", "evil\xE2\x80\xAEtxt.pptx", "evil\\u202etxt.pptx"},
        {"line separator",
         "a\xE2\x80\xA8"
         "b",
         "a\\u2028b"},
        {"Latin-1 byte", "caf\xE9", "caf\\xE9"},
        {"overlong slash", "\xC0\xAF", "\\xC0\\xAF"},
        {"encoded surrogate", "\xED\xA0\x80", "\\xED\\xA0\\x80"},
        {"truncated sequence at the end", "ab\xE2\x82", "ab\\xE2\\x82"},
    };
    for (const Row& row : rows) {
        const std::string once = PrintableText(row.text);
        EXPECT_EQ(once, row.expected) << row.name;
        EXPECT_EQ(PrintableText(once), once) << row.name << ": escaping twice changes nothing";
    }
}

TEST(SafeText, CutsLongTextWithAnEllipsisOnAWholeUnit) {
    EXPECT_EQ(PrintableText("abcdef", 6), "abcdef");
    EXPECT_EQ(PrintableText("abcdefg", 6), "abc\xE2\x80\xA6");
    // An escape or a multi-byte character is never split.
    EXPECT_EQ(PrintableText("ab\ncdefgh", 7), "ab\\n\xE2\x80\xA6");
    EXPECT_EQ(PrintableText("a\xC3\xA9\xC3\xA9\xC3\xA9", 6), "a\xC3\xA9\xE2\x80\xA6");
    const std::string huge(10'000'000, '\n');
    const std::string quoted = FileText(huge);
    EXPECT_LE(quoted.size(), kQuotedFileTextLimit);
    EXPECT_TRUE(quoted.ends_with("\xE2\x80\xA6"));
}

TEST(SafeText, ErrorReportShowsOneEscapedBoundedDescription) {
    const std::string forged = "bad.pptx: x\nquarterly.pptx: The file is empty.\x1b]0;t\x07";
    const std::string text = ErrorReportText(loc::PushButton3, 124, forged);
    const std::string description = text.substr(0, text.find("\r\n"));
    EXPECT_EQ(description, "bad.pptx: x\\nquarterly.pptx: The file is empty.\\x1b]0;t\\x07");
    EXPECT_EQ(text.find('\x1b'), std::string::npos);

    const std::string big = ErrorReportText(loc::PushButton3, 124, std::string(60'000'000, 'x'));
    EXPECT_LT(big.size(), kDescriptionLimit + 200);
}

} // namespace
} // namespace orv
