#pragma once

#include "base/Failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// File attribute values as the folder rules compare them (whole values, not
// bits). This platform has no hidden or system flags: a name that begins with
// "." counts as hidden, every regular file carries the archive value, a
// symbolic link the reparse-point value, and the system value never appears.
namespace attr {
inline constexpr std::uint32_t Hidden = 2;
inline constexpr std::uint32_t System = 4;
inline constexpr std::uint32_t Directory = 16;
inline constexpr std::uint32_t Archive = 32;
inline constexpr std::uint32_t ReparsePoint = 1024;
} // namespace attr

// A folder that cannot be listed. The folder scan tells "permission denied" and
// "path not found" apart from every other cause, so the cause travels along.
class FolderListingFailure : public Failure {
public:
    enum class Cause { PermissionDenied, PathNotFound, Other };
    FolderListingFailure(Cause cause, const std::string& description)
        : Failure(FailureKind::InputOutput, description), m_cause(cause) {}
    Cause cause() const { return m_cause; }

private:
    Cause m_cause;
};

// The attribute value of a path (links followed for the directory and archive
// values; the link itself gives the reparse-point value). Throws Failure when
// the path does not exist.
std::uint32_t ReadAttributes(const std::string& path);

// The same, or nothing when the path does not exist.
std::optional<std::uint32_t> TryReadAttributes(const std::string& path);

// True when the attributes can be read and carry the directory value.
bool IsDirectory(const std::string& path);

// True when the path names an existing regular file, links followed. Read
// permission on the file itself is not needed.
bool FileExists(const std::string& path);

// True when the folder at `path` is a document of a format stored as a folder
// (a macOS package folder, such as a Keynote deck): the folder routines take
// it as one file and never enter it. For a folder whose name no such format
// uses this costs a look at the name, no call to the file system.
bool IsPackageFolder(const std::string& path);

// True when the path names what a folder scan lists as a file: an existing
// regular file or a package folder, links followed.
bool FileOrPackageExists(const std::string& path);

// True when the path's last-modification time can be read (a file or a
// folder, links followed); false on any failure.
bool PathExists(const std::string& path);

// True when the folder path is this platform's root: "/" (or any run of "/").
bool IsRootFolder(std::string_view path);

// True when any code point of the UTF-8 name is below 32, from 127 to 159, or
// "?". Bytes that are not valid UTF-8 count as "?".
bool HasOddCharacters(std::string_view name);

// The names in a folder ("." and ".." left out), sorted byte-wise so that a
// scan gives the same order every time. Throws FolderListingFailure.
std::vector<std::string> ListFolderNames(const std::string& folder);

// The names of the sub-folders of a folder (links to folders included),
// sorted byte-wise. Throws FolderListingFailure.
std::vector<std::string> ListSubFolderNames(const std::string& folder);

// Identifies a folder whatever path leads to it, so that a scan can tell a
// folder it has already collected from a new one.
struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};
std::optional<FolderIdentity> IdentifyFolder(const std::string& path);

} // namespace orv
