#include "filelist/NormalizePath.h"

namespace orv {

namespace {

// One pass, left to right, without overlap: each pair of `sep` becomes one, so
// three in a row become two.
void collapsePairs(std::string_view text, char sep, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        out.push_back(text[i]);
        if (text[i] == sep && i + 1 < text.size() && text[i + 1] == sep)
            ++i;
    }
}

} // namespace

std::string NormalizePath(std::string_view path) {
    std::string backslashed;
    backslashed.reserve(path.size() + 1);
    if (!path.empty() && path.front() == '\\') {
        const auto p = path.find_first_not_of('\\');
        backslashed = "\\\\";
        collapsePairs(p == std::string_view::npos ? std::string_view{} : path.substr(p), '\\', backslashed);
    } else {
        collapsePairs(path, '\\', backslashed);
    }
    std::string result;
    result.reserve(backslashed.size());
    collapsePairs(backslashed, '/', result);
    return result;
}

} // namespace orv
