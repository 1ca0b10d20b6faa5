#include "extract/Harvest.h"
#include "extract/NativePresentationHost.h"
#include "extract/run/FileResult.h"

#include "support/AllTextDecks.h"
#include "support/PptxBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace orv {
namespace {

TEST(NativeHost, ReadsSlidesWhenReached) {
    test::PptxBuilder b;
    b.addSlide().addTextBox({"one@example.com"});
    b.addSlide().addTextBox({"two@example.com"});
    b.addSlide().addTextBox({"three@example.com"});
    b.setPart("ppt/slides/slide2.xml", "<p:sld><unclosed>");
    const test::TempDir dir;
    NativePresentationHost host;
    host.Create();
    host.Open(dir.write("deck.pptx", b.bytes()).string()); // the container and slide list only
    EXPECT_EQ(host.ActivePresentation().SlideCount(), 3);
    EXPECT_EQ(host.ActivePresentation().Text(3, 1), "three@example.com") << "any slide can be asked for";
    EXPECT_EQ(host.ActivePresentation().Text(1, 1), "one@example.com");
}

// A file's result: all its addresses or none (the file's own failure, with
// its kind and part, told as a failed Open), every address once per file in
// the order found with its place, and a piece only "all text" reads that
// cannot be read skipped while the rest of the file is read.
TEST(NativeHost, EachFileGivesAllItsAddressesOrNone) {
    test::PptxBuilder damaged;
    damaged.addSlide().addTextBox({"shared@example.com first@example.com"});
    damaged.addSlide().addTextBox({"two@example.com"});
    damaged.setPart("ppt/slides/slide2.xml", "<p:sld><unclosed>");
    test::PptxBuilder twice;
    twice.addSlide().addTextBox({"Shared@example.com shared@example.com"});
    const std::string cutNotes = test::PackageWithEveryPlace([](test::PptxBuilder& deck) {
        deck.setPart("ppt/notesSlides/notesSlide1.xml", "<p:notes><p:cSld>");
    });
    struct File {
        const char* name;
        std::string bytes;
        bool allText;
        std::vector<std::string> addresses;
        std::optional<StepFailure> failure; // step, kind, part
        std::vector<std::string> skipped;   // parts
    };
    const std::vector<File> files{
        {"damaged.pptx",
         damaged.bytes(),
         false,
         {},
         StepFailure{106, FailureKind::Damaged, {}, "ppt/slides/slide2.xml"},
         {}},
        {"twice.pptx", twice.bytes(), false, {"Shared@example.com"}, {}, {}},
        {"notes.pptx",
         cutNotes,
         true,
         {"shape1@example.com",   "group1@example.com", "group2@example.com",      "cell11@example.com",
          "cell12@example.com",   "cell21@example.com", "shape2@example.com",      "alt@example.com",
          "chart@example.com",    "north@example.com",  "series@example.com",      "diagram@example.com",
          "modern@example.com",   "reply@example.com",  "link@example.com",        "second@example.com",
          "sunburst@example.com", "east@example.com",   "cxseries@example.com",    "old@example.com",
          "master@example.com",   "layout@example.com", "notesmaster@example.com", "handout@example.com",
          "sheet@example.com",    "word@example.com"},
         {},
         {"ppt/notesSlides/notesSlide1.xml"}},
        {"notes default.pptx",
         cutNotes,
         false,
         {"shape1@example.com", "shape2@example.com", "second@example.com"},
         {},
         {}},
        {"not a deck.pptx", "PK\x03\x04 no zip", false, {}, StepFailure{106, FailureKind::Damaged}, {}},
    };
    const test::TempDir dir;
    NativePresentationHost host;
    for (const File& file : files) {
        SCOPED_TRACE(file.name);
        const FileResult result =
            ReadFileResult(dir.write(file.name, file.bytes).string(), host, file.allText);
        std::vector<std::string> addresses;
        for (const FoundAddress& found : result.addresses)
            addresses.push_back(found.address);
        EXPECT_EQ(addresses, file.addresses);
        const StepFailure* failure = result.firstFailure();
        ASSERT_EQ(failure != nullptr, file.failure.has_value());
        if (failure) {
            EXPECT_EQ(std::tie(failure->step, failure->kind, failure->part),
                      std::tie(file.failure->step, file.failure->kind, file.failure->part))
                << failure->description;
        }
        std::vector<std::string> skipped;
        for (const SkippedPart& part : result.skipped)
            skipped.push_back(part.part);
        EXPECT_EQ(skipped, file.skipped);
    }
    const FileResult twiceRead = ReadFileResult(dir.str() + "/twice.pptx", host, false);
    ASSERT_EQ(twiceRead.addresses.size(), 1u);
    EXPECT_EQ(
        std::tie(twiceRead.addresses[0].slide, twiceRead.addresses[0].place, twiceRead.addresses[0].name),
        std::make_tuple(1, TextPlace::Shape, std::string("TextBox 2")));
}

} // namespace
} // namespace orv
