#pragma once

#include <span>
#include <string>
#include <vector>

namespace orv {

// How the addresses are written: one a line; the comma-delimited save; or,
// with where each was first found, CSV (RFC 4180) or JSON Lines.
enum class CliFormat { Text, Comma, Csv, Jsonl };

// What the command line asks for.
struct CliOptions {
    bool help = false;
    bool version = false;
    CliFormat format = CliFormat::Text;
    bool allText = false;                // read every text of each slide, not only its top-level shapes
    bool pdf = false;                    // read PDF documents too (folders then give .pdf files)
    bool ocr = false;                    // read the text pictures show
    std::vector<std::string> filesFrom;  // lists of paths to read, in turn ("-": standard input)
    bool nulSeparated = false;           // the list's paths end in NUL, not LF
    bool merge = false;                  // the paths are JSON Lines outputs of shards, to be merged
    unsigned jobs = 0;                   // files read at the same time; 0: one per processor core
    std::vector<std::string> extensions; // for folders; empty means the presentation extensions
    std::string cache;                   // the file of remembered results; empty: none
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

// The same with the formats read on request (--pdf): PDF documents too.
std::vector<std::string> PresentationExtensionsWithPdf();

// The text of --help.
std::string CliUsage();

// The text of --version: "orvandel-cli VERSION" and a line feed.
std::string CliVersion();

} // namespace orv
