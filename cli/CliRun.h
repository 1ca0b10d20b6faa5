#pragma once

#include "cli/CliOptions.h"
#include "extract/run/ReadAhead.h"

#include <functional>
#include <iosfwd>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace orv {

// Exit statuses of the command-line tool.
inline constexpr int kCliAllRead = 0;
inline constexpr int kCliSomeUnreadable = 1;
inline constexpr int kCliBadUsage = 2;

// Trouble with a path: the path and what to say of it.
using CliProblem = std::function<void(const std::string& path, const std::string& description)>;

// The files a command line stands for.
struct CliFiles {
    std::vector<std::string> files;
    // Names read from a --files-from line that ends in CR LF -> the list.
    std::map<std::string, std::string> fromCrLfLines;
    // Set when a list cannot be taken as given (a line-separated list that
    // holds a NUL byte): nothing is to be read.
    std::string usageError;
};

// The files a command line stands for, in order: a file argument as given,
// then the names of each --files-from list in turn, a folder as the rows a
// folder scan of it would add. Trouble while reading a list or collecting a
// folder goes to `problem`.
CliFiles ExpandCliPaths(const CliOptions& options, const CliProblem& problem);

// Reads every file and prints the addresses found, each once, in the order a
// run of the window over the same list would add them. One line per
// unreadable file ("PATH: reason") and one per piece the "all text" mode
// skipped ("PATH: PART skipped: reason") goes to `err`, and, in JSON Lines,
// an error record to `out` in its place in the list. `showProgress` adds a running count of files
// read on `err` (for a terminal). Returns the exit status.
int RunCli(const CliOptions& options, std::ostream& out, std::ostream& err, bool showProgress,
           const PresentationOpenFunction& open);

// Merges the JSON Lines outputs of runs over consecutive parts of a list
// (options.paths, in list order) into what one run over the whole list would
// write in options.format: the same output, the same lines on `err` for the
// error records, the same exit status. A line that is no record gets one line
// on `err` and is skipped. Returns the exit status.
int RunCliMerge(const CliOptions& options, std::ostream& out, std::ostream& err);

// Parses the command line (without the program name) and runs it.
int RunCliArguments(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                    bool showProgress, const PresentationOpenFunction& open);

} // namespace orv
