// Whole-token test against the address pattern
//
//   ^([a-zA-Z0-9_\-])([a-zA-Z0-9_\-\.]*)@(\[(N\.){3}|(([a-zA-Z0-9\-]+)\.)+)([a-zA-Z]{2,}|N\])$
//   with N = 25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9]
//
// in its ECMAScript meaning. A backtracking engine recurses per character and
// dies on long tokens; this matcher walks the token a fixed number of times and
// never recurses. It relies on facts of the pattern's shape:
//  - no class before the "@" holds "@", so the first "@" ends the local part;
//  - N is always followed by "." or "]", so it takes a whole run of digits;
//  - the last part holds no ".", so in the label form it starts after the last
//    "." of the domain, and everything before is the run of labels.
#include "extract/EmailCharacters.h"
#include "extract/EmailExtraction.h"

#include <cstddef>

namespace orv {
namespace {

using email::has;

constexpr std::size_t kNoMatch = std::string_view::npos;

// A number from 0 to 255 without leading zeros at `from`; the position after it.
std::size_t skipOctet(std::string_view s, std::size_t from) {
    std::size_t end = from;
    while (end < s.size() && end - from < 4 && has(s[end], email::kDigit))
        ++end;
    const std::size_t digits = end - from;
    if (digits == 0 || digits == 4)
        return kNoMatch;
    if (digits > 1 && s[from] == '0')
        return kNoMatch;
    if (digits == 3) {
        const int value = (s[from] - '0') * 100 + (s[from + 1] - '0') * 10 + (s[from + 2] - '0');
        if (value > 255)
            return kNoMatch;
    }
    return end;
}

// The closing part: two or more letters, or a number followed by "]", then the end.
bool matchesTail(std::string_view s, std::size_t from) {
    std::size_t letters = from;
    while (letters < s.size() && has(s[letters], email::kLetter))
        ++letters;
    if (letters == s.size())
        return letters - from >= 2;
    const std::size_t afterOctet = skipOctet(s, from);
    return afterOctet != kNoMatch && afterOctet + 1 == s.size() && s[afterOctet] == ']';
}

bool matchesBracketDomain(std::string_view domain) {
    std::size_t at = 1; // past "["
    for (int part = 0; part < 3; ++part) {
        at = skipOctet(domain, at);
        if (at == kNoMatch || at >= domain.size() || domain[at] != '.')
            return false;
        ++at;
    }
    return matchesTail(domain, at);
}

bool matchesLabelDomain(std::string_view domain) {
    const std::size_t lastDot = domain.rfind('.');
    if (lastDot == std::string_view::npos)
        return false;
    bool labelOpen = false;
    for (std::size_t i = 0; i < lastDot; ++i) {
        const char c = domain[i];
        if (c == '.') {
            if (!labelOpen)
                return false;
            labelOpen = false;
        } else if (has(c, email::kLabel)) {
            labelOpen = true;
        } else {
            return false;
        }
    }
    return labelOpen && matchesTail(domain, lastDot + 1);
}

} // namespace

bool IsValidEmail(std::string_view token) {
    const std::size_t at = token.find('@');
    if (at == std::string_view::npos || at == 0 || !has(token[0], email::kLocalFirst))
        return false;
    for (std::size_t i = 1; i < at; ++i)
        if (!has(token[i], email::kLocalRest))
            return false;
    const std::string_view domain = token.substr(at + 1);
    if (domain.empty())
        return false;
    return domain.front() == '[' ? matchesBracketDomain(domain) : matchesLabelDomain(domain);
}

} // namespace orv
