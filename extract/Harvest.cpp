#include "extract/Harvest.h"

#include "base/Failure.h"
#include "base/SafeText.h"
#include "extract/PresentationHost.h"

#include <optional>
#include <vector>

namespace orv {

const char* const kPowerPointOpenPrompt =
    "PowerPoint may be open. It is recommended that you close PowerPoint first.\r"
    "Use Ctrl+Alt+Del > Task Manager > POWERPNT.EXE if necessary.\r\n\r\n"
    "Would you like to proceed anyway?";

bool CheckPowerPointInstalled(PresentationHost& host) {
    try {
        host.Create();
    } catch (...) {
        return false;
    }
    host.Release();
    return true;
}

bool IsPowerPointRunning(PresentationHost& host) {
    bool running = false;
    try {
        host.Attach();
        running = host.Name() == "Microsoft PowerPoint";
    } catch (...) {
        running = false;
    }
    host.Release();
    return running;
}

bool AbortIfPowerPointOpen(PresentationHost& host,
                           const std::function<bool(const std::string& prompt)>& askProceed) {
    if (!IsPowerPointRunning(host))
        return false;
    return !askProceed(kPowerPointOpenPrompt);
}

std::string SkippedPartText(const SkippedPart& part) {
    return part.part + " skipped: " + part.description;
}

namespace {

// Reports of one file, each description beginning with the file's path.
class FileReporter final : public ErrorReporter {
public:
    FileReporter(ErrorReporter& reporter, const std::string& path)
        : m_reporter(reporter), m_path(PrintableText(path)) {}
    void report(std::string_view location, std::int32_t step, const std::string& description) override {
        m_reporter.report(location, step, m_path + ": " + description);
    }

private:
    ErrorReporter& m_reporter;
    std::string m_path;
};

// The steps of one file in the window: each failing step is reported and
// the harvest goes on, except that a failure of the file itself met during
// the walk (steps 108 to 124) is kept, not reported, and makes the rest of
// the walk do nothing.
class WholeFileSteps {
public:
    explicit WholeFileSteps(Steps& steps) : m_steps(steps) {}

    template <class F> bool run(std::int32_t step, F&& statement) {
        if (!inWalk(step))
            return m_steps.run(step, std::forward<F>(statement));
        if (m_failure)
            return false;
        return m_steps.run(step, [&] { keepFileFailure(std::forward<F>(statement)); }) && !m_failure;
    }
    template <class F> bool test(std::int32_t step, F&& condition) {
        if (m_failure)
            return false;
        const bool result = m_steps.test(step, [&] {
            bool holds = true;
            keepFileFailure([&] { holds = static_cast<bool>(condition()); });
            return holds;
        });
        return result && !m_failure;
    }
    const std::optional<std::string>& failure() const { return m_failure; }

private:
    static bool inWalk(std::int32_t step) { return step >= 108 && step <= 124; }
    template <class F> void keepFileFailure(F&& statement) {
        try {
            std::forward<F>(statement)();
        } catch (const Failure& failure) {
            if (failure.kind() == FailureKind::Unexpected)
                throw;
            m_failure = failure.description();
        }
    }

    Steps& m_steps;
    std::optional<std::string> m_failure;
};

} // namespace

void DoItByFile(const std::string& path, PresentationHost& host, ErrorReporter& reporter, SeenEmails& seen,
                const HarvestCallbacks& callbacks, bool allText) {
    FileReporter fileReporter(reporter, path);
    Steps steps(fileReporter, loc::DoItByFile);
    WholeFileSteps s(steps);
    std::vector<std::string> rows; // held until the file is read
    std::vector<std::string> skipped;
    const HarvestCallbacks holding{callbacks.pumpEvents,
                                   [&](std::string_view address) { rows.emplace_back(address); }};
    HarvestFile(
        path, host, allText, s,
        [&](int, TextPlace, std::string_view, std::string_view text) {
            HarvestEmailsFromText(text, seen, holding);
        },
        [&](int, const SkippedPart& part) { skipped.push_back(SkippedPartText(part)); });
    if (s.failure()) {
        for (const std::string& address : rows)
            seen.erase(SeenKey(address));
        fileReporter.report(loc::DoItByFile, 106, *s.failure());
        return;
    }
    for (const std::string& address : rows)
        steps.run(120, [&] { callbacks.appendRow(address); });
    // One box for all the pieces of a file, however many a damaged deck has.
    if (!skipped.empty())
        reporter.report(loc::DoItByFile, 110, ListedDescription(path + ": ", skipped));
}

} // namespace orv
