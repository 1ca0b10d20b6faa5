#pragma once

#include <span>
#include <string>
#include <vector>

namespace orv {

// What the command line asks for.
struct CliOptions {
    bool help = false;
    bool comma = false;                  // print the comma-delimited save instead of one address a line
    unsigned jobs = 1;                   // files read at the same time
    std::vector<std::string> extensions; // for folders; empty means the presentation extensions
    std::vector<std::string> paths;      // files and folders, in the order given
};

// A parse either gives options or says what is wrong with the command line.
struct CliParseResult {
    CliOptions options;
    std::string error; // empty when the command line is usable
};

inline constexpr unsigned kMaxCliJobs = 64;

// Parses the arguments after the program name.
CliParseResult ParseCliArguments(std::span<const std::string> args);

// The extensions a folder stands for when no --ext is given: those the
// presentation readers know.
std::span<const std::string> DefaultPresentationExtensions();

// The text of --help.
std::string CliUsage();

} // namespace orv
