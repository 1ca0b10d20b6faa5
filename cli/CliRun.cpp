#include "cli/CliRun.h"

#include "base/SafeText.h"
#include "cli/CliFolders.h"
#include "cli/CliOutput.h"
#include "extract/Harvest.h"
#include "filelist/AddFolder.h"
#include "filelist/FileSystem.h"
#include "shell/ErrorReport.h"

#include <chrono>
#include <fstream>
#include <iostream>
#include <ostream>

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

// The paths a --files-from list names, in order; empty entries name nothing
// and are skipped. False when the list cannot be read.
bool readFileList(std::istream& in, bool nulSeparated, std::vector<std::string>& paths) {
    std::string entry;
    while (std::getline(in, entry, nulSeparated ? '\0' : '\n'))
        if (!entry.empty())
            paths.push_back(std::move(entry));
    return in.eof() && !in.bad();
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

// What an opened input stream stands for: a file, or standard input for "-".
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

// Keeps the first occurrence of each address (compared as the run compares
// them) and writes it.
class FirstOccurrences {
public:
    explicit FirstOccurrences(AddressWriter& writer) : m_writer(writer) {}
    void offer(const AddressRecord& record) {
        m_lowered.assign(record.address);
        for (char& c : m_lowered)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        if (m_seen.insert(m_lowered).second)
            m_writer.write(record);
    }

private:
    AddressWriter& m_writer;
    SeenEmails m_seen;
    std::string m_lowered;
};

int finishOutput(AddressWriter& writer, std::ostream& out, std::ostream& err, bool failed) {
    writer.finish();
    if (!out) {
        err << "orvandel-cli: the addresses could not be written out\n";
        return kCliSomeUnreadable;
    }
    return failed ? kCliSomeUnreadable : kCliAllRead;
}

} // namespace

std::vector<std::string> ExpandCliPaths(const CliOptions& options, const CliProblem& problem) {
    const std::span<const std::string> extensions = options.extensions.empty()
                                                        ? DefaultPresentationExtensions()
                                                        : std::span<const std::string>(options.extensions);
    std::vector<std::string> arguments = options.paths;
    if (!options.filesFrom.empty()) {
        InputFile list(options.filesFrom);
        if (!list.good(options.filesFrom) ||
            !readFileList(list.stream(options.filesFrom), options.nulSeparated, arguments))
            problem(options.filesFrom, "The list of files cannot be read.");
    }
    std::vector<std::string> files;
    for (const auto& path : arguments) {
        if (!IsDirectory(path)) {
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
        // The scan leaves some folders out by rule; their files would be
        // missing from the output without a word, so each is named.
        FindSkippedFolders(path, problem);
        files.insert(files.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    }
    return files;
}

int RunCli(const CliOptions& options, std::ostream& out, std::ostream& err, bool showProgress,
           const PresentationOpenFunction& open) {
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
    std::vector<std::string> files =
        ExpandCliPaths(options, [&](const std::string& path, const std::string& why) {
            fail({why, FailureKind::InputOutput, path, {}});
        });
    const unsigned workers = options.jobs > 1 ? options.jobs : 0;
    CliReadAhead reads(std::move(files), workers, open, ReadOptions{options.allText});

    FirstOccurrences printer(writer);
    progress.setTotal(reads.size());
    AddressRecord record;
    for (std::size_t i = 0; i < reads.size(); ++i) {
        const CliReadResult result = reads.take(i);
        // Each file's addresses come once each in the order found; the run
        // keeps those no earlier file gave, exactly as one harvest would.
        record.file = reads.path(i);
        for (std::size_t k = 0; k < result.addresses.size(); ++k) {
            record.address = result.addresses[k];
            record.slide = result.origins[k].slide;
            record.place = result.origins[k].place;
            record.name = result.origins[k].name;
            printer.offer(record);
        }
        if (result.failed)
            fail({result.error.empty() ? "The file cannot be read." : result.error, result.kind,
                  reads.path(i), result.part});
        for (const SkippedPart& part : result.skipped)
            fail({SkippedPartText(part), part.kind, reads.path(i), part.part});
        writer.flush();
        progress.update(i + 1);
    }
    progress.finish();
    return finishOutput(writer, out, err, failed);
}

int RunCliMerge(const CliOptions& options, std::ostream& out, std::ostream& err) {
    AddressWriter writer(out, options.format);
    FirstOccurrences firsts(writer);
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
                writeDiagnostic(err, failure->file, failure->error);
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
            firsts.offer(*address);
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
    if (!parsed.error.empty()) {
        err << "orvandel-cli: " << PrintableText(parsed.error) << "\nTry 'orvandel-cli --help'.\n";
        return kCliBadUsage;
    }
    if (parsed.options.help) {
        out << CliUsage();
        out.flush();
        return kCliAllRead;
    }
    if (parsed.options.merge)
        return RunCliMerge(parsed.options, out, err);
    return RunCli(parsed.options, out, err, showProgress, open);
}

} // namespace orv
