#include "base/SafeText.h"

#include "base/Utf8.h"

#include <algorithm>
#include <cstdint>

namespace orv {

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6"; // U+2026

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
    // Most texts (part names, paths) are printable ASCII throughout and short
    // enough: they pass as they are.
    if (text.size() <= limit &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
        return std::string(text);
    std::string out;
    out.reserve(std::min(text.size(), limit) + 8);
    // Where the text would be cut if it turns out too long: the end of the
    // last whole unit that leaves room for the ellipsis.
    std::size_t cut = 0;
    const std::size_t room = limit < kEllipsis.size() ? 0 : limit - kEllipsis.size();
    for (std::size_t pos = 0; pos < text.size();) {
        const auto [value, length] = DecodeUtf8At(text, pos);
        const auto code = static_cast<char32_t>(value);
        if (value < 0)
            out += "\\x" + hex(static_cast<unsigned char>(text[pos]), 2, true);
        else if (isControl(code))
            out += escapeOf(code);
        else
            out += text.substr(pos, length);
        pos += length;
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
