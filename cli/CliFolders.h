#pragma once

#include <functional>
#include <span>
#include <string>

namespace orv {

// What a folder scan of `folder` for `extensions` leaves out, each with why:
// the sub-folders whose name the scan's rule refuses (a control character,
// "?", bytes that are not UTF-8, 260 characters or more), a folder whose path
// is too long to descend into or that cannot be listed, and the files that
// would be taken but whose names are not valid UTF-8. Folders reached again
// through a link are not named: their files are read once already. `skipped`
// gets the path (or the folder not descended into) and the reason.
void FindSkippedEntries(const std::string& folder, std::span<const std::string> extensions,
                        const std::function<void(const std::string& path, const std::string& why)>& skipped);

} // namespace orv
