#include "shell/WindowCommandLine.h"

namespace orv {

std::string WindowUsage() {
    return R"(Usage: orvandel [PATH]...
Opens the Orvandel window, which collects the e-mail addresses written in
presentations: packages (.pptx and its kin), binary presentations (.ppt and
its kin), OpenDocument presentations (.odp, .fodp and their kin) and Keynote
presentations (.key).

Each PATH that names an existing file or folder joins the file list once the
window shows, as if it had been dropped there: a file as it is, a folder as
every file of its tree. Anything else is ignored; after "--" every argument
is a PATH.

The window keeps its settings (the last extension typed, the last folder
scanned, the "Read All Text" and "Remember Read Files" choices and the record of the example files) in
the section [Orvandel] of $XDG_CONFIG_HOME/Quillmoor.ini, by default
~/.config/Quillmoor.ini.

With "Remember Read Files" checked (right-click "Start Extracting"), each
file's result is kept in $XDG_CACHE_HOME/orvandel/results.sqlite, by default
~/.cache/orvandel/results.sqlite, under its path with its size, times, inode
and device and the reading options; a later run takes it from there while
the file is as it was. Delete that file to forget them all.

orvandel-cli reads the same presentations without a window, for scripts and
pipelines: see orvandel-cli --help and orvandel-cli(1).

Options:
  -h, --help   print this text and end
  --version    print the version and end
)";
}

std::string WindowVersion() {
    return "orvandel " ORVANDEL_VERSION "\n";
}

std::optional<std::string> WindowCommandLineAnswer(std::span<const std::string> args) {
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "-h" || arg == "--help")
            return WindowUsage();
        if (arg == "--version")
            return WindowVersion();
    }
    return std::nullopt;
}

} // namespace orv
