#include "cli/CliOptions.h"

#include <charconv>
#include <string_view>

namespace orv {

namespace {

const std::string kExtensions[] = {"pptx", "pptm", "ppsx", "ppsm", "potx", "potm", "ppt", "pps", "pot"};

bool parseJobs(std::string_view text, unsigned& jobs) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > kMaxCliJobs)
        return false;
    jobs = value;
    return true;
}

} // namespace

std::span<const std::string> DefaultPresentationExtensions() {
    return kExtensions;
}

CliParseResult ParseCliArguments(std::span<const std::string> args) {
    CliParseResult result;
    CliOptions& options = result.options;
    const auto fail = [&](std::string message) {
        result.error = std::move(message);
        return result;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            options.paths.emplace_back(arg);
            continue;
        }
        // An option's value comes glued ("-j4", "--ext=ppt") or as the next argument.
        const auto value = [&](std::string_view name, std::string_view& out) {
            if (arg.size() > name.size()) {
                out = arg.substr(name.size());
                if (name.starts_with("--")) {
                    if (!out.starts_with('='))
                        return false;
                    out.remove_prefix(1);
                }
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        const auto is = [&](std::string_view name) {
            return arg == name || (arg.starts_with(name) && (name == "-j" || arg[name.size()] == '='));
        };
        std::string_view text;
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--comma") {
            options.comma = true;
        } else if (is("-j") || is("--jobs")) {
            const std::string_view name = arg.starts_with("--") ? "--jobs" : "-j";
            if (!value(name, text))
                return fail(std::string(name) + " needs a number of files to read at once");
            if (!parseJobs(text, options.jobs))
                return fail(std::string(name) + " takes a whole number from 1 to " +
                            std::to_string(kMaxCliJobs) + ", not \"" + std::string(text) + "\"");
        } else if (is("--ext")) {
            if (!value("--ext", text))
                return fail("--ext needs an extension");
            if (text.empty())
                return fail("--ext needs a non-empty extension");
            options.extensions.emplace_back(text);
        } else {
            return fail("unknown option " + std::string(arg));
        }
    }
    if (!options.help && options.paths.empty())
        return fail("no PATH given");
    return result;
}

std::string CliUsage() {
    return R"(Usage: orvandel-cli [--comma] [-j N] [--ext EXT]... PATH...

Prints every e-mail address written in the given presentations, each once, in
the order found: files in the order given, then slide by slide, shape by shape.

A PATH that is a folder stands for the files of its whole tree (breadth-first,
names sorted within each folder) whose extension matches, skipping names that
begin with "~" and hidden files. Without --ext a folder gives its presentations:
pptx pptm ppsx ppsm potx potm ppt pps pot.

Options:
  --comma      print all addresses on one line, each followed by ",", then CR LF:
               the same bytes as the comma-delimited save of the window
               (without it: one address a line, each followed by LF)
  -j N         read N files at once (1 to 64, default 1); the output is the same
  --ext EXT    for folders, take the files matching "*.EXT" (as the window's
               folder scan: case-insensitive, "*" for every file, a three-letter
               EXT also matches longer extensions that begin with it); may be
               given more than once
  -h, --help   print this text

A file that cannot be read gets one line "PATH: reason" on stderr; the others
are still read. Exit status: 0 when every file was read, 1 when some could not
be, 2 for a bad command line.
)";
}

} // namespace orv
