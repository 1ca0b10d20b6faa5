// The PDF writer the reader's tests are built on: what it writes must be a
// file a reader can find its way through.
#include "support/PdfBuilder.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <regex>

namespace orv::test {
namespace {

std::string inflated(std::string_view data) {
    std::string out(1 << 16, '\0');
    uLongf size = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                         reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size())),
              Z_OK);
    out.resize(size);
    return out;
}

// Every entry of the cross-reference table at startxref points at its
// object's header, and the streams' lengths are what they hold.
TEST(PdfBuilder, CrossReferenceTableFindsEveryObject) {
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        PdfBuilder b;
        b.addPage()
            .text(72, 700, 12, "first.la")
            .text(72, 686, 12, "st@example.com")
            .link({72, 600, 200, 614}, "mailto:a@example.com")
            .note({72, 500, 90, 518}, "b@example.com");
        b.addPage(300, 200).text(10, 100, 20.5, "c@example.com");
        b.setCompressed(compressed);
        const std::string pdf = b.bytes();

        std::smatch m;
        ASSERT_TRUE(std::regex_search(pdf, m, std::regex("startxref\n(\\d+)\n%%EOF\n$")));
        const std::size_t xref = std::stoul(m[1]);
        ASSERT_TRUE(std::regex_search(pdf.begin() + static_cast<std::ptrdiff_t>(xref), pdf.end(), m,
                                      std::regex("^xref\n0 (\\d+)\n0000000000 65535 f \n")));
        const std::size_t count = std::stoul(m[1]);
        EXPECT_NE(pdf.find("trailer\n<</Size " + std::to_string(count) + "/Root 1 0 R>>"), std::string::npos);
        for (std::size_t i = 1; i < count; ++i) {
            const std::size_t offset = std::stoul(pdf.substr(xref + m.length(0) + 20 * (i - 1), 10));
            EXPECT_EQ(pdf.substr(offset, std::to_string(i).size() + 6), std::to_string(i) + " 0 obj") << i;
        }

        std::string content;
        const std::regex stream("/Length (\\d+)>>\nstream\n");
        for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), stream); it != std::sregex_iterator();
             ++it) {
            const std::size_t start = static_cast<std::size_t>(it->position(0) + it->length(0));
            const std::size_t length = std::stoul((*it)[1]);
            EXPECT_EQ(pdf.substr(start + length, 10), "\nendstream");
            content += compressed ? inflated(pdf.substr(start, length)) : pdf.substr(start, length);
        }
        EXPECT_EQ(content, "BT /F1 12 Tf 72 700 Td (first.la) Tj ET\n"
                           "BT /F1 12 Tf 72 686 Td (st@example.com) Tj ET\n"
                           "BT /F1 20.5 Tf 10 100 Td (c@example.com) Tj ET\n");
        EXPECT_NE(pdf.find("/MediaBox[0 0 300 200]"), std::string::npos);
        EXPECT_NE(
            pdf.find(
                "/Subtype/Link/Rect[72 600 200 614]/Border[0 0 0]/A<</S/URI/URI (mailto:a@example.com)>>"),
            std::string::npos);
        EXPECT_NE(pdf.find("/Subtype/Text/Rect[72 500 90 518]/Contents (b@example.com)"), std::string::npos);
    }
}

TEST(PdfBuilder, StringsAreEscaped) {
    struct Row {
        const char* name;
        std::string written, expected;
    };
    const Row rows[] = {
        {"delimiters and controls", PdfString("a(b)\\c\r\n\x01"), "(a\\(b\\)\\\\c\\015\\012\\001)"},
        {"bytes above ASCII", PdfString("\xE9\x7F"), "(\\351\\177)"},
        {"ASCII text string", PdfTextString("x@example.com"), "(x@example.com)"},
        {"UTF-16 text string", PdfTextString("\xC3\xBC\xF0\x9F\x98\x80"), "<FEFF00FCD83DDE00>"},
        {"WinAnsi", WinAnsi("\xE2\x82\xAC\xC3\xA9\xE2\x80\x94\xE2\x98\x83"), "\x80\xE9\x97?"},
        {"broken UTF-8", WinAnsi("a\xC3"), "a?"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.written, row.expected) << row.name;
    }
}

} // namespace
} // namespace orv::test
