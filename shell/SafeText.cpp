#include "shell/SafeText.h"

#include <algorithm>
#include <cstdint>

namespace orv {

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6"; // U+2026

// The length of the valid UTF-8 sequence at `pos` and its code point, or 0
// when the byte there starts none (overlong forms, surrogates and values past
// U+10FFFF are not valid).
std::size_t sequenceAt(std::string_view text, std::size_t pos, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - pos < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool isControl(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029 ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069) || code == 0x200E ||
           code == 0x200F || code == 0x061C;
}

std::string hex(std::uint32_t value, int digits, bool upper) {
    const char* alphabet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        out[static_cast<std::size_t>(i)] = alphabet[value & 0xF];
    return out;
}

std::string escapeOf(char32_t code) {
    switch (code) {
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    default:
        return code < 0x80 ? "\\x" + hex(code, 2, false) : "\\u" + hex(code, 4, false);
    }
}

} // namespace

std::string PrintableText(std::string_view text, std::size_t limit) {
    std::string out;
    out.reserve(std::min(text.size(), limit) + 8);
    // Where the text would be cut if it turns out too long: the end of the
    // last whole unit that leaves room for the ellipsis.
    std::size_t cut = 0;
    const std::size_t room = limit < kEllipsis.size() ? 0 : limit - kEllipsis.size();
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t code = 0;
        const std::size_t length = sequenceAt(text, pos, code);
        if (length == 0)
            out += "\\x" + hex(static_cast<unsigned char>(text[pos]), 2, true);
        else if (isControl(code))
            out += escapeOf(code);
        else
            out += text.substr(pos, length);
        pos += length == 0 ? 1 : length;
        if (out.size() > limit) {
            out.resize(cut);
            out += kEllipsis;
            return out;
        }
        if (out.size() <= room)
            cut = out.size();
    }
    return out;
}

} // namespace orv
