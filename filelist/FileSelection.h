#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orv {

// The file-open dialog hands its answer over in a buffer of this many
// characters; a selection that does not fit is refused as a whole.
inline constexpr std::size_t kFileNameBufferChars = 30000;

// The filter of the add-files dialog: "PowerPoint Files (*.p*)|*.p*", then
// every presentation extension that "*.p*" does not match (";*.odp"), then
// "|All Files (*.*)|*.*|".
std::string AddFilesFilter();

// The picked files as the dialog's buffer holds them: one file alone is its
// full path; several from one folder are the folder first, then each bare
// name, in order. Files picked from several folders (recent files, typed
// paths) have no common folder: the first part is then empty and each of the
// others is a full path, so that every file keeps its own folder.
std::vector<std::string> SelectionParts(const std::vector<std::string>& paths);

// Whether the parts fit the buffer: every part with one separator after it,
// plus the closing terminator. Counted in UTF-16 units, as the dialog counts.
bool SelectionFitsBuffer(const std::vector<std::string>& parts);

// The rows the selection adds to the file list: one file exactly as given;
// several as folder, separator and name (or each full path, when there is no
// common folder) through NormalizePath.
std::vector<std::string> SelectionRows(const std::vector<std::string>& parts);

} // namespace orv
