#include "extract/Harvest.h"
#include "extract/NativePresentationHost.h"

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

TEST(NativeHost, ReadsSlidesWhenReachedAndStopsAtTheFirstBadOne) {
    test::PptxBuilder b;
    b.addSlide().addTextBox({"one@example.com"});
    b.addSlide().addTextBox({"two@example.com"});
    b.addSlide().addTextBox({"three@example.com"});
    b.setPart("ppt/slides/slide2.xml", "<p:sld><unclosed>");
    const test::TempDir dir;
    const auto path = dir.write("deck.pptx", b.bytes()).string();

    NativePresentationHost host;
    host.Create();
    host.Open(path); // the container and slide list only: the bad slide is not read yet
    EXPECT_EQ(host.ActivePresentation().SlideCount(), 3);
    EXPECT_EQ(host.ActivePresentation().Text(3, 1), "three@example.com") << "any slide can be asked for";
    EXPECT_EQ(host.ActivePresentation().Text(1, 1), "one@example.com");

    RecordingReporter reporter;
    SeenEmails seen;
    std::vector<std::string> rows;
    const HarvestCallbacks callbacks{{}, [&](std::string_view address) { rows.emplace_back(address); }};
    DoItByFile(path, host, reporter, seen, callbacks);
    EXPECT_EQ(rows, std::vector<std::string>{"one@example.com"}) << "slides before the bad one are kept";
    ASSERT_EQ(reporter.reports.size(), 1u) << "one bad file, one report";
    EXPECT_EQ(reporter.reports[0].step, 110);
    EXPECT_NE(reporter.reports[0].description.find("not well-formed"), std::string::npos)
        << reporter.reports[0].description;

    // The next file starts afresh.
    test::PptxBuilder good;
    good.addSlide().addTextBox({"next@example.com"});
    DoItByFile(dir.write("good.pptx", good.bytes()).string(), host, reporter, seen, callbacks);
    EXPECT_EQ(rows.back(), "next@example.com");
    EXPECT_EQ(reporter.reports.size(), 1u);
}

} // namespace
} // namespace orv
