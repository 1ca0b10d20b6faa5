#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orv {

// What kind of thing went wrong, for callers and tests that act on the cause
// rather than on the words.
enum class FailureKind {
    Unexpected,      // a fault of the program's own use (an index past the end)
    NotPresentation, // a file of another kind, or a format that cannot be read
    Damaged,         // a file that breaks the rules of its own format
    Encrypted,       // password-protected content
    OverLimit,       // more than any real file holds, refused before it is built
    InputOutput,     // a path that cannot be opened, read or written
};

// The kind in a few plain words ("over a limit"), for diagnostics and tests.
std::string_view FailureKindName(FailureKind kind);

// The description of the exception in flight (call inside a catch block): a
// Failure's text, any standard exception's what(), or a plain word for
// anything else.
std::string DescribeCurrentException();

// The one exception type of the project. Anything that goes wrong unexpectedly
// (a file that cannot be read, a list index past the end, a damaged package)
// travels as a Failure whose description the error report shows verbatim.
// Beside the description it carries its kind and, where known, the part of
// the file (a zip entry, a stream) and the byte offset in that part (or in the
// file, when no part is named) where the fault was found, as a parser's result
// carries a status and an offset. Expected outcomes (a cancelled dialog, an
// empty list) are ordinary values.
class Failure : public std::runtime_error {
public:
    explicit Failure(const std::string& description) : Failure(FailureKind::Unexpected, description) {}
    Failure(FailureKind kind, const std::string& description, std::string part = {},
            std::optional<std::uint64_t> offset = std::nullopt)
        : std::runtime_error(description), m_kind(kind), m_part(std::move(part)), m_offset(offset) {}

    std::string description() const { return what(); }
    FailureKind kind() const { return m_kind; }
    const std::string& part() const { return m_part; }
    std::optional<std::uint64_t> offset() const { return m_offset; }

private:
    FailureKind m_kind;
    std::string m_part;
    std::optional<std::uint64_t> m_offset;
};

} // namespace orv
