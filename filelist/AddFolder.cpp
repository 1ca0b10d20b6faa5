#include "filelist/AddFolder.h"

#include "base/Utf8.h"
#include "filelist/FileSystem.h"
#include "filelist/NormalizePath.h"
#include "filelist/Wildcard.h"

#include <algorithm>
#include <set>
#include <utility>

namespace orv {

namespace {

// The longest folder path and sub-folder name the scan accepts, in characters.
constexpr std::size_t kPathLimit = 260;

// Attribute values of folders the scan never descends into.
constexpr std::uint32_t kHiddenSystemFolder = attr::Directory | attr::Hidden | attr::System;
constexpr std::uint32_t kHiddenSystemLink = kHiddenSystemFolder | attr::ReparsePoint;

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count)
        pos += DecodeUtf8At(text, pos).length;
    return count;
}

// A file the scan adds: not named with a leading "~", still there, and not
// hidden (a file that vanished after the test has no attributes). A package
// folder counts as a file, and a hidden one (attribute value 18) is left out
// as a hidden file is.
bool takenByScan(const std::string& path, std::string_view name) {
    if (name.starts_with('~'))
        return false;
    std::uint32_t hidden = attr::Hidden | attr::Archive;
    if (!FileExists(path)) {
        if (!IsPackageFolder(path))
            return false;
        hidden = attr::Hidden | attr::Directory;
    }
    const auto attributes = TryReadAttributes(path);
    return attributes && *attributes != hidden;
}

std::string withoutTrailingSlashes(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return std::string(path);
}

bool matchesAny(std::string_view name, std::span<const std::string> patterns) {
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::string& pattern) { return MatchesWildcard(name, pattern); });
}

bool qualifies(const std::string& folder, std::uint32_t attributes) {
    return IsRootFolder(folder) || (attributes != kHiddenSystemFolder && attributes != kHiddenSystemLink);
}

bool subFolderNameCounts(std::string_view name) {
    return characterCount(name) < kPathLimit && !HasOddCharacters(name) &&
           name.find('?') == std::string_view::npos && name != "." && name != "..";
}

// What one scan remembers across its levels: the folders already collected,
// so that a link back up the tree is not followed again.
class Scan {
public:
    Scan(ErrorReporter& reporter, const std::function<void()>& yield, const SubFolderLister& listSubFolders)
        : m_reporter(reporter), m_yield(yield), m_listSubFolders(listSubFolders) {}

    // Records a folder; false when this scan has collected it before.
    bool firstVisit(const std::string& folder) {
        const auto identity = IdentifyFolder(folder);
        return !identity || m_seen.insert({identity->device, identity->inode}).second;
    }

    void yield() const {
        if (m_yield)
            m_yield();
    }

    void level(FolderList& folderList, bool recurse);

private:
    void listChildren(const std::string& v, FolderList& newFolders);

    ErrorReporter& m_reporter;
    const std::function<void()>& m_yield;
    const SubFolderLister& m_listSubFolders;
    std::set<std::pair<std::uint64_t, std::uint64_t>> m_seen;
};

// Examines one folder of the level and lists its qualifying children. Throws
// when the folder cannot be read.
void Scan::listChildren(const std::string& v, FolderList& newFolders) {
    if (!IsDirectory(v))
        return;
    if (characterCount(v) >= kPathLimit)
        return;
    const auto attributes = TryReadAttributes(v);
    if (!attributes)
        throw FolderListingFailure(FolderListingFailure::Cause::PathNotFound,
                                   "The folder " + v + " is gone.");
    yield();
    if (!qualifies(v, *attributes))
        return;
    for (const auto& name : m_listSubFolders ? m_listSubFolders(v) : ListSubFolderNames(v)) {
        yield();
        if (!subFolderNameCounts(name))
            continue;
        std::string child = v + name + "/";
        // A package folder is one file of its parent: what it holds is no
        // presentation of its own.
        if (IsPackageFolder(child))
            continue;
        if (firstVisit(child))
            newFolders.push_back(std::move(child));
    }
}

// One level: the children of every entry go to a new list, the deeper levels
// are appended to that list by the next call, and the qualifying folders of
// the new list are appended to this one.
void Scan::level(FolderList& folderList, bool recurse) {
    Steps s(m_reporter, loc::GetSubDirectories2016);
    FolderList newFolders;
    // Entries may be removed from the list while it is walked; walk the
    // entries it held when the pass began.
    const FolderList parents = folderList;
    for (const auto& v : parents) {
        try {
            listChildren(v, newFolders);
        } catch (const FolderListingFailure& failure) {
            if (failure.cause() != FolderListingFailure::Cause::Other) {
                const auto found = std::find(folderList.begin(), folderList.end(), v);
                if (found != folderList.end())
                    folderList.erase(found);
            }
        } catch (...) {
            // Any other trouble with one folder leaves it in the list.
        }
    }
    s.run(150, [&] {
        if (recurse && !newFolders.empty())
            level(newFolders, true);
    });
    for (const auto& v : newFolders) {
        bool isDirectory = false;
        s.run(154, [&] { isDirectory = IsDirectory(v); });
        if (!isDirectory)
            continue;
        s.run(156, [&] { yield(); });
        s.run(158, [&] {
            if (qualifies(v, ReadAttributes(v)))
                folderList.push_back(v);
        });
    }
}

} // namespace

void GetSubDirectories2016(FolderList& folderList, bool recurse, ErrorReporter& reporter,
                           const std::function<void()>& yield, const SubFolderLister& listSubFolders) {
    Scan scan(reporter, yield, listSubFolders);
    for (const auto& start : folderList)
        scan.firstVisit(start);
    scan.level(folderList, recurse);
}

std::vector<std::string> ListFolderFiles(const std::string& folder, std::span<const std::string> patterns) {
    std::string prefix = folder;
    if (prefix.empty() || prefix.back() != '/')
        prefix.push_back('/');
    std::vector<std::string> names;
    try {
        names = ListFolderNames(prefix);
    } catch (const FolderListingFailure&) {
        return {};
    }
    std::erase_if(names, [&](const std::string& name) {
        // A name that is not valid UTF-8 cannot be shown or handed on as
        // text: such a row would name no file.
        return !IsUtf8(name) || !matchesAny(name, patterns) || !FileOrPackageExists(prefix + name);
    });
    return names;
}

std::vector<std::string> ListFilesWithoutUtf8Names(const std::string& folder,
                                                   std::span<const std::string> patterns) {
    std::string prefix = folder;
    if (prefix.empty() || prefix.back() != '/')
        prefix.push_back('/');
    std::vector<std::string> paths;
    try {
        for (const auto& name : ListFolderNames(prefix))
            if (!IsUtf8(name) && matchesAny(name, patterns) && takenByScan(prefix + name, name))
                paths.push_back(prefix + name);
    } catch (const FolderListingFailure&) {
    }
    return paths;
}

std::vector<std::string> ListFolderFiles(const std::string& folder, std::string_view pattern) {
    const std::string single(pattern);
    return ListFolderFiles(folder, std::span<const std::string>(&single, 1));
}

std::vector<std::string> CollectFolderFiles(const std::string& folder,
                                            std::span<const std::string> extensions, ErrorReporter& reporter,
                                            const std::function<void()>& yield, const ScanProgress& progress,
                                            const SubFolderLister& listSubFolders) {
    std::vector<std::string> patterns;
    for (const auto& extension : extensions)
        patterns.push_back("*." + extension);

    // A package folder picked itself is the one file it stands for, when its
    // name matches: it was chosen by name, so no hidden or "~" rule applies.
    if (IsPackageFolder(folder)) {
        const std::string path = NormalizePath(withoutTrailingSlashes(folder));
        const std::string_view name = std::string_view(path).substr(path.rfind('/') + 1);
        if (matchesAny(name, patterns) && IsUtf8(name))
            return {path};
        return {};
    }

    FolderList folderList{folder + "/"};
    if (progress)
        GetSubDirectories2016(
            folderList, true, reporter,
            [&] {
                progress(folderList.size(), 0);
                yield();
            },
            listSubFolders);
    else
        GetSubDirectories2016(folderList, true, reporter, yield, listSubFolders);

    std::vector<std::string> rows;
    for (auto entry : folderList) {
        entry.pop_back();
        for (const auto& name : ListFolderFiles(entry, patterns)) {
            const std::string path = entry + "/" + name;
            if (takenByScan(path, name))
                rows.push_back(NormalizePath(path));
        }
        if (progress)
            progress(folderList.size(), rows.size());
    }
    return rows;
}

std::vector<std::string> CollectFolderFiles(const std::string& folder, std::string_view extension,
                                            ErrorReporter& reporter, const std::function<void()>& yield,
                                            const SubFolderLister& listSubFolders) {
    const std::string single(extension);
    return CollectFolderFiles(folder, std::span<const std::string>(&single, 1), reporter, yield, {},
                              listSubFolders);
}

} // namespace orv
