#include "extract/gui/FileReports.h"

#include "base/SafeText.h"
#include "extract/Harvest.h"

#include <vector>

namespace orv {

namespace {

// Reports of one file, each description beginning with the file's path.
class FileReporter final : public ErrorReporter {
public:
    FileReporter(ErrorReporter& reporter, const std::string& path)
        : m_reporter(reporter), m_path(PrintableText(path) + ": ") {}
    void report(std::string_view location, std::int32_t step, const std::string& description) override {
        m_reporter.report(location, step, m_path + description);
    }

private:
    ErrorReporter& m_reporter;
    std::string m_path;
};

} // namespace

RowSource SourceOf(const std::string& path, const FoundAddress& found) {
    return {path, static_cast<std::size_t>(found.slide), std::string(TextPlaceName(found.place)), found.name};
}

void ReportFileResult(const std::string& path, const FileResult& result, ErrorReporter& reporter,
                      FirstOccurrences& firsts, const FileRowAppender& appendRow) {
    FileReporter fileReporter(reporter, path);
    for (const StepFailure& failure : result.failures)
        fileReporter.report(loc::DoItByFile, failure.step, failure.description);
    if (result.fileFailure) {
        fileReporter.report(loc::DoItByFile, result.fileFailure->step, result.fileFailure->description);
        return;
    }
    Steps steps(fileReporter, loc::DoItByFile);
    for (const FoundAddress& found : result.addresses)
        if (firsts.offer(found.address))
            steps.run(120, [&] { appendRow(path, found); });
    // One box for all the pieces of a file, however many a damaged deck has.
    if (!result.skipped.empty()) {
        std::vector<std::string> pieces;
        for (const SkippedPart& part : result.skipped)
            pieces.push_back(SkippedPartText(part));
        reporter.report(loc::DoItByFile, 110, ListedDescription(path + ": ", pieces));
    }
}

void DoItByFile(const std::string& path, PresentationHost& host, ErrorReporter& reporter,
                FirstOccurrences& firsts, const FileRowCallbacks& callbacks, const ReadOptions& options,
                ResultCache* cache, std::optional<ResultCache::Problem>* cacheProblem,
                const CachedRead* ahead) {
    std::optional<CachedRead> readHere;
    if (!ahead)
        readHere = ReadThroughCache(path, host, options, cache, callbacks.pumpEvents);
    const CachedRead& read = ahead ? *ahead : *readHere;
    std::optional<ResultCache::Problem> problem;
    if (!KeepRead(cache, path, options, read, problem) && problem && cacheProblem)
        *cacheProblem = std::move(problem);
    ReportFileResult(path, read.result, reporter, firsts, callbacks.appendRow);
}

} // namespace orv
