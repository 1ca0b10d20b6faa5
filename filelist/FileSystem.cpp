#include "filelist/FileSystem.h"

#include "base/Utf8.h"
#include "extract/PresentationFormats.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace orv {

namespace {

// The path without its trailing separators; a root stays "/".
std::string withoutTrailingSlashes(std::string_view path) {
    std::string_view trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.remove_suffix(1);
    return std::string(trimmed);
}

std::string_view lastComponent(std::string_view trimmedPath) {
    const auto slash = trimmedPath.find_last_of('/');
    return slash == std::string_view::npos ? trimmedPath : trimmedPath.substr(slash + 1);
}

bool isHiddenName(std::string_view name) {
    return !name.empty() && name.front() == '.' && name != "." && name != "..";
}

FolderListingFailure listingFailure(const std::string& folder, int error) {
    using Cause = FolderListingFailure::Cause;
    Cause cause = Cause::Other;
    if (error == EACCES || error == EPERM)
        cause = Cause::PermissionDenied;
    else if (error == ENOENT || error == ENOTDIR)
        cause = Cause::PathNotFound;
    return FolderListingFailure(cause,
                                "The folder " + folder + " cannot be listed: " + std::strerror(error) + ".");
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

} // namespace

std::optional<std::uint32_t> TryReadAttributes(const std::string& path) {
    const std::string trimmed = withoutTrailingSlashes(path);
    if (trimmed.empty())
        return std::nullopt;
    struct stat linkInfo {};
    if (lstat(trimmed.c_str(), &linkInfo) != 0)
        return std::nullopt;
    std::uint32_t value = 0;
    struct stat info = linkInfo;
    if (S_ISLNK(linkInfo.st_mode)) {
        value |= attr::ReparsePoint;
        if (stat(trimmed.c_str(), &info) != 0)
            info = linkInfo; // a dangling link is only a link
    }
    if (S_ISDIR(info.st_mode))
        value |= attr::Directory;
    else if (S_ISREG(info.st_mode))
        value |= attr::Archive;
    if (trimmed != "/" && isHiddenName(lastComponent(trimmed)))
        value |= attr::Hidden;
    return value;
}

std::uint32_t ReadAttributes(const std::string& path) {
    if (const auto value = TryReadAttributes(path))
        return *value;
    throw Failure("The attributes of " + path + " cannot be read: " + std::strerror(errno) + ".");
}

bool IsDirectory(const std::string& path) {
    const auto value = TryReadAttributes(path);
    return value && (*value & attr::Directory) != 0;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsPackageFolder(const std::string& path) {
    return !path.empty() && PackageFolderFormat(path) != nullptr;
}

bool FileOrPackageExists(const std::string& path) {
    return FileExists(path) || IsPackageFolder(path);
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0;
}

bool IsRootFolder(std::string_view path) {
    return !path.empty() && path.find_first_not_of('/') == std::string_view::npos;
}

bool HasOddCharacters(std::string_view name) {
    for (std::size_t pos = 0; pos < name.size();) {
        const auto [code, length] = DecodeUtf8At(name, pos);
        // An invalid byte decodes to -1: it stands for "?" and is odd as well.
        if (code < 32 || (code >= 127 && code <= 159) || code == '?')
            return true;
        pos += length;
    }
    return false;
}

std::vector<std::string> ListFolderNames(const std::string& folder) {
    errno = 0;
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        throw listingFailure(folder, errno);
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                throw listingFailure(folder, errno);
            break;
        }
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ListSubFolderNames(const std::string& folder) {
    std::string prefix = folder;
    if (prefix.empty() || prefix.back() != '/')
        prefix.push_back('/');
    std::vector<std::string> folders;
    for (auto& name : ListFolderNames(folder)) {
        struct stat info {};
        if (stat((prefix + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            folders.push_back(std::move(name));
    }
    return folders;
}

std::optional<FolderIdentity> IdentifyFolder(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return FolderIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

} // namespace orv
