#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace orv {

// Writes the code point (below 0x110000) as UTF-8 at `out`, at most four
// bytes; returns the end.
char* PutUtf8(char* out, std::uint32_t cp);

void AppendUtf8(std::string& out, std::uint32_t cp);

// UTF-16 code units as UTF-8, little-endian unless `bigEndian`. A lone
// surrogate becomes U+FFFD; an odd last byte is no character.
std::string Utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian = false);

} // namespace orv
