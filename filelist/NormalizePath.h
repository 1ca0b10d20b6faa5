#pragma once

#include <string>
#include <string_view>

namespace orv {

// Collapses the doubled separators that appear when a folder that already ends
// in one (the root "/") is joined to a name with another: each pair of "/"
// becomes one in a single left-to-right pass, a leading pair included, since
// this platform has no network-path prefix. A backslash is an ordinary
// character in a name here and is left alone, as is everything else.
std::string NormalizePath(std::string_view path);

} // namespace orv
