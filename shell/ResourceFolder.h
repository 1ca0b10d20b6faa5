#pragma once

#include <string>

namespace orv {

// The folder that holds the program's optional files (the skin, the cursors
// and the sample presentations): the program's own folder when any of them
// lies there, as in a build folder or a copy unpacked anywhere; otherwise
// "../share/orvandel" beside it when that exists, as in an installed copy
// under any prefix; otherwise the program's own folder, where none of them
// will be found.
std::string ResourceFolder(const std::string& programFolder);

} // namespace orv
