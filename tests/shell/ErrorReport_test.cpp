#include "base/Failure.h"
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
