#pragma once

#include "base/Failure.h"
#include "cli/CliOptions.h"
#include "extract/model/PresentationContent.h"
#include "extract/run/FileResult.h"
#include "results/Exports.h"

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace orv {

// One address at its first occurrence, with where it was found.
struct AddressRecord {
    std::string address;
    std::string file;
    std::size_t slide = 0; // 1-based, in presentation order
    TextPlace place = TextPlace::Shape;
    std::string name; // of the shape that holds the text; empty when none is stored
};

// A file that could not be read, or a piece of one that the "all text" mode
// skipped: what stderr says of it after "PATH: ", the kind of failure
// (FailureKindName) and the part of the file concerned, where known.
struct ErrorRecord {
    std::string error;
    FailureKind kind = FailureKind::Unexpected;
    std::string file;
    std::string part;
    // The file's name as stderr shows it, when a record read back carried
    // one; else it is made from `file`.
    std::string shownFile = {};

    std::string shown() const;
};

// A line of a shard's output: an address or an error.
using ShardRecord = std::variant<AddressRecord, ErrorRecord>;

// A JSON string literal: quotes, backslashes, control characters (C0, DEL
// and C1), the line and paragraph separators (U+2028, U+2029) and the
// bidirectional controls (U+202A to U+202E, U+2066 to U+2069) escaped, bytes
// that are not UTF-8 replaced by U+FFFD.
std::string JsonString(std::string_view text);

// One record as a JSON Lines object, without the line feed: keys address,
// file, slide, place, name; or error, kind, file, part, and file_shown when
// the name is not UTF-8 (JSON holds it with U+FFFD for the bytes that are
// not, so stderr's form, with those bytes escaped, travels beside it).
std::string JsonLine(const AddressRecord& record);
std::string JsonLine(const ErrorRecord& record);

// Parses a line that JsonLine wrote (keys in any order, unknown keys
// ignored, none repeated). Nothing, with `error` set, for anything else.
std::optional<ShardRecord> ParseJsonLine(std::string_view line, std::string& error);

// Writes records in one of the output formats. Text and comma formats write
// the address alone; CSV starts with its header line and writes each record
// as the window's save with sources does (CsvRecord).
class AddressWriter {
public:
    AddressWriter(std::ostream& out, CliFormat format);
    void write(const AddressRecord& record);
    // Only the JSON Lines format carries errors (on stderr they are lines of
    // their own).
    void write(const ErrorRecord& record);
    void flush();
    // Ends the output (the comma format's CR LF).
    void finish();

private:
    std::ostream& m_out;
    CliFormat m_format;
};

} // namespace orv
