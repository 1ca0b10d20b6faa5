#include "filelist/NormalizePath.h"

namespace orv {

std::string NormalizePath(std::string_view path) {
    // One pass, left to right, without overlap: each pair of "/" becomes one,
    // so three in a row become two.
    std::string result;
    result.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        result.push_back(path[i]);
        if (path[i] == '/' && i + 1 < path.size() && path[i + 1] == '/')
            ++i;
    }
    return result;
}

} // namespace orv
