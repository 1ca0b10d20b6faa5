#include "cli/CliRun.h"

#include "cli/CliFolders.h"
#include "extract/Harvest.h"
#include "filelist/AddFolder.h"
#include "filelist/FileSystem.h"
#include "shell/ErrorReport.h"
#include "shell/SafeText.h"

#include <chrono>
#include <ostream>

namespace orv {

namespace {

// One diagnostic line: the path and the description, both escaped, so that
// neither a file's name nor its contents can break the line or drive the
// terminal.
void writeDiagnostic(std::ostream& err, std::string_view path, std::string_view description) {
    err << PrintableText(path) << ": " << PrintableDescription(description) << '\n';
}

// Scan trouble has no window to show it in: one line on stderr, naming the
// folder argument it happened under.
class StreamReporter : public ErrorReporter {
public:
    StreamReporter(std::ostream& err, const std::string& folder) : m_err(err), m_folder(folder) {}
    void report(std::string_view, std::int32_t, const std::string& description) override {
        writeDiagnostic(m_err, m_folder, description);
        m_reported = true;
    }
    bool reported() const { return m_reported; }

private:
    std::ostream& m_err;
    const std::string& m_folder;
    bool m_reported = false;
};

// Prints addresses as they are found, so nothing but the order depends on
// how many files are read at once.
class AddressPrinter {
public:
    AddressPrinter(std::ostream& out, bool comma) : m_out(out), m_comma(comma) {}
    void print(std::string_view address) { m_out << address << (m_comma ? ',' : '\n'); }
    // After each file, so that a run stopped at any point (killed, out of
    // memory) keeps every address already found.
    void flush() { m_out.flush(); }
    void finish() {
        if (m_comma)
            m_out << "\r\n";
        m_out.flush();
    }

private:
    std::ostream& m_out;
    bool m_comma;
};

class Progress {
public:
    Progress(std::ostream& err, bool enabled, std::size_t total)
        : m_err(err), m_enabled(enabled), m_total(total) {}
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
    std::size_t m_total;
    std::chrono::steady_clock::time_point m_last{};
};

} // namespace

std::vector<std::string> ExpandCliPaths(const CliOptions& options, std::ostream& err, bool& failed) {
    const std::span<const std::string> extensions = options.extensions.empty()
                                                        ? DefaultPresentationExtensions()
                                                        : std::span<const std::string>(options.extensions);
    std::vector<std::string> files;
    for (const auto& path : options.paths) {
        if (!IsDirectory(path)) {
            files.push_back(path);
            continue;
        }
        // The window says nothing about a folder it cannot list; here the
        // exit status would claim success, so say it.
        try {
            ListFolderNames(path);
        } catch (const FolderListingFailure& failure) {
            writeDiagnostic(err, path, failure.description());
            failed = true;
            continue;
        }
        StreamReporter reporter(err, path);
        auto rows = CollectFolderFiles(path, extensions, reporter, {});
        failed = failed || reporter.reported();
        // The scan leaves some folders out by rule; their files would be
        // missing from the output without a word, so each is named.
        FindSkippedFolders(path, [&](const std::string& folder, const std::string& why) {
            writeDiagnostic(err, folder, why);
            failed = true;
        });
        files.insert(files.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    }
    return files;
}

int RunCli(const CliOptions& options, std::ostream& out, std::ostream& err, bool showProgress,
           const PresentationOpenFunction& open) {
    bool failed = false;
    std::vector<std::string> files = ExpandCliPaths(options, err, failed);
    const unsigned workers = options.jobs > 1 ? options.jobs : 0;
    CliReadAhead reads(std::move(files), workers, open);

    AddressPrinter printer(out, options.comma);
    Progress progress(err, showProgress, reads.size());
    SeenEmails seen;
    std::string lowered;
    for (std::size_t i = 0; i < reads.size(); ++i) {
        const CliReadResult result = reads.take(i);
        // Each file's addresses come once each in the order found; the run
        // keeps those no earlier file gave, exactly as one harvest would.
        for (const auto& address : result.addresses) {
            lowered.assign(address);
            for (char& c : lowered)
                if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c - 'A' + 'a');
            if (seen.insert(lowered).second)
                printer.print(address);
        }
        if (result.failed) {
            progress.clearLine();
            writeDiagnostic(err, reads.path(i),
                            result.error.empty() ? "The file cannot be read." : result.error);
            failed = true;
        }
        printer.flush();
        progress.update(i + 1);
    }
    progress.finish();
    printer.finish();
    if (!out) {
        err << "orvandel-cli: the addresses could not be written out\n";
        return kCliSomeUnreadable;
    }
    return failed ? kCliSomeUnreadable : kCliAllRead;
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
    return RunCli(parsed.options, out, err, showProgress, open);
}

} // namespace orv
