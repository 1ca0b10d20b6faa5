#include "extract/Harvest.h"
#include "extract/NativePresentationHost.h"

#include "support/AllTextDecks.h"
#include "support/PptxBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

struct Report {
    std::int32_t step;
    std::string description;
};

class RecordingReporter : public ErrorReporter {
public:
    std::vector<Report> reports;
    void report(std::string_view, std::int32_t step, const std::string& description) override {
        reports.push_back({step, description});
    }
};

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

// The window's harvest of a list of files, one after the other with one set
// of seen addresses: a file gives all its addresses or none, every report
// begins with the file's path, and a piece only "all text" reads that cannot
// be read is named at step 110 while the rest of the file is read.
TEST(NativeHost, EachFileGivesAllItsAddressesOrNone) {
    test::PptxBuilder damaged;
    damaged.addSlide().addTextBox({"shared@example.com first@example.com"});
    damaged.addSlide().addTextBox({"two@example.com"});
    damaged.setPart("ppt/slides/slide2.xml", "<p:sld><unclosed>");
    test::PptxBuilder later;
    later.addSlide().addTextBox({"Shared@example.com"});
    const std::string cutNotes = test::PackageWithEveryPlace([](test::PptxBuilder& deck) {
        deck.setPart("ppt/notesSlides/notesSlide1.xml", "<p:notes><p:cSld>");
    });
    struct File {
        const char* name;
        std::string bytes;
        bool allText;
        std::vector<std::string> rows;    // what the file adds
        std::vector<std::string> reports; // "step: description", the description's beginning
    };
    const test::TempDir dir;
    const std::string at = dir.str() + "/";
    const std::vector<File> files{
        {"damaged.pptx",
         damaged.bytes(),
         false,
         {},
         {"106: " + at +
          "damaged.pptx: The presentation is damaged: the part ppt/slides/slide2.xml is not well-formed"}},
        {"later.pptx", later.bytes(), false, {"Shared@example.com"}, {}},
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
         {"110: " + at + "notes.pptx: ppt/notesSlides/notesSlide1.xml skipped: The presentation is damaged"}},
        {"notes again.pptx", cutNotes, false, {}, {}},
        {"not a deck\x1b.pptx", "PK\x03\x04 no zip", false, {}, {"106: " + at + "not a deck\\x1b.pptx: "}},
    };
    NativePresentationHost host;
    SeenEmails seen;
    for (const File& file : files) {
        SCOPED_TRACE(file.name);
        RecordingReporter reporter;
        std::vector<std::string> rows;
        const HarvestCallbacks callbacks{{}, [&](std::string_view address) { rows.emplace_back(address); }};
        DoItByFile(dir.write(file.name, file.bytes).string(), host, reporter, seen, callbacks, file.allText);
        EXPECT_EQ(rows, file.rows);
        ASSERT_EQ(reporter.reports.size(), file.reports.size());
        for (std::size_t i = 0; i < file.reports.size(); ++i) {
            const std::string report =
                std::to_string(reporter.reports[i].step) + ": " + reporter.reports[i].description;
            EXPECT_EQ(report.substr(0, file.reports[i].size()), file.reports[i]) << report;
        }
    }
}

} // namespace
} // namespace orv
