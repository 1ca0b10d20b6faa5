#include "cli/CliFolders.h"

#include "base/Utf8.h"
#include "filelist/AddFolder.h"
#include "filelist/FileSystem.h"

#include <set>

namespace orv {

namespace {

// The folder scan's length bound, in characters, for names and for paths.
constexpr std::size_t kPathLimit = 260;

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count)
        pos += DecodeUtf8At(text, pos).length;
    return count;
}

// Nothing is reported through this: the scan's own trouble shows up below as
// a folder that is not collected.
class QuietReporter : public ErrorReporter {
public:
    void report(std::string_view, std::int32_t, const std::string&) override {}
};

std::string whyNameRefused(std::string_view name) {
    if (HasOddCharacters(name) || name.find('?') != std::string_view::npos)
        return "skipped: its name holds a control character, \"?\" or bytes that are not UTF-8";
    if (characterCount(name) >= kPathLimit)
        return "skipped: its name is 260 characters or longer";
    return {};
}

} // namespace

void FindSkippedEntries(const std::string& folder, std::span<const std::string> extensions,
                        const std::function<void(const std::string& path, const std::string& why)>& skipped) {
    FolderList collected{folder + (folder.ends_with('/') ? "" : "/")};
    QuietReporter quiet;
    GetSubDirectories2016(collected, true, quiet, {});
    std::set<std::string> paths(collected.begin(), collected.end());
    std::set<std::pair<std::uint64_t, std::uint64_t>> identities;
    for (const auto& path : collected)
        if (const auto id = IdentifyFolder(path))
            identities.insert({id->device, id->inode});

    std::vector<std::string> patterns;
    for (const auto& extension : extensions)
        patterns.push_back("*." + extension);
    for (const auto& parent : collected) {
        for (const auto& file : ListFilesWithoutUtf8Names(parent, patterns))
            skipped(file, "skipped: its name holds bytes that are not UTF-8");
        std::vector<std::string> names;
        try {
            names = ListSubFolderNames(parent);
        } catch (const FolderListingFailure& failure) {
            skipped(parent, "skipped: " + failure.description());
            continue;
        }
        if (names.empty())
            continue;
        if (characterCount(parent) >= kPathLimit) {
            skipped(parent, "its sub-folders are skipped: the path is 260 characters or longer");
            continue;
        }
        for (const auto& name : names) {
            const std::string child = parent + name + "/";
            // A package folder is a file, listed or not by its name; the scan
            // is right not to enter it.
            if (paths.contains(child) || IsPackageFolder(child))
                continue;
            const auto id = IdentifyFolder(child);
            if (id && identities.contains({id->device, id->inode}))
                continue; // reached again through a link: read once already
            std::string why = whyNameRefused(name);
            if (why.empty()) {
                try {
                    ListFolderNames(child);
                    why = "skipped";
                } catch (const FolderListingFailure& failure) {
                    why = "skipped: " + failure.description();
                }
            }
            skipped(child, why);
        }
    }
}

} // namespace orv
