#pragma once

#include <array>
#include <cstdint>

namespace orv::email {

// One byte-indexed table answers every character question the extractor asks,
// so the hot loops do a single load per byte instead of chains of comparisons.
enum CharClass : std::uint8_t {
    kPunctuation = 1 << 0, // cleaned to a space (the no-break space is two bytes, handled apart)
    kTokenBreak = 1 << 1,  // ends a token once the text is cleaned: punctuation, tab, CR, space
    kLocalFirst = 1 << 2,  // may open the part before "@"
    kLocalRest = 1 << 3,   // may follow in the part before "@"
    kLabel = 1 << 4,       // may stand in a domain label
    kLetter = 1 << 5,
    kDigit = 1 << 6,
};

// UTF-8 form of the no-break space, the only separator above code 126.
inline constexpr unsigned char kNoBreakLead = 0xC2;
inline constexpr unsigned char kNoBreakTrail = 0xA0;

inline constexpr std::array<std::uint8_t, 256> kClasses = [] {
    std::array<std::uint8_t, 256> table{};
    constexpr unsigned char punctuation[] = {7,   11,   ',', '!', '"', '#', '$', '%', '&', '\'',
                                             '(', ')',  '*', '/', ':', ';', '<', '=', '>', '?',
                                             '[', '\\', ']', '^', '`', '{', '|', '}', '~'};
    for (unsigned char c : punctuation)
        table[c] |= kPunctuation | kTokenBreak;
    for (unsigned char c : {'\t', '\r', ' '})
        table[c] |= kTokenBreak;
    for (int c = 'a'; c <= 'z'; ++c) {
        table[c] |= kLetter | kLocalFirst | kLocalRest | kLabel;
        table[c - 'a' + 'A'] |= kLetter | kLocalFirst | kLocalRest | kLabel;
    }
    for (int c = '0'; c <= '9'; ++c)
        table[c] |= kDigit | kLocalFirst | kLocalRest | kLabel;
    table['_'] |= kLocalFirst | kLocalRest;
    table['-'] |= kLocalFirst | kLocalRest | kLabel;
    table['.'] |= kLocalRest;
    return table;
}();

inline constexpr bool has(char c, std::uint8_t classes) {
    return (kClasses[static_cast<unsigned char>(c)] & classes) != 0;
}

} // namespace orv::email
