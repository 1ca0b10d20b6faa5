#pragma once

#include <functional>
#include <string>

namespace orv {

// The sub-folders a folder scan of `folder` leaves out, each with why: a name
// the scan's rule refuses (a control character, "?", bytes that are not UTF-8,
// 260 characters or more), a folder whose path is too long to descend into,
// or one that cannot be listed. Folders reached again through a link are not
// named: their files are read once already. `skipped` gets the sub-folder's
// path (or the folder not descended into) and the reason.
void FindSkippedFolders(const std::string& folder,
                        const std::function<void(const std::string& path, const std::string& why)>& skipped);

} // namespace orv
