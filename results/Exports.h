#pragma once

#include "shell/RowSource.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// The bytes of the saved files, UTF-8 without a byte-order mark, CR LF line ends.
// Text file: each address on a line of its own ("" for no rows).
std::string TextFileBytes(const std::vector<std::string>& rows);
// Comma-delimited file: one line, every address followed by a comma ("\r\n" for no rows).
std::string CommaDelimitedBytes(const std::vector<std::string>& rows);

// A field of a CSV record (RFC 4180): quoted when it holds a comma, a quote,
// CR or LF, quotes doubled. Control characters other than CR and LF, and
// bytes that are not UTF-8, become U+FFFD, so that no name can drive a
// terminal.
std::string CsvField(std::string_view text);

// A field of free text (a file or shape name) that a spreadsheet must not
// take for a formula: one that begins with "=", "+", "-" or "@" gets a
// leading "'" (so "=1+2" is written '=1+2), then it is written as CsvField.
std::string CsvTextField(std::string_view text);

// The CSV of addresses with where they were found: this header line, then a
// record per address (CsvRecord).
inline constexpr std::string_view kCsvHeader = "address,file,slide,place,name\r\n";

// One CSV record with its CR LF: address, file, slide, place, name.
std::string CsvRecord(std::string_view address, const RowSource& source);

// A result row as the CSV save takes it; a row without a source has empty
// file, slide, place and name fields.
struct SourcedRow {
    std::string address;
    std::optional<RowSource> source;
};

// The CSV file: the header, then each row's record in order.
std::string CsvFileBytes(const std::vector<SourcedRow>& rows);

} // namespace orv
