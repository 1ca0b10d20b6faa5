#include "cli/CliRun.h"

#include "base/SafeText.h"
#include "cli/CliFolders.h"
#include "cli/CliOutput.h"
#include "extract/Harvest.h"
#include "extract/ocr/OcrReader.h"
#include "extract/ocr/PictureRun.h"
#include "extract/run/ResultCache.h"
#include "filelist/AddFolder.h"
#include "filelist/FileSystem.h"
#include "shell/ErrorReport.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <iostream>
#include <ostream>
#include <system_error>
#include <thread>

namespace orv {

namespace {

// One diagnostic line: the path and the description, both escaped, so that
// neither a file's name nor its contents can break the line or drive the
// terminal.
void writeDiagnostic(std::ostream& err, std::string_view path, std::string_view description) {
    err << PrintableText(path) << ": " << PrintableDescription(description) << '\n';
}

// Scan trouble has no window to show it in: it goes out as a problem of the
// folder argument it happened under.
class ProblemReporter : public ErrorReporter {
public:
    ProblemReporter(const CliProblem& problem, const std::string& folder)
        : m_problem(problem), m_folder(folder) {}
    void report(std::string_view, std::int32_t, const std::string& description) override {
        m_problem(m_folder, description);
    }

private:
    const CliProblem& m_problem;
    const std::string& m_folder;
};

class Progress {
public:
    Progress(std::ostream& err, bool enabled) : m_err(err), m_enabled(enabled) {}
    void setTotal(std::size_t total) { m_total = total; }
    // At most a few updates a second: a terminal that redraws for every one
    // of a hundred thousand small files slows the whole run down.
    void update(std::size_t done) {
        if (!m_enabled)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (done != m_total && done != 1 && now - m_last < std::chrono::milliseconds(100))
            return;
        m_last = now;
        m_err << "\r[" << done << '/' << m_total << "] files read" << std::flush;
    }
    // An error line must not land in the middle of the count.
    void clearLine() {
        if (m_enabled)
            m_err << "\r\x1b[K";
    }
    void finish() {
        if (m_enabled && m_total > 0)
            m_err << '\n' << std::flush;
    }

private:
    std::ostream& m_err;
    bool m_enabled;
    std::size_t m_total = 0;
    std::chrono::steady_clock::time_point m_last{};
};

// Reads the paths a --files-from list names into `files`, in order; empty
// entries name nothing and are skipped. A line-separated list that holds a
// NUL byte is refused: read so, it would name other files than the ones
// meant. A name read from a line that ends in CR LF keeps its CR (a name may
// end in one) and is noted in `files`, so that a failure can say so.
void readFileList(const std::string& list, bool nulSeparated, CliFiles& files, const CliProblem& problem) {
    std::ifstream file;
    if (list != "-") {
        file.open(list, std::ios::binary);
        if (!file.is_open()) {
            problem(list,
                    "The list of files cannot be read: " + std::generic_category().message(errno) + ".");
            return;
        }
    }
    std::istream& in = list == "-" ? std::cin : file;
    std::string entry;
    while (std::getline(in, entry, nulSeparated ? '\0' : '\n')) {
        if (!nulSeparated && entry.find('\0') != std::string::npos) {
            files.usageError =
                "the list " + list + " holds a NUL byte: give -0 for a list of NUL-separated names";
            return;
        }
        if (entry.empty())
            continue;
        if (!nulSeparated && entry.ends_with('\r'))
            files.fromCrLfLines.emplace(entry, list);
        files.files.push_back(std::move(entry));
    }
    if (in.bad() || !in.eof())
        problem(list, "The list of files cannot be read to its end: " +
                          std::generic_category().message(errno) + ".");
}

// A line of a shard's output, at most `limit` bytes; false at the end.
bool readBoundedLine(std::istream& in, std::string& line, std::size_t limit, bool& tooLong) {
    line.clear();
    tooLong = false;
    char c = 0;
    bool any = false;
    while (in.get(c)) {
        any = true;
        if (c == '\n')
            return true;
        if (line.size() == limit)
            tooLong = true;
        else
            line += c;
    }
    return any;
}

constexpr std::size_t kMaxShardLine = 1 << 20;

// What an opened input stream stands for: a file, or standard input for "-"
// (a shard's output for --merge).
class InputFile {
public:
    explicit InputFile(const std::string& path) {
        if (path != "-")
            m_file.open(path, std::ios::binary);
    }
    std::istream& stream(const std::string& path) { return path == "-" ? std::cin : m_file; }
    bool good(const std::string& path) { return path == "-" || m_file.is_open(); }

private:
    std::ifstream m_file;
};

int badUsage(std::ostream& err, const std::string& message) {
    err << "orvandel-cli: " << PrintableText(message) << "\nTry 'orvandel-cli --help'.\n";
    return kCliBadUsage;
}

int finishOutput(AddressWriter& writer, std::ostream& out, std::ostream& err, bool failed) {
    writer.finish();
    if (!out) {
        err << "orvandel-cli: the addresses could not be written out\n";
        return kCliSomeUnreadable;
    }
    return failed ? kCliSomeUnreadable : kCliAllRead;
}

} // namespace

CliFiles ExpandCliPaths(const CliOptions& options, const CliProblem& problem) {
    const std::vector<std::string> withPdf =
        options.pdf ? PresentationExtensionsWithPdf() : std::vector<std::string>();
    const std::span<const std::string> extensions = !options.extensions.empty()
                                                        ? std::span<const std::string>(options.extensions)
                                                    : options.pdf ? std::span<const std::string>(withPdf)
                                                                  : DefaultPresentationExtensions();
    CliFiles input{options.paths, {}, {}};
    for (const std::string& list : options.filesFrom) {
        readFileList(list, options.nulSeparated, input, problem);
        if (!input.usageError.empty())
            return input;
    }
    CliFiles expanded{{}, std::move(input.fromCrLfLines), {}};
    std::vector<std::string>& files = expanded.files;
    for (const auto& path : input.files) {
        // A package folder is one file, not a folder to scan.
        if (!IsDirectory(path) || IsPackageFolder(path)) {
            files.push_back(path);
            continue;
        }
        // The window says nothing about a folder it cannot list; here the
        // exit status would claim success, so say it.
        try {
            ListFolderNames(path);
        } catch (const FolderListingFailure& failure) {
            problem(path, failure.description());
            continue;
        }
        ProblemReporter reporter(problem, path);
        auto rows = CollectFolderFiles(path, extensions, reporter, {});
        // The scan leaves some folders and files out by rule; their
        // addresses would be missing from the output without a word, so each
        // is named.
        FindSkippedEntries(path, extensions, problem);
        files.insert(files.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    }
    return expanded;
}

int RunCli(const CliOptions& options, std::ostream& out, std::ostream& err, bool showProgress,
           const PresentationOpenFunction& open) {
    std::vector<std::pair<std::string, std::string>> expansionProblems;
    CliFiles input = ExpandCliPaths(options, [&](const std::string& path, const std::string& why) {
        expansionProblems.emplace_back(path, why);
    });
    if (!input.usageError.empty())
        return badUsage(err, input.usageError);
    AddressWriter writer(out, options.format);
    bool failed = false;
    Progress progress(err, showProgress);
    // Every trouble: one line on stderr and, in JSON Lines, a record that
    // says the same, bounded as the line is.
    const auto fail = [&](const ErrorRecord& error) {
        progress.clearLine();
        writeDiagnostic(err, error.file, error.error);
        writer.write({PrintableDescription(error.error), error.kind, error.file, CutRecordName(error.part)});
        failed = true;
    };
    for (const auto& [path, why] : expansionProblems)
        fail({why, FailureKind::InputOutput, path, {}});
    const unsigned jobs =
        options.jobs ? options.jobs : std::clamp(std::thread::hardware_concurrency(), 1u, kMaxCliJobs);
    const unsigned workers = jobs > 1 ? jobs : 0;
    // The cache's trouble is named once; the run goes on, reading what it
    // cannot take from the cache, and its output is the same.
    std::optional<ResultCache::Problem> cacheProblem;
    const auto tellCacheProblem = [&](const char* what) {
        progress.clearLine();
        err << PrintableText(options.cache) << ": the cache could not be " << what << " ("
            << PrintableDescription(cacheProblem->reason) << "); "
            << (cacheProblem->setAsideAs.empty() ? "the files are read without it"
                                                 : "set aside as " + PrintableText(cacheProblem->setAsideAs))
            << '\n';
    };
    std::unique_ptr<ResultCache> cache;
    if (!options.cache.empty()) {
        cache = ResultCache::open(options.cache, cacheProblem);
        if (cacheProblem)
            tellCacheProblem("used");
    }
    ReadOptions readOptions{options.allText};
    readOptions.pdf = options.pdf;
    if (options.ocr) {
        // Without the engine's data no picture can be read: the option is
        // refused, before any file is read.
        if (const std::optional<std::string> why = ocr::RecognitionUnavailable()) {
            err << "orvandel-cli: --ocr cannot be used: " << PrintableDescription(*why) << '\n';
            return kCliBadUsage;
        }
        readOptions.pictures = true;
        readOptions.pictureRun = ocr::MakePictureRun();
    }
    ReadAhead reads(std::move(input.files), workers, ReadingWith(open, readOptions, cache.get()));

    FirstOccurrences firsts;
    progress.setTotal(reads.size());
    AddressRecord record;
    for (std::size_t i = 0; i < reads.size(); ++i) {
        const CachedRead read = reads.take(i);
        const FileResult& result = read.result;
        if (!KeepRead(cache.get(), reads.path(i), readOptions, read, cacheProblem)) {
            // Told once; the cache then stores nothing more.
            if (cacheProblem)
                tellCacheProblem("written");
            cacheProblem.reset();
        }
        // A file gives all its addresses or, at its first failure, none;
        // the run keeps those no earlier file gave, exactly as the window's.
        if (const StepFailure* failure = result.firstFailure()) {
            std::string why =
                failure->description.empty() ? "The file cannot be read." : failure->description;
            if (const auto line = input.fromCrLfLines.find(reads.path(i)); line != input.fromCrLfLines.end())
                why += " (Its name, from the list " + line->second +
                       ", ends in CR: the list has CR LF line ends, which name other files.)";
            fail({why, failure->kind, reads.path(i), failure->part});
            writer.flush();
            progress.update(i + 1);
            continue;
        }
        record.file = reads.path(i);
        for (const FoundAddress& found : result.addresses) {
            record.address = found.address;
            record.slide = static_cast<std::size_t>(found.slide);
            record.place = found.place;
            record.name = found.name;
            if (firsts.offer(record.address))
                writer.write(record);
        }
        for (const SkippedPart& part : result.skipped)
            fail({SkippedPartText(part), part.kind, reads.path(i), part.part});
        writer.flush();
        progress.update(i + 1);
    }
    progress.finish();
    if (cache && !cache->flush(cacheProblem) && cacheProblem)
        tellCacheProblem("written");
    return finishOutput(writer, out, err, failed);
}

int RunCliMerge(const CliOptions& options, std::ostream& out, std::ostream& err) {
    AddressWriter writer(out, options.format);
    FirstOccurrences firsts;
    bool failed = false;
    std::string line;
    std::string error;
    for (const auto& shard : options.paths) {
        InputFile input(shard);
        if (!input.good(shard)) {
            writeDiagnostic(err, shard, "The shard's output cannot be read.");
            failed = true;
            continue;
        }
        std::istream& in = input.stream(shard);
        bool tooLong = false;
        for (std::size_t number = 1; readBoundedLine(in, line, kMaxShardLine, tooLong); ++number) {
            const std::string where = shard + ":" + std::to_string(number);
            if (tooLong) {
                writeDiagnostic(err, where, "The line is longer than any record.");
                failed = true;
                continue;
            }
            auto record = ParseJsonLine(line, error);
            if (const auto* failure = record ? std::get_if<ErrorRecord>(&*record) : nullptr) {
                // As the run over the whole list said it.
                writeDiagnostic(err, failure->shown(), failure->error);
                writer.write(*failure);
                failed = true;
                continue;
            }
            // The address goes out as it stands in text output: only what the
            // address rule accepts.
            const auto* address = record ? std::get_if<AddressRecord>(&*record) : nullptr;
            if (address && !IsValidEmail(address->address))
                error = "the address is not one the address rule accepts";
            if (!address || !IsValidEmail(address->address)) {
                writeDiagnostic(err, where, "Not a record: " + error + ".");
                failed = true;
                continue;
            }
            if (firsts.offer(address->address))
                writer.write(*address);
        }
        if (in.bad()) {
            writeDiagnostic(err, shard, "The shard's output cannot be read to its end.");
            failed = true;
        }
        writer.flush();
    }
    return finishOutput(writer, out, err, failed);
}

int RunCliArguments(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                    bool showProgress, const PresentationOpenFunction& open) {
    const CliParseResult parsed = ParseCliArguments(args);
    if (!parsed.error.empty())
        return badUsage(err, parsed.error);
    if (parsed.options.help || parsed.options.version) {
        out << (parsed.options.help ? CliUsage() : CliVersion());
        out.flush();
        return kCliAllRead;
    }
    if (parsed.options.merge)
        return RunCliMerge(parsed.options, out, err);
    return RunCli(parsed.options, out, err, showProgress, open);
}

} // namespace orv
