#pragma once

#include "shell/ErrorReport.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// Folder paths, each ending in "/", in the order a scan visits them. Entries
// are plain strings compared by text.
using FolderList = std::vector<std::string>;

// How a scan reads the names of the sub-folders of one folder; empty for the
// file system's own listing (ListSubFolderNames). A stand-in lets tests make a
// folder refuse its listing whatever rights they run with.
using SubFolderLister = std::function<std::vector<std::string>(const std::string& folder)>;

// Appends the sub-folders of every entry, breadth-first: all children of the
// entries, then all grandchildren, and so on; within a level in the order of
// the parents, under one parent in listing order. A sub-folder counts only
// when its name is shorter than 260 characters, holds no odd character and no
// "?"; a folder path of 260 characters or more is kept but not descended
// into. A package folder (IsPackageFolder) is a file to the scan and is never
// collected, whatever its name. An entry that turns out to be unreadable (permission denied, gone) is
// removed. `yield` runs between folders so a window can stay responsive;
// failures outside the per-folder work go to `reporter`.
//
// A folder reached again within one scan (a link to an ancestor or to a folder
// already collected) is not collected a second time, so a link loop cannot
// make the scan run away.
void GetSubDirectories2016(FolderList& folderList, bool recurse, ErrorReporter& reporter,
                           const std::function<void()>& yield, const SubFolderLister& listSubFolders = {});

// The names (without folder) of the existing files of `folder` that match the
// wildcard `pattern`, package folders among them, in listing order (byte-wise
// sorted). Element k holds
// what the scan's 1-based name array holds at index k + 1; an empty vector
// stands for "no file", the array with only index 0. A folder that cannot be
// listed gives no names, and a name that is not valid UTF-8 is skipped.
// `folder` may end in "/" or not.
std::vector<std::string> ListFolderFiles(const std::string& folder, std::string_view pattern);

// The same for a file that matches any of several patterns; each name once.
std::vector<std::string> ListFolderFiles(const std::string& folder, std::span<const std::string> patterns);

// The paths of the files of `folder` that a scan for `patterns` would add but
// leaves out because their names are not valid UTF-8.
std::vector<std::string> ListFilesWithoutUtf8Names(const std::string& folder,
                                                   std::span<const std::string> patterns);

// The rows a folder scan adds for `folder` and everything below it: the folder
// list collected breadth-first, then per folder the existing files that match
// "*." + extension (the extension exactly as typed), without names beginning
// with "~" and without hidden regular files (attribute value 34) or hidden
// package folders (18), each path cleaned with NormalizePath. A `folder` that
// is itself a package folder gives its own path alone, when its name matches.
std::vector<std::string> CollectFolderFiles(const std::string& folder, std::string_view extension,
                                            ErrorReporter& reporter, const std::function<void()>& yield,
                                            const SubFolderLister& listSubFolders = {});

// How far a scan is: the folders collected so far and the files found so far.
using ScanProgress = std::function<void(std::size_t folders, std::size_t files)>;

// The same for files that match any of several extensions, in one walk.
// `progress`, when given, is told how far the scan is before each yield of the
// folder collection and after each folder's files are listed.
std::vector<std::string> CollectFolderFiles(const std::string& folder,
                                            std::span<const std::string> extensions, ErrorReporter& reporter,
                                            const std::function<void()>& yield,
                                            const ScanProgress& progress = {},
                                            const SubFolderLister& listSubFolders = {});

} // namespace orv
