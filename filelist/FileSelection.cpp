#include "filelist/FileSelection.h"

#include "filelist/NormalizePath.h"

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

std::vector<std::string> SelectionParts(const std::vector<std::string>& paths) {
    if (paths.size() <= 1)
        return paths;
    const std::string& first = paths.front();
    const auto slash = first.rfind('/');
    // The root keeps its separator, as a drive root does.
    const std::size_t folderLength = slash == std::string::npos ? 0 : std::max<std::size_t>(slash, 1);
    std::vector<std::string> parts{first.substr(0, folderLength)};
    for (const auto& path : paths) {
        const auto cut = path.rfind('/');
        parts.push_back(cut == std::string::npos ? path : path.substr(cut + 1));
    }
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
        rows.push_back(NormalizePath(parts[0] + "/" + parts[i]));
    return rows;
}

} // namespace orv
