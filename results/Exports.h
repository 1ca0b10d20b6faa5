#pragma once

#include <string>
#include <vector>

namespace orv {

// The bytes of the saved files, UTF-8 without a byte-order mark, CR LF line ends.
// Text file: each address on a line of its own ("" for no rows).
std::string TextFileBytes(const std::vector<std::string>& rows);
// Comma-delimited file: one line, every address followed by a comma ("\r\n" for no rows).
std::string CommaDelimitedBytes(const std::vector<std::string>& rows);

} // namespace orv
