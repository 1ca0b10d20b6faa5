#include "filelist/Wildcard.h"

#include "base/Utf8.h"

#include <vector>

namespace orv {

namespace {

// Code points with ASCII letters folded to lower case; a byte that is not
// valid UTF-8 becomes a value above the Unicode range, so it only ever
// matches the same byte (or a wildcard).
std::vector<long> foldedCodePoints(std::string_view text) {
    std::vector<long> out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        auto [code, length] = DecodeUtf8At(text, pos);
        if (code < 0)
            code = 0x110000 + static_cast<unsigned char>(text[pos]);
        else if (code >= 'A' && code <= 'Z')
            code += 'a' - 'A';
        out.push_back(code);
        pos += length;
    }
    return out;
}

// Iterative glob match: on a mismatch, let the most recent "*" swallow one
// more character. Linear in practice, never exponential.
bool globMatch(const std::vector<long>& name, const std::vector<long>& pattern) {
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

long lastIndexOf(const std::vector<long>& text, long code) {
    for (std::size_t i = text.size(); i > 0; --i)
        if (text[i - 1] == code)
            return static_cast<long>(i - 1);
    return -1;
}

} // namespace

bool MatchesWildcard(std::string_view nameText, std::string_view patternText) {
    if (patternText == "*" || patternText == "*.*")
        return true;
    const auto name = foldedCodePoints(nameText);
    const auto pattern = foldedCodePoints(patternText);
    if (globMatch(name, pattern))
        return true;

    const long dot = lastIndexOf(name, '.');
    const bool endsInDotStar =
        pattern.size() >= 2 && pattern[pattern.size() - 2] == '.' && pattern.back() == '*';
    if (dot < 0 && endsInDotStar) {
        const std::vector<long> stem(pattern.begin(), pattern.end() - 2);
        if (globMatch(name, stem))
            return true;
    }

    // The three-character form of a longer extension, as an 8.3 short name has it.
    const bool threeCharacterExtension = pattern.size() == 5 && pattern[0] == '*' && pattern[1] == '.';
    const std::size_t extensionLength = dot < 0 ? 0 : name.size() - static_cast<std::size_t>(dot) - 1;
    if (threeCharacterExtension && extensionLength > 3) {
        const std::vector<long> shortened(name.begin(), name.begin() + dot + 4);
        return globMatch(shortened, pattern);
    }
    return false;
}

} // namespace orv
