#pragma once

#include <string_view>

namespace orv {

// Whether a file name matches a listing pattern, the way the folder scan lists
// files. "*" stands for any run of characters, "?" for exactly one; letters
// compare without regard to case (ASCII letters; other characters exactly).
// Beyond that plain rule, as the listings the scan was designed around do:
//   - "*" and "*.*" match every name, one without a dot included, and in
//     general a pattern ending in ".*" also matches the name without a dot;
//   - a pattern "*.ext" whose ext is exactly three characters also matches a
//     name whose extension is longer and begins with ext ("*.ppt" matches
//     "deck.pptx", not "deck.ppt.bak").
bool MatchesWildcard(std::string_view name, std::string_view pattern);

} // namespace orv
