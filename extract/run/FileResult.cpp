#include "extract/run/FileResult.h"

#include "extract/Harvest.h"

#include <utility>

namespace orv {

namespace {

StepFailure failureOf(std::int32_t step) {
    try {
        throw;
    } catch (const Failure& failure) {
        return {step, failure.kind(), failure.description(), failure.part(), failure.offset()};
    } catch (...) {
        return {step, FailureKind::Unexpected, DescribeCurrentException(), {}, {}};
    }
}

// The steps of one file: each failing step is recorded and the harvest goes
// on with the next, a failed test going on into what it guards; a failure of
// the file itself met during the walk (steps 108 to 124) is kept apart and
// makes the rest of the walk do nothing. The program's own faults
// (FailureKind::Unexpected) there are recorded as any step's.
class RecordingSteps {
public:
    explicit RecordingSteps(FileResult& result) : m_result(result) {}

    template <class F> bool run(std::int32_t step, F&& statement) {
        if (inWalk(step) && m_result.fileFailure)
            return false;
        try {
            std::forward<F>(statement)();
            return true;
        } catch (...) {
            record(step);
            return false;
        }
    }
    template <class F> bool test(std::int32_t step, F&& condition) {
        if (m_result.fileFailure)
            return false;
        try {
            return static_cast<bool>(std::forward<F>(condition)());
        } catch (...) {
            record(step);
            return !m_result.fileFailure;
        }
    }

private:
    static bool inWalk(std::int32_t step) { return step >= 108 && step <= 124; }
    void record(std::int32_t step) {
        StepFailure failure = failureOf(step);
        if (inWalk(step) && failure.kind != FailureKind::Unexpected) {
            failure.step = 106;
            m_result.failuresBeforeFile = m_result.failures.size();
            m_result.fileFailure = std::move(failure);
            return;
        }
        m_result.failures.push_back(std::move(failure));
    }

    FileResult& m_result;
};

} // namespace

std::string CutRecordName(std::string_view name) {
    if (name.size() <= kMaxRecordNameBytes)
        return std::string(name);
    std::size_t end = kMaxRecordNameBytes;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
        --end; // not inside a character
    return std::string(name.substr(0, end));
}

const StepFailure* FileResult::firstFailure() const {
    if (fileFailure && failuresBeforeFile == 0)
        return &*fileFailure;
    if (!failures.empty())
        return &failures.front();
    return fileFailure ? &*fileFailure : nullptr;
}

FileResult ReadFileResult(const std::string& path, PresentationHost& host, const ReadOptions& options,
                          const std::function<void()>& pump) {
    FileResult result;
    RecordingSteps steps(result);
    SeenEmails seen; // this file's own; the run applies its own in list order
    FoundAddress where;
    const HarvestCallbacks callbacks{[&] {
                                         ++result.candidates;
                                         if (pump)
                                             pump();
                                     },
                                     [&](std::string_view address) {
                                         where.address = address;
                                         result.addresses.push_back(where);
                                     }};
    host.SetReadPdf(options.pdf);
    host.SetReadPictures(options.pictures ? options.pictureRun : nullptr);
    HarvestFile(
        path, host, options.allText, steps,
        [&](int slide, TextPlace place, std::string_view name, std::string_view text) {
            where.slide = slide;
            where.place = place;
            where.name = CutRecordName(name);
            HarvestEmailsFromText(text, seen, callbacks);
        },
        [&](int, const SkippedPart& part) { result.skipped.push_back(part); });
    if (result.fileFailure)
        result.addresses.clear();
    return result;
}

} // namespace orv
