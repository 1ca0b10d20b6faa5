#include "cli/CliOptions.h"

#include "extract/PresentationFormats.h"

#include <charconv>
#include <string_view>

namespace orv {

namespace {

bool parseJobs(std::string_view text, unsigned& jobs) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > kMaxCliJobs)
        return false;
    jobs = value;
    return true;
}

bool parseFormat(std::string_view text, CliFormat& format) {
    static constexpr std::pair<std::string_view, CliFormat> names[] = {{"text", CliFormat::Text},
                                                                       {"comma", CliFormat::Comma},
                                                                       {"csv", CliFormat::Csv},
                                                                       {"jsonl", CliFormat::Jsonl}};
    for (const auto& [name, value] : names)
        if (text == name) {
            format = value;
            return true;
        }
    return false;
}

// The default extensions for the help text, a line at most 79 columns wide,
// ending with a full stop.
std::string extensionLines() {
    std::string text;
    std::size_t lineStart = 0;
    for (const auto& extension : PresentationExtensions()) {
        if (!text.empty()) {
            const bool fits = text.size() - lineStart + 1 + extension.size() + 1 <= 79;
            text += fits ? " " : "\n";
            if (!fits)
                lineStart = text.size();
        }
        text += extension;
    }
    return text + ".";
}

} // namespace

std::span<const std::string> DefaultPresentationExtensions() {
    return PresentationExtensions();
}

std::vector<std::string> PresentationExtensionsWithPdf() {
    std::vector<std::string> list = PresentationExtensions();
    for (std::string& extension : OnRequestExtensions())
        list.push_back(std::move(extension));
    return list;
}

CliParseResult ParseCliArguments(std::span<const std::string> args) {
    CliParseResult result;
    CliOptions& options = result.options;
    const auto fail = [&](std::string message) {
        result.error = std::move(message);
        return result;
    };
    bool optionsEnded = false;
    std::string readingOption; // one that only matters when presentations are read
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
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--comma") {
            options.format = CliFormat::Comma;
        } else if (is("--format")) {
            if (!value("--format", text))
                return fail("--format needs one of text, comma, csv, jsonl");
            if (!parseFormat(text, options.format))
                return fail("--format takes text, comma, csv or jsonl, not \"" + std::string(text) + "\"");
        } else if (arg == "--all-text") {
            options.allText = true;
            readingOption = "--all-text";
        } else if (arg == "--pdf") {
            options.pdf = true;
            readingOption = "--pdf";
        } else if (arg == "--ocr") {
            options.ocr = true;
            readingOption = "--ocr";
        } else if (is("--files-from")) {
            if (!value("--files-from", text) || text.empty())
                return fail("--files-from needs a file (\"-\" for standard input)");
            options.filesFrom.emplace_back(text);
        } else if (arg == "-0" || arg == "--null") {
            options.nulSeparated = true;
        } else if (arg == "--merge") {
            options.merge = true;
        } else if (is("-j") || is("--jobs")) {
            const std::string_view name = arg.starts_with("--") ? "--jobs" : "-j";
            if (!value(name, text))
                return fail(std::string(name) + " needs a number of files to read at once");
            if (!parseJobs(text, options.jobs))
                return fail(std::string(name) + " takes a whole number from 1 to " +
                            std::to_string(kMaxCliJobs) + ", not \"" + std::string(text) + "\"");
            readingOption = name;
        } else if (is("--cache")) {
            if (!value("--cache", text) || text.empty())
                return fail("--cache needs the file of remembered results");
            options.cache = text;
            readingOption = "--cache";
        } else if (is("--ext")) {
            if (!value("--ext", text))
                return fail("--ext needs an extension");
            if (text.empty())
                return fail("--ext needs a non-empty extension");
            options.extensions.emplace_back(text);
            readingOption = "--ext";
        } else {
            return fail("unknown option " + std::string(arg));
        }
    }
    if (options.nulSeparated && options.filesFrom.empty())
        return fail("-0 only applies to --files-from");
    if (options.merge && !options.filesFrom.empty())
        return fail("--merge takes the shard outputs as arguments, not --files-from");
    if (options.merge && !readingOption.empty())
        return fail(readingOption + " does nothing with --merge: give it to the runs over the shards");
    if (!options.help && !options.version && options.paths.empty() && options.filesFrom.empty())
        return fail(options.merge ? "--merge needs the shard outputs to merge" : "no PATH given");
    return result;
}

std::string CliUsage() {
    return R"(Usage: orvandel-cli [--all-text] [--pdf] [--ocr] [--format FORMAT] [-j N] [--ext EXT]...
                   [--cache FILE] [--files-from LIST [-0]]... PATH...
       orvandel-cli --merge [--format FORMAT] SHARD.jsonl...

Prints every e-mail address written in the given presentations, each once, in
the order found: files in the order given, then slide by slide, shape by shape.

A PATH that is a folder stands for the files of its whole tree (breadth-first,
names sorted within each folder) whose extension matches, skipping names that
begin with "~" and hidden files. Without --ext a folder gives its presentations:
)" + extensionLines() +
           R"(
A Keynote deck kept as a package folder (a folder named *.key holding
Index.zip, Index/ or index.apxl) is one file, never entered.
PDF documents (.pdf) are read on request only: with --pdf.)" +
           R"(

Options:
  --format F   how to write the addresses:
                 text   one address a line, each followed by LF (the default)
                 comma  all on one line, each followed by ",", then CR LF: the
                        same bytes as the comma-delimited save of the window
                 csv    one record per address with where it was first found:
                        address,file,slide,place,name (RFC 4180: a header
                        line, fields quoted as needed, CR LF after each line)
                 jsonl  the same records as JSON Lines: one object a line,
                        keys address, file, slide, place, name; UTF-8;
                        and, in list order, one record per file that
                        cannot be read and per piece --all-text skipped,
                        keys error (what stderr says after "PATH: "),
                        kind (damaged, not a presentation, encrypted,
                        over a limit, input/output, unexpected), file,
                        part (of the file, where known)
               The slide counts from 1 in presentation order, and is 0 for
               the masters, layouts and embedded documents; the place is
               shape, group, table, chart, alt, diagram, notes, comment,
               link, master, layout, embedded, page (the text of a page
               of a PDF document) or picture (the text a picture shows,
               with --ocr); name is the name of the shape that holds the
               text, where stored (for an embedded document, its part).
               In csv, control characters other than CR and LF, and bytes
               that are not UTF-8, become U+FFFD; a field holding a comma,
               a quote, CR or LF is quoted, CR and LF staying inside the
               quotes; a file or name field that begins with "=", "+", "-"
               or "@" gets a leading "'", so that a spreadsheet does not
               take it for a formula. In jsonl, control characters, U+2028,
               U+2029 and the bidirectional controls are \u escapes, and
               bytes that are not UTF-8 become U+FFFD.
  --comma      the same as --format comma
  --all-text   besides the text of each slide's top-level shapes, read shapes
               inside groups, table cells, charts (titles, category labels,
               series names), alternative text, diagram text, the notes page
               and its mailto: links, comments and the addresses of mailto:
               links; per slide in that order (shapes, groups, tables and
               charts as they stand, each shape's alternative text after
               it); then every master (slide, notes and handout masters)
               and layout, then every document the deck embeds (workbooks,
               word-processing documents, decks; two levels deep at most),
               as slide 0. In a PDF document: each page's text, then the
               addresses of its mailto: links and the text of its comments
               (text annotations)
  --pdf        read PDF documents too (exported or printed decks), each page
               as a slide, in a reader process of its own; folders then also
               give their .pdf files. With --all-text, a PDF document a deck
               embeds is read as any embedded document
  --ocr        read the text the pictures on the slides show (PNG, JPEG,
               GIF, BMP, TIFF, WebP), by text recognition in a reader
               process of its own (Tesseract, with its English data:
               tesseract-ocr-eng), each picture where it stands among the
               slide's shapes, as place picture. Vector pictures (EMF, WMF,
               SVG) are passed over. With --all-text, also the pictures of
               notes pages, masters, layouts and embedded documents; with
               --pdf, every page without text is read as a picture (place
               page). A word with an "@" that is not recognised surely is
               left out, so that a misread does not become a wrong address.
               The same picture is recognised once in a run. A picture too
               large (over 40 million pixels), damaged, or whose recognition
               takes over 15 s is skipped and named, as are a file's pictures
               past 1000, past 400 million pixels or past 60 s in all
  --files-from LIST
               read the paths to read from the file LIST ("-": standard
               input), one a line, after any PATH arguments; given more than
               once, the lists are read in turn. A list with a NUL byte
               needs -0
  -0, --null   the paths in the lists end with a NUL character instead of a
               line feed, so that any name can be given
  --merge      the arguments are JSON Lines outputs of runs over consecutive
               parts of a list, in list order: write what one run over the
               whole list would have written, in the chosen --format, with
               the same lines on stderr and the same exit status (--all-text,
               --pdf, --ocr, -j and --ext belong to those runs, not to
               --merge)
  -j N         read N files at once (1 to 64; by default one per processor
               core); the output is the same
  --ext EXT    for folders, take the files matching "*.EXT" (as the window's
               folder scan: case-insensitive, "*" for every file, a three-letter
               EXT also matches longer extensions that begin with it); may be
               given more than once
  --cache FILE remember each file's result in FILE (an SQLite database,
               made when missing; ~/.cache/orvandel/results.sqlite is the
               window's), and take it from there while the file is as it
               was: same size, modification and change time, inode and
               device, read with the same options and by this version of
               the readers. The output is the same as without it. Failures
               are remembered too, except where a file could not be read
               at all. Delete FILE to forget everything; a damaged one is
               set aside as FILE.bad and made anew
  -h, --help   print this text
  --version    print the version

A file that cannot be read gives no address and one line "PATH: reason" on
stderr; the others are still read. With --all-text, a piece that only it reads
(a notes page, a comments part, diagram data, a chart, a master or layout, an
embedded document, a page's links, a group) that is
damaged or over a limit is skipped with one line "PATH: PART skipped: reason",
and the rest of the file is read; so is a picture --ocr skips. Exit status: 0 when every file was read
whole, 1 when some file or piece could not be, 2 for a bad command line.
)";
}

std::string CliVersion() {
    return "orvandel-cli " ORVANDEL_VERSION "\n";
}

} // namespace orv
