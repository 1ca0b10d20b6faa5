#pragma once

#include <string>
#include <string_view>

namespace orv {

// Collapses the doubled separators that appear when a folder that already ends
// in one (a drive root, "/") is joined to a name with another. Backslashes
// keep their rule: outside a leading run, each pair becomes one in a single
// left-to-right pass; a leading run becomes exactly two (a network path).
// Forward slashes (this platform's separator) collapse the same way, a
// leading pair included, since there is no network-path prefix here.
std::string NormalizePath(std::string_view path);

} // namespace orv
