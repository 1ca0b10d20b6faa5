#include "extract/EmailExtraction.h"

#include "extract/EmailCharacters.h"

#include <cstring>

namespace orv {
namespace {

using email::has;
using email::kNoBreakLead;
using email::kNoBreakTrail;

bool isNoBreakSpace(const char* p, const char* end) {
    return p + 1 < end && static_cast<unsigned char>(p[0]) == kNoBreakLead &&
           static_cast<unsigned char>(p[1]) == kNoBreakTrail;
}

// Width in bytes of the token break that starts at p (0 when none does).
// Byte 0xC2 is never a continuation byte, so "C2 A0" is a no-break space
// wherever it stands, even among malformed bytes.
std::size_t breakWidthAt(const char* p, const char* end) {
    if (has(*p, email::kTokenBreak))
        return 1;
    return isNoBreakSpace(p, end) ? 2 : 0;
}

// Whether a token break ends right before p; `begin` bounds the look-back.
bool breakEndsBefore(const char* p, const char* begin) {
    if (has(p[-1], email::kTokenBreak))
        return true;
    return p - 1 > begin && static_cast<unsigned char>(p[-1]) == kNoBreakTrail &&
           static_cast<unsigned char>(p[-2]) == kNoBreakLead;
}

bool isCandidate(std::string_view word) {
    return word.find('@') != std::string_view::npos && word.find('.') != std::string_view::npos;
}

void lowerAsciiInto(std::string_view text, std::string& out) {
    out.assign(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
}

} // namespace

std::string SeenKey(std::string_view address) {
    std::string key;
    lowerAsciiInto(address, key);
    return key;
}

std::string ReplacePunctuation(std::string_view text) {
    std::string cleaned;
    cleaned.reserve(text.size());
    const char* const end = text.data() + text.size();
    for (const char* p = text.data(); p < end; ++p) {
        if (has(*p, email::kPunctuation)) {
            cleaned.push_back(' ');
        } else if (isNoBreakSpace(p, end)) {
            cleaned.push_back(' ');
            ++p;
        } else {
            cleaned.push_back(*p);
        }
    }
    return cleaned;
}

std::vector<std::string> GetCandidateTokens(std::string_view text) {
    // Cutting at tab, then carriage return, then space visits the same words in
    // the same order as cutting once at any of the three: the nesting only
    // matters for empty pieces, and those never hold "@".
    std::vector<std::string> candidates;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t stop = text.find_first_of("\t\r ", start);
        if (stop == std::string_view::npos)
            stop = text.size();
        const std::string_view word = text.substr(start, stop - start);
        if (isCandidate(word))
            candidates.emplace_back(word);
        start = stop + 1;
    }
    return candidates;
}

// Equal to cleaning, cutting and testing one candidate after another, but done
// in one pass over the raw text: it jumps from "@" to "@", and only the token
// around each is looked at, so text without addresses costs a memchr.
void HarvestEmailsFromText(std::string_view text, SeenEmails& seen, const HarvestCallbacks& callbacks) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    // Every token that holds a byte at or after `floor` also starts there or later.
    const char* floor = begin;
    std::string lowered;
    while (floor < end) {
        const char* at =
            static_cast<const char*>(std::memchr(floor, '@', static_cast<std::size_t>(end - floor)));
        if (at == nullptr)
            return;
        const char* first = at;
        while (first > floor && !breakEndsBefore(first, begin))
            --first;
        const char* last = at + 1;
        std::size_t breakWidth = 0;
        while (last < end && (breakWidth = breakWidthAt(last, end)) == 0)
            ++last;
        floor = last + breakWidth;

        const std::string_view token(first, static_cast<std::size_t>(last - first));
        if (std::memchr(first, '.', token.size()) == nullptr)
            continue;
        if (callbacks.pumpEvents)
            callbacks.pumpEvents();
        if (!IsValidEmail(token))
            continue;
        lowerAsciiInto(token, lowered);
        if (seen.contains(lowered))
            continue;
        seen.insert(lowered);
        if (callbacks.appendRow)
            callbacks.appendRow(token);
    }
}

} // namespace orv
