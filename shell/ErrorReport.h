#pragma once

#include "base/Failure.h"

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orv {

// The address the error report asks the user to send a screenshot to.
inline constexpr std::string_view kSupportAddress = "support@quillmoor.example";

// Location texts of the handlers that report failures. Each begins with "in "
// and ends with one blank; the report writes it unchanged.
namespace loc {
inline constexpr std::string_view FormLoad = "in Kestrelon2021/08/31.Form1.Form_Load ";
inline constexpr std::string_view PushButton1 = "in Kestrelon2021/08/31.Form1.PushButton1_Click ";
inline constexpr std::string_view SaveWithSources = "in Kestrelon2021/08/31.Form1.SaveWithSources_Click ";
inline constexpr std::string_view PushButton2 = "in Kestrelon2021/08/31.Form1.PushButton2_Click ";
inline constexpr std::string_view PushButton3 = "in Kestrelon2021/08/31.Form1.PushButton3_Click ";
inline constexpr std::string_view PushButton4 = "in Kestrelon2021/08/31.Form1.PushButton4_Click ";
inline constexpr std::string_view PushButton5 = "in Kestrelon2021/08/31.Form1.PushButton5_Click ";
inline constexpr std::string_view PushButton6 = "in Kestrelon2021/08/31.Form1.PushButton6_Click ";
inline constexpr std::string_view PushButton7 = "in Kestrelon2021/08/31.Form1.PushButton7_Click ";
inline constexpr std::string_view PushButton8 = "in Kestrelon2021/08/31.Form1.PushButton8_Click ";
inline constexpr std::string_view PushButton9 = "in Kestrelon2021/08/31.Form1.PushButton9_Click ";
inline constexpr std::string_view PushButton10 = "in Kestrelon2021/08/31.Form1.PushButton10_Click ";
inline constexpr std::string_view GetSubDirectories2016 =
    "in VelmothTitle2021/08/31.AddFolder.GetSubDirectories2016 ";
inline constexpr std::string_view DoItByFile = "in Kestrelon2021/08/31.Powerpoint.DoItByFile ";
} // namespace loc

// The text of the report box: description (control characters and invalid
// UTF-8 escaped, cut to kDescriptionLimit bytes), CR LF, location, "at line ", step,
// CR CR, and the request to send a screenshot to the support address.
std::string ErrorReportText(std::string_view location, std::int32_t step, std::string_view description);

// One description for many like failures, so that they take one box: `lead`,
// then the items in order, separated by "; " (an item's closing full stop
// dropped before it), as many as fit within
// kDescriptionLimit bytes once made printable, then "; and N more" for the
// rest. The first item is always named, cut when alone it is too long.
std::string ListedDescription(std::string_view lead, const std::vector<std::string>& items);

// Where reports go: a modal box in the window, stderr in the command-line tool,
// a recording list in tests.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void report(std::string_view location, std::int32_t step, const std::string& description) = 0;
};

// Runs one handler's numbered steps under the error report. A step that throws
// (directly or from any routine it calls) is reported with its own number and
// the handler goes on with the next step. Handlers read like their numbered list:
//
//     Steps s(reporter, loc::PushButton5);
//     s.run(100, [&] { list.clear(); });
//     if (s.test(102, [&] { return list.count() > 0; })) { ... }
class Steps {
public:
    Steps(ErrorReporter& reporter, std::string_view location) : m_reporter(reporter), m_location(location) {}

    // The number of the step being executed (or last executed).
    std::int32_t current() const { return m_current; }

    // Runs one statement; false when it failed (and was reported).
    template <class F> bool run(std::int32_t step, F&& statement) {
        m_current = step;
        try {
            std::forward<F>(statement)();
            return true;
        } catch (...) {
            reportCurrent();
            return false;
        }
    }

    // A conditional's test. A test that fails is reported and then counts as
    // true: the handler resumes with the statements the test guards.
    template <class F> bool test(std::int32_t step, F&& condition) {
        m_current = step;
        try {
            return static_cast<bool>(std::forward<F>(condition)());
        } catch (...) {
            reportCurrent();
            return true;
        }
    }

    // Reports the exception in flight with the current step's number.
    void reportCurrent() { m_reporter.report(m_location, m_current, DescribeCurrentException()); }

private:
    ErrorReporter& m_reporter;
    std::string_view m_location;
    std::int32_t m_current = 0;
};

} // namespace orv
