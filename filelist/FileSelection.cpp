#include "filelist/FileSelection.h"

#include "extract/PresentationFormats.h"
#include "filelist/NormalizePath.h"
#include "filelist/Wildcard.h"

#include <algorithm>

namespace orv {

namespace {

std::size_t utf16Length(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s) {
        if ((c & 0xC0) != 0x80)
            ++n; // a lead or ASCII byte starts a character
        if (c >= 0xF0)
            ++n; // four-byte sequences need a surrogate pair
    }
    return n;
}

} // namespace

std::string AddFilesFilter() {
    constexpr std::string_view presentations = "*.p*";
    std::string filter =
        "PowerPoint Files (" + std::string(presentations) + ")|" + std::string(presentations);
    for (const auto& extension : PresentationExtensions())
        if (!MatchesWildcard("x." + extension, presentations))
            filter += ";*." + extension;
    return filter + "|All Files (*.*)|*.*|";
}

namespace {

// The folder of a full path; the root keeps its separator, as a drive root does.
std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, std::max<std::size_t>(slash, 1));
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::vector<std::string> SelectionParts(const std::vector<std::string>& paths) {
    if (paths.size() <= 1)
        return paths;
    const std::string folder = folderOf(paths.front());
    const bool oneFolder = std::all_of(paths.begin(), paths.end(),
                                       [&](const std::string& path) { return folderOf(path) == folder; });
    std::vector<std::string> parts{oneFolder ? folder : std::string()};
    for (const auto& path : paths)
        parts.push_back(oneFolder ? nameOf(path) : path);
    return parts;
}

bool SelectionFitsBuffer(const std::vector<std::string>& parts) {
    std::size_t total = 1; // the second terminator that closes the list
    for (const auto& part : parts)
        total += utf16Length(part) + 1;
    return total <= kFileNameBufferChars;
}

std::vector<std::string> SelectionRows(const std::vector<std::string>& parts) {
    if (parts.size() <= 1)
        return parts;
    std::vector<std::string> rows;
    rows.reserve(parts.size() - 1);
    for (std::size_t i = 1; i < parts.size(); ++i)
        rows.push_back(NormalizePath(parts[0].empty() ? parts[i] : parts[0] + "/" + parts[i]));
    return rows;
}

} // namespace orv
