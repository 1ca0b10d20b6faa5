#pragma once

#include "filelist/AddFolder.h"

namespace orv {

class EventPump;
class ProgressCaption;

// A folder scan's progress for the window: the caption tells the folders and
// files found so far (`filesBefore` counts files found before this scan began,
// read at each call), and the window repaints, also while the files of each
// folder are listed.
ScanProgress ScanProgressInCaption(ProgressCaption& caption, EventPump& pump, const std::size_t& filesBefore);

} // namespace orv
