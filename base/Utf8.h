#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orv {

// The one UTF-8 decoder and encoder of the program.

// A code point decoded from UTF-8, or -1 for a byte that does not start a
// valid, shortest-form sequence (that byte alone is consumed).
struct DecodedCodePoint {
    long value;
    std::size_t length;
};

inline DecodedCodePoint DecodeUtf8At(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    long value = 0;
    long minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return {-1, 1};
    }
    if (pos + length > text.size())
        return {-1, 1};
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80)
            return {-1, 1};
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {-1, 1};
    return {value, length};
}

// Whether the whole text is valid UTF-8.
bool IsUtf8(std::string_view text);

// Writes the code point (below 0x110000) as UTF-8 at `out`, at most four
// bytes; returns the end.
char* PutUtf8(char* out, std::uint32_t cp);

void AppendUtf8(std::string& out, std::uint32_t cp);

// UTF-16 code units as UTF-8, little-endian unless `bigEndian`. A lone
// surrogate becomes U+FFFD; an odd last byte is no character.
std::string Utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian = false);

// The same, written at `out`, which must have room for three bytes a unit;
// returns the end.
char* PutUtf16AsUtf8(char* out, std::span<const std::uint8_t> bytes, bool bigEndian = false);
// The bytes it writes.
std::size_t Utf16AsUtf8Size(std::span<const std::uint8_t> bytes, bool bigEndian = false);

} // namespace orv
