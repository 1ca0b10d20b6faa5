#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace orv {

// What the file system says of a file, all of which must be as it was for a
// stored result to stand for the file: a file rewritten with its size and
// modification time kept still has a new change time.
//
// A package folder (a deck stored as a folder) is stamped by what it holds:
// the size is the total of its regular files, the times are the newest of
// everything in it, the folder itself and its sub-folders included (so that a
// part edited, added, removed or renamed anywhere inside changes the stamp),
// and the inode and device are the folder's own.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds
    std::int64_t changed = 0;  // nanoseconds
    std::uint64_t inode = 0;
    std::uint64_t device = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of a file or package folder; nothing when the path cannot be
// examined. A package folder is walked without following a link inside it,
// to at most kMaxStampEntries entries and kMaxStampDepth levels below it: one
// that holds more, or that has a part that cannot be examined, gives nothing,
// so that what its stamp would miss never lets a stale result stand for it.
std::optional<FileStamp> StampOf(const std::string& path);

inline constexpr std::size_t kMaxStampEntries = 32768;
inline constexpr int kMaxStampDepth = 16;

} // namespace orv
