#include "base/Utf8.h"

namespace orv {

bool IsUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto [value, length] = DecodeUtf8At(text, at);
        if (value < 0)
            return false;
        at += length;
    }
    return true;
}

char* PutUtf8(char* out, std::uint32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    char bytes[4];
    out.append(bytes, PutUtf8(bytes, cp));
}

namespace {

// Each code point of UTF-16 units, a lone surrogate as U+FFFD.
template <typename Take>
void forEachUtf16CodePoint(std::span<const std::uint8_t> bytes, bool bigEndian, Take take) {
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t i) {
        const std::uint32_t first = bytes[2 * i];
        const std::uint32_t second = bytes[2 * i + 1];
        return bigEndian ? (first << 8) | second : first | (second << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            take(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            take(0xFFFD);
        } else {
            take(u);
        }
    }
}

} // namespace

char* PutUtf16AsUtf8(char* out, std::span<const std::uint8_t> bytes, bool bigEndian) {
    forEachUtf16CodePoint(bytes, bigEndian, [&](std::uint32_t cp) { out = PutUtf8(out, cp); });
    return out;
}

std::size_t Utf16AsUtf8Size(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::size_t size = 0;
    forEachUtf16CodePoint(bytes, bigEndian, [&](std::uint32_t cp) {
        size += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    });
    return size;
}

std::string Utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::string out(bytes.size() / 2 * 3, '\0');
    out.resize(static_cast<std::size_t>(PutUtf16AsUtf8(out.data(), bytes, bigEndian) - out.data()));
    return out;
}

} // namespace orv
