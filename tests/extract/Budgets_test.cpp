#include "cli/CliRun.h"
#include "extract/PresentationReader.h"
#include "extract/common/ReadLimits.h"
#include "support/HostileFiles.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace orv {
namespace {

// Each file lies just over one limit: it must be refused with the words
// that name that limit, and the good deck after it must still be read.
TEST(Budgets, JustOverEachLimitGivesItsOwnRefusalAndTheNextFileIsRead) {
    using namespace test;
    const std::string kNodes = "elements, attributes and runs of text";
    struct Row {
        const char* name;
        std::string bytes;
        std::string expected;
    };
    const Row rows[] = {
        {"zip directory entries", PackageWithZipEntries(limits::kMaxZipEntries + 1),
         "more than 100000 entries"},
        {"entries sharing one local record", PackageWithSharedRecords(2), "shares its stored data"},
        {"slides", PackageWithSlides(limits::kMaxSlides + 1), "more than 50000 slides"},
        {"shapes on one slide", PackageWithShapes(limits::kMaxShapesPerSlide + 1, 1),
         "more than 100000 shapes"},
        {"shapes in one file", PackageWithShapes(limits::kMaxShapesPerSlide, 11),
         "more than 1000000 shapes in all"},
        {"text on one slide", PackageWithSlideText(limits::kMaxTextPerSlide + 1), "more than 16 MiB of text"},
        {"attributes counted as nodes", PackageWithAttributes(limits::kMaxXmlNodes), kNodes},
        {"runs of text counted as nodes", PackageWithTextRuns(1, limits::kMaxXmlNodes, false), kNodes},
        {"CDATA sections counted as nodes", PackageWithTextRuns(1, limits::kMaxXmlNodes, true), kNodes},
        {"UTF-16 part as UTF-8", PackageWithUtf16Slide(limits::kMaxPartSize / 3 + 1), "64 MiB of XML"},
        {"start tags after the document element", PackageWithTagsAfterRoot(limits::kMaxXmlNodes), kNodes},
        {"relationships in one part", PackageWithRelationships(limits::kMaxRelationships + 1),
         "more than 100000 relationships"},
        {"namespace declarations on one element",
         PackageWithNamespaces(limits::kMaxNamespaceDeclarations + 1, 1),
         "more than 1000 namespace prefixes"},
        {"zip64 size of 2^64 - 1", PackageWithHugePartSize(), "too large to represent"},
        {"binary record length 0xFFFFFFFF", BinaryWithRecordLength(0xFFFFFFFF), "reaches past the end"},
        {"binary shapes on one slide", BinaryWithShapes(limits::kMaxShapesPerSlide + 1, 1),
         "more than 100000 shapes"},
    };
    const TempDir dir;
    PptxBuilder good;
    good.addSlide().addTextBox({"good@example.com"});
    const auto goodPath = dir.write("good.pptx", good.bytes()).string();
    for (const Row& row : rows) {
        const auto bad = dir.write("bad.pptx", row.bytes).string();
        std::ostringstream out;
        std::ostringstream err;
        const std::vector<std::string> args{bad, goodPath};
        EXPECT_EQ(RunCliArguments(args, out, err, false, OpenPresentationFile), kCliSomeUnreadable)
            << row.name;
        EXPECT_EQ(out.str(), "good@example.com\n") << row.name;
        const std::string lines = err.str();
        EXPECT_NE(lines.find(row.expected), std::string::npos) << row.name << ": " << lines;
        EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << row.name << ": " << lines;
    }
}

// What only "all text" reads, just over a limit: skipped and named (or read,
// where the limit is the slide's own), stopped while it is read, and never
// at the cost of the slide's own shapes or of the next file.
TEST(Budgets, AllTextPiecesOverALimitAreSkippedAndNamedAndTheSlideIsRead) {
    using namespace test;
    constexpr std::size_t kHalf = limits::kMaxTextPerSlide / 2;
    struct Row {
        const char* name;
        std::string bytes;
        const char* extension;
        std::string addresses; // before the good deck's
        std::string skipped;   // the piece the one line on stderr names; none when empty
        std::string why;
    };
    const Row rows[] = {
        {"a layout's text, stopped while it is parsed",
         PackageWithLayoutText(1, limits::kMaxTextPerSlide + 1), "pptx", "keep@example.com\n",
         "ppt/slideLayouts/slideLayout1.xml",
         "the part ppt/slideLayouts/slideLayout1.xml holds more than 16 MiB of text"},
        {"an embedded deck's second slide, past the room its page has left",
         PackageEmbeddingLargeDecks(1, 2 * (kHalf + 1), 2), "pptx", "", "ppt/embeddings/large0.pptx",
         "the part ppt/slides/slide2.xml holds more text than the 8388592 bytes left for it"},
        {"a shape's text at the slide's limit, counted once", PackageWithSlideText(limits::kMaxTextPerSlide),
         "pptx", "", "", ""},
        {"alternative text", PackageWithAltText(limits::kMaxTextPerSlide + 1), "pptx",
         "keep@example.com\nshape@example.com\n", "ppt/slides/slide1.xml, alternative text",
         "a slide holds more than 16 MiB of text"},
        {"inline documents nested past the depth", FlatOdpNestingDocuments(3, 1), "fodp",
         "keep@example.com\nlevel1@example.com\nlevel2@example.com\n", "L3 Object 1",
         "it nests embedded documents more than 2 deep"},
        {"inline documents past the count", FlatOdpNestingDocuments(2, limits::kMaxEmbeddedDocuments), "fodp",
         "keep@example.com\nlevel1@example.com\nlevel2@example.com\n", "L2 Object 16",
         "it embeds more than 16 documents in all"},
        {"a sub-document's sub-document, read, and its own past the depth", OdpNestingSubDocuments(3, 1),
         "odp", "keep@example.com\nlevel1@example.com\nlevel2@example.com\n",
         "Object 1/Object 1/Object 1/content.xml", "it nests embedded documents more than 2 deep"},
    };
    const TempDir dir;
    PptxBuilder good;
    good.addSlide().addTextBox({"good@example.com"});
    const auto goodPath = dir.write("good.pptx", good.bytes()).string();
    for (const Row& row : rows) {
        const auto bad = dir.write(std::string("bad.") + row.extension, row.bytes).string();
        std::ostringstream out;
        std::ostringstream err;
        const std::vector<std::string> args{"--all-text", bad, goodPath};
        const bool skips = !row.skipped.empty();
        EXPECT_EQ(RunCliArguments(args, out, err, false, OpenPresentationFile),
                  skips ? kCliSomeUnreadable : kCliAllRead)
            << row.name;
        EXPECT_EQ(out.str(), row.addresses + "good@example.com\n") << row.name;
        const std::string lines = err.str();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), skips ? 1 : 0) << row.name << ": " << lines;
        if (skips) {
            EXPECT_NE(lines.find(": " + row.skipped + " skipped: "), std::string::npos)
                << row.name << ": " << lines;
            EXPECT_NE(lines.find(row.why), std::string::npos) << row.name << ": " << lines;
        }
    }
}

TEST(Budgets, FilesJustUnderTheLimitsStillRead) {
    using namespace test;
    EXPECT_EQ(ReadBytes(PackageWithShapes(limits::kMaxShapesPerSlide, 1)).slides.at(0).shapes.size(),
              limits::kMaxShapesPerSlide);
    EXPECT_EQ(ReadBytes(PackageWithSlideText(limits::kMaxTextPerSlide)).slides.at(0).shapes.at(0).text.size(),
              limits::kMaxTextPerSlide);
    EXPECT_EQ(ReadBytes(PackageWithNamespaces(limits::kMaxNamespaceDeclarations - 4, 50))
                  .slides.at(0)
                  .shapes.size(),
              50u);
    EXPECT_EQ(ReadBytes(PackageWithCaseMismatchedNames(500)).slides.size(), 500u);
    // Nodes are counted once, whichever way the parser reads them.
    const std::size_t nearLimit = limits::kMaxXmlNodes - 100;
    const std::string runs =
        ReadBytes(PackageWithTextRuns(1, nearLimit, false)).slides.at(0).shapes.at(0).text;
    EXPECT_EQ(static_cast<std::size_t>(std::count(runs.begin(), runs.end(), 'a')), nearLimit);
    EXPECT_EQ(ReadBytes(PackageWithForeignRunProperties(nearLimit)).slides.at(0).shapes.at(0).text,
              "keep@example.com");
    EXPECT_EQ(ReadBytes(PackageWithZipEntries(70'000)).slides.size(), 1u) << "zip64 directory";
}

} // namespace
} // namespace orv
