#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orv {

// Text that may come from a file or a file name, made safe to show on a
// terminal or in a box: control characters (C0, DEL, C1, the line and
// paragraph separators and the bidirectional overrides) and bytes that are not
// valid UTF-8 are written as escapes (`\n`, `\x1b`, `\u202e`, `\xE9`), so one
// diagnostic stays one line and cannot redraw or retitle the terminal. Valid
// printable UTF-8 passes unchanged, and the result is valid UTF-8 that escaping
// again leaves unchanged. When `limit` is given, the result is cut before it
// would exceed that many bytes and ends with an ellipsis.
std::string PrintableText(std::string_view text, std::size_t limit = std::string_view::npos);

// How much of a text taken from inside a file (a part name, a relationship
// target) a description quotes.
inline constexpr std::size_t kQuotedFileTextLimit = 200;

// A text taken from inside a file, escaped and cut for quoting in a description.
inline std::string FileText(std::string_view text) {
    return PrintableText(text, kQuotedFileTextLimit);
}

// How long a description may grow on the terminal or in the error report.
inline constexpr std::size_t kDescriptionLimit = 700;

// A description as shown: escaped and cut to kDescriptionLimit.
inline std::string PrintableDescription(std::string_view description) {
    return PrintableText(description, kDescriptionLimit);
}

} // namespace orv
