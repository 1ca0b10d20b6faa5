#include "base/Failure.h"
#include "base/SafeText.h"
#include "shell/ErrorReport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace orv;

namespace {
struct Recorder : ErrorReporter {
    struct Entry {
        std::string location;
        int step;
        std::string description;
    };
    std::vector<Entry> entries;
    void report(std::string_view location, std::int32_t step, const std::string& description) override {
        entries.push_back({std::string(location), step, description});
    }
};
} // namespace

TEST(ErrorReport, TextHasDescriptionLocationStepAndSupportRequest) {
    EXPECT_EQ(ErrorReportText(loc::PushButton3, 130, "Disk not ready"),
              "Disk not ready\r\nin Kestrelon2021/08/31.Form1.PushButton3_Click at line 130\r\r"
              "Please email screenshot of this message to support@quillmoor.example");
}

TEST(ErrorReport, EmptyDescriptionStillNamesLocationAndNegativeStepsKeepTheirSign) {
    EXPECT_EQ(ErrorReportText(loc::FormLoad, 136, ""),
              "\r\nin Kestrelon2021/08/31.Form1.Form_Load at line 136\r\r"
              "Please email screenshot of this message to support@quillmoor.example");
    EXPECT_NE(ErrorReportText(loc::FormLoad, -5, "x").find("at line -5\r\r"), std::string::npos);
}

TEST(ErrorReport, LocationTextsBeginWithInAndEndWithOneBlank) {
    for (auto l : {loc::FormLoad, loc::PushButton1, loc::PushButton2, loc::PushButton3, loc::PushButton4,
                   loc::PushButton5, loc::PushButton6, loc::PushButton7, loc::PushButton8, loc::PushButton9,
                   loc::PushButton10, loc::GetSubDirectories2016, loc::DoItByFile}) {
        EXPECT_EQ(l.substr(0, 3), "in ");
        EXPECT_EQ(l.back(), ' ');
        EXPECT_NE(l[l.size() - 2], ' ');
    }
}

TEST(Steps, AFailingStepIsReportedWithItsNumberAndTheNextStepRuns) {
    Recorder r;
    Steps s(r, loc::PushButton3);
    std::vector<int> ran;
    s.run(128, [&] { ran.push_back(128); });
    s.run(130, [&] { throw Failure("bad path"); });
    s.run(132, [&] { ran.push_back(132); });
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].location, loc::PushButton3);
    EXPECT_EQ(r.entries[0].step, 130);
    EXPECT_EQ(r.entries[0].description, "bad path");
    EXPECT_EQ(ran, (std::vector<int>{128, 132}));
}

TEST(Steps, AFailureInsideACalledRoutineCarriesTheCallingStepsNumber) {
    Recorder r;
    Steps s(r, loc::DoItByFile);
    auto routineWithoutReport = [] { throw std::runtime_error("deep down"); };
    s.run(120, [&] { routineWithoutReport(); });
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].step, 120);
    EXPECT_EQ(r.entries[0].description, "deep down");
}

TEST(Steps, AFailingTestRunsTheGuardedStatements) {
    Recorder r;
    Steps s(r, loc::PushButton8);
    bool guarded = false;
    if (s.test(106, []() -> bool { throw Failure("count unavailable"); }))
        guarded = true;
    EXPECT_TRUE(guarded);
    EXPECT_FALSE(s.test(108, [] { return false; }));
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].step, 106);
}

TEST(Steps, TwoFailuresGiveTwoReportsInOrderAndWorkDoneBeforeAFailureStays) {
    Recorder r;
    Steps s(r, loc::PushButton1);
    std::vector<std::string> rows;
    s.run(134, [&] {
        rows.push_back("kept");
        throw Failure("first");
    });
    s.run(136, [&] { throw 42; });
    ASSERT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(r.entries[0].description, "first");
    EXPECT_EQ(r.entries[1].step, 136);
    EXPECT_EQ(r.entries[1].description, "Unknown failure");
    EXPECT_EQ(rows, std::vector<std::string>{"kept"});
}

// Many like failures in one description: as many items as fit within the
// report's limit, in order, then how many more; the report shows it whole.
TEST(ErrorReport, ListedDescriptionNamesWhatFitsThenHowManyMore) {
    const std::string piece(90, 'p'); // with "; ", 92 bytes an item
    const auto items = [&](std::size_t n) { return std::vector<std::string>(n, piece); };
    struct Row {
        const char* name;
        std::string lead;
        std::vector<std::string> items;
        std::size_t named;  // items named in full
        std::string ending; // how the description ends
    };
    const std::vector<Row> rows{
        {"none", "/d.pptx: ", {}, 0, "/d.pptx: "},
        {"one", "/d.pptx: ", {"a skipped: why"}, 0, "/d.pptx: a skipped: why"},
        {"three that fit", "/d.pptx: ", {"a.", "b\x1b.", "c."}, 0, "/d.pptx: a; b\\x1b; c."},
        // 9 + 7 * 92 - 2 = 651; an eighth would leave no room for the tail
        {"forty-one", "/d.pptx: ", items(41), 7, "; and 34 more"},
        {"exactly seven", "/d.pptx: ", items(7), 7, piece},
        {"a first item too long alone", "/d.pptx: ", {std::string(2000, 'x'), "b"}, 0, "; and 1 more"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string text = ListedDescription(row.lead, row.items);
        EXPECT_LE(text.size(), kDescriptionLimit);
        EXPECT_TRUE(text.starts_with(PrintableText(row.lead)));
        EXPECT_TRUE(text.ends_with(row.ending)) << text;
        if (row.named > 0) {
            std::size_t count = 0;
            for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
                ++count;
            EXPECT_EQ(count, row.named);
        }
        EXPECT_TRUE(ErrorReportText(loc::DoItByFile, 110, text).starts_with(text + "\r\n"));
    }
}
