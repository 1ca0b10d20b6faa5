#include "extract/ocr/PictureHeader.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace orv::ocr {
namespace {

using Bytes = std::span<const std::uint8_t>;
using Header = std::optional<PictureHeader>;

// Bounds-checked reads: each says whether `count` bytes lie at `at`.
bool has(Bytes b, std::size_t at, std::size_t count) {
    return at <= b.size() && count <= b.size() - at;
}

std::uint32_t be(Bytes b, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value = value << 8 | b[at + i];
    return value;
}

std::uint32_t le(Bytes b, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = count; i > 0; --i)
        value = value << 8 | b[at + i - 1];
    return value;
}

std::uint64_t le64(Bytes b, std::size_t at) {
    return std::uint64_t{le(b, at + 4, 4)} << 32 | le(b, at, 4);
}

bool startsWith(Bytes b, std::size_t at, std::string_view text) {
    if (!has(b, at, text.size()))
        return false;
    const Bytes part = b.subspan(at, text.size());
    return std::equal(text.begin(), text.end(), part.begin(),
                      [](char c, std::uint8_t u) { return static_cast<std::uint8_t>(c) == u; });
}

Header sized(PictureKind kind, std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0)
        return std::nullopt;
    return PictureHeader{kind, width, height};
}

// PNG: the signature, then the IHDR chunk, which must come first: length 13,
// width and height big-endian, each at most 2^31 - 1.
Header readPng(Bytes b) {
    if (!has(b, 8, 16) || be(b, 8, 4) != 13 || !startsWith(b, 12, "IHDR"))
        return std::nullopt;
    const std::uint32_t width = be(b, 16, 4);
    const std::uint32_t height = be(b, 20, 4);
    if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
        return std::nullopt;
    return sized(PictureKind::Png, width, height);
}

// JPEG: marker segments from the start of image up to the first start of
// frame (SOF0..SOF15 but DHT C4, JPG C8 and DAC CC), whose height and width
// are taken. Each segment is passed over by its length; a scan or the end of
// image before any frame is inconsistent. Real pictures put a few dozen
// segments before the frame (an ICC profile at most 255) and a fill byte or
// two before a marker, so the walk stops at 4,096 segments or 64 KiB of fill
// bytes: its time does not grow with the file.
constexpr int kMaxJpegSegments = 4096;
constexpr std::size_t kMaxJpegFill = 64 * 1024;

Header readJpeg(Bytes b) {
    std::size_t at = 2;
    std::size_t fill = 0;
    for (int segment = 0; segment < kMaxJpegSegments; ++segment) {
        if (!has(b, at, 1) || b[at] != 0xFF)
            return std::nullopt;
        // at is an 0xFF; any more before the marker's code are fill bytes
        while (has(b, at + 1, 1) && b[at + 1] == 0xFF && fill < kMaxJpegFill)
            ++at, ++fill;
        if (!has(b, at + 1, 1) || b[at + 1] == 0xFF)
            return std::nullopt;
        const std::uint8_t code = b[at + 1];
        at += 2;
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD7))
            continue; // standalone: TEM, RSTn
        if (code == 0x00 || code == 0xD8 || code == 0xD9 || code == 0xDA)
            return std::nullopt; // stuffed zero, second SOI, EOI or SOS before a frame
        if (!has(b, at, 2))
            return std::nullopt;
        const std::uint32_t length = be(b, at, 2);
        if (length < 2)
            return std::nullopt;
        const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (frame) {
            // length, precision, height, width, component count
            if (length < 8 || !has(b, at, 8))
                return std::nullopt;
            return sized(PictureKind::Jpeg, be(b, at + 5, 2), be(b, at + 3, 2));
        }
        at += length;
    }
    return std::nullopt;
}

// GIF: the logical screen's width and height, little-endian.
Header readGif(Bytes b) {
    if (!has(b, 6, 4))
        return std::nullopt;
    return sized(PictureKind::Gif, le(b, 6, 2), le(b, 8, 2));
}

// BMP: after the 14-byte file header, a BITMAPCOREHEADER (12 bytes, 16-bit
// unsigned sizes) or one of the longer headers (32-bit signed sizes; a
// negative height means rows stored top-down).
Header readBmp(Bytes b) {
    if (!has(b, 14, 4))
        return std::nullopt;
    const std::uint32_t headerSize = le(b, 14, 4);
    if (headerSize == 12) {
        if (!has(b, 18, 4))
            return std::nullopt;
        return sized(PictureKind::Bmp, le(b, 18, 2), le(b, 20, 2));
    }
    constexpr std::uint32_t kLonger[] = {16, 40, 52, 56, 64, 108, 124};
    if (std::find(std::begin(kLonger), std::end(kLonger), headerSize) == std::end(kLonger) || !has(b, 18, 8))
        return std::nullopt;
    const auto width = static_cast<std::int32_t>(le(b, 18, 4));
    const auto height = static_cast<std::int32_t>(le(b, 22, 4));
    if (width < 0 || height == std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    return sized(PictureKind::Bmp, static_cast<std::uint32_t>(width),
                 static_cast<std::uint32_t>(height < 0 ? -height : height));
}

// TIFF and BigTIFF, either byte order: ImageWidth (256) and ImageLength (257)
// from the first directory, each a SHORT or LONG (or a BigTIFF LONG8 that
// fits 32 bits). The directory's offset and every entry read are checked
// against the bytes; the entry count is bounded by 16 bits, as a TIFF's is.
Header readTiff(Bytes b) {
    const bool little = b[0] == 'I';
    const auto get = [&](std::size_t at, std::size_t count) {
        return little ? le(b, at, count) : be(b, at, count);
    };
    const auto get64 = [&](std::size_t at) {
        return little ? le64(b, at) : std::uint64_t{be(b, at, 4)} << 32 | be(b, at + 4, 4);
    };
    const bool big = get(2, 2) == 43;
    std::uint64_t directory = 0;
    std::uint64_t count = 0;
    std::size_t entrySize = 12;
    std::size_t countSize = 2;
    if (big) {
        // byte size of offsets 8, then 0, then the first directory's offset
        if (!has(b, 4, 12) || get(4, 2) != 8 || get(6, 2) != 0)
            return std::nullopt;
        directory = get64(8);
        entrySize = 20;
        countSize = 8;
        if (directory < 16 || directory > b.size() || !has(b, directory, 8))
            return std::nullopt;
        count = get64(directory);
    } else {
        if (!has(b, 4, 4))
            return std::nullopt;
        directory = get(4, 4);
        if (directory < 8 || !has(b, directory, 2))
            return std::nullopt;
        count = get(directory, 2);
    }
    if (count == 0 || count > 0xFFFF)
        return std::nullopt;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    for (std::uint64_t i = 0; i < count && (width == 0 || height == 0); ++i) {
        const std::size_t entry = directory + countSize + i * entrySize;
        if (!has(b, entry, entrySize))
            return std::nullopt;
        const std::uint32_t tag = get(entry, 2);
        if (tag != 256 && tag != 257)
            continue;
        const std::uint32_t type = get(entry + 2, 2);
        const std::size_t value = entry + (big ? 12 : 8);
        std::uint32_t size = 0;
        if (type == 3) // SHORT
            size = get(value, 2);
        else if (type == 4) // LONG
            size = get(value, 4);
        else if (type == 16 && big && get64(value) <= 0xFFFFFFFFu) // LONG8
            size = static_cast<std::uint32_t>(get64(value));
        else
            return std::nullopt;
        if (size == 0)
            return std::nullopt;
        (tag == 256 ? width : height) = size;
    }
    return sized(PictureKind::Tiff, width, height);
}

// WebP: a RIFF holding "WEBP" and first a VP8 (lossy: a key frame's start
// code, then 14-bit sizes with 2 bits of scale above), VP8L (lossless: the
// signature 0x2F, then 14-bit sizes minus one) or VP8X chunk (extended: the
// canvas's 24-bit sizes minus one).
Header readWebP(Bytes b) {
    if (!has(b, 12, 8))
        return std::nullopt;
    const std::uint32_t chunkSize = le(b, 16, 4);
    constexpr std::size_t data = 20;
    if (startsWith(b, 12, "VP8 ")) {
        if (chunkSize < 10 || !has(b, data, 10) || (b[data] & 1) != 0 || b[data + 3] != 0x9D ||
            b[data + 4] != 0x01 || b[data + 5] != 0x2A)
            return std::nullopt;
        return sized(PictureKind::WebP, le(b, data + 6, 2) & 0x3FFF, le(b, data + 8, 2) & 0x3FFF);
    }
    if (startsWith(b, 12, "VP8L")) {
        if (chunkSize < 5 || !has(b, data, 5) || b[data] != 0x2F)
            return std::nullopt;
        const std::uint32_t bits = le(b, data + 1, 4);
        if (bits >> 29 != 0) // version
            return std::nullopt;
        return sized(PictureKind::WebP, (bits & 0x3FFF) + 1, (bits >> 14 & 0x3FFF) + 1);
    }
    if (startsWith(b, 12, "VP8X")) {
        if (chunkSize < 10 || !has(b, data, 10))
            return std::nullopt;
        return sized(PictureKind::WebP, le(b, data + 4, 3) + 1, le(b, data + 7, 3) + 1);
    }
    return std::nullopt;
}

bool isEmf(Bytes b) {
    return has(b, 0, 44) && le(b, 0, 4) == 1 && startsWith(b, 40, " EMF");
}

// A placeable WMF's key, or a plain one's header: type 1 (memory) or 2
// (disk), 9 words of header, version 1.0 or 3.0.
bool isWmf(Bytes b) {
    if (has(b, 0, 4) && le(b, 0, 4) == 0x9AC6CDD7)
        return true;
    if (!has(b, 0, 6))
        return false;
    const std::uint32_t type = le(b, 0, 2);
    const std::uint32_t version = le(b, 4, 2);
    return (type == 1 || type == 2) && le(b, 2, 2) == 9 && (version == 0x0100 || version == 0x0300);
}

// SVG: text whose first element is <svg, after an optional byte order mark,
// white space, the XML declaration, processing instructions, comments and a
// document type, all within the first 4 KiB.
bool isSvg(Bytes b) {
    const std::string_view text(reinterpret_cast<const char*>(b.data()),
                                std::min<std::size_t>(b.size(), 4096));
    std::size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        at = text.find_first_not_of(" \t\r\n", at);
        if (at == std::string_view::npos)
            return false;
        const std::string_view rest = text.substr(at);
        std::string_view end;
        if (rest.starts_with("<?"))
            end = "?>";
        else if (rest.starts_with("<!--"))
            end = "-->";
        else if (rest.starts_with("<!DOCTYPE")) {
            // an internal subset may hold '>' of its own
            const std::size_t subset = rest.find_first_of("[>");
            end = subset != std::string_view::npos && rest[subset] == '[' ? "]" : ">";
        } else {
            if (!rest.starts_with("<svg") || rest.size() < 5)
                return false;
            const char next = rest[4];
            return next == ' ' || next == '\t' || next == '\r' || next == '\n' || next == '>' || next == '/';
        }
        const std::size_t close = text.find(end, at + 2);
        if (close == std::string_view::npos)
            return false;
        at = close + end.size();
        if (end == "]") {
            at = text.find('>', at);
            if (at == std::string_view::npos)
                return false;
            ++at;
        }
    }
}

} // namespace

std::string_view PictureKindName(PictureKind kind) {
    switch (kind) {
    case PictureKind::Png:
        return "PNG";
    case PictureKind::Jpeg:
        return "JPEG";
    case PictureKind::Gif:
        return "GIF";
    case PictureKind::Bmp:
        return "BMP";
    case PictureKind::Tiff:
        return "TIFF";
    case PictureKind::WebP:
        return "WebP";
    case PictureKind::Pnm:
        return "PNM";
    case PictureKind::Vector:
        return "vector";
    case PictureKind::Unknown:
        break;
    }
    return "unknown";
}

// A binary grey or colour PNM (P5, P6; what a drawn page is sent as): the
// magic, then width, height and the largest value as decimal numbers, each
// after white space and comments and ended by white space, within the first
// 256 bytes.
Header readPnm(Bytes b) {
    std::size_t at = 2;
    std::uint32_t values[3] = {};
    for (std::uint32_t& value : values) {
        for (;;) {
            if (at >= b.size() || at >= 256)
                return std::nullopt;
            if (b[at] == '#') {
                while (at < b.size() && at < 256 && b[at] != '\n')
                    ++at;
            } else if (b[at] == ' ' || b[at] == '\t' || b[at] == '\r' || b[at] == '\n') {
                ++at;
            } else {
                break;
            }
        }
        std::size_t digits = 0;
        for (; at < b.size() && b[at] >= '0' && b[at] <= '9'; ++at, ++digits) {
            if (digits == 9)
                return std::nullopt; // no picture is a billion pixels wide
            value = value * 10 + (b[at] - '0');
        }
        // A number ends at white space: one cut short is no size.
        if (digits == 0 || at >= b.size() ||
            std::string_view(" \t\r\n").find(static_cast<char>(b[at])) == std::string_view::npos)
            return std::nullopt;
    }
    if (values[2] == 0 || values[2] > 65535)
        return std::nullopt;
    return sized(PictureKind::Pnm, values[0], values[1]);
}

std::optional<PictureHeader> ReadPictureHeader(std::span<const std::uint8_t> bytes) {
    if (startsWith(bytes, 0, "\x89PNG\r\n\x1A\n"))
        return readPng(bytes);
    if (startsWith(bytes, 0, "\xFF\xD8\xFF"))
        return readJpeg(bytes);
    if (startsWith(bytes, 0, "GIF87a") || startsWith(bytes, 0, "GIF89a"))
        return readGif(bytes);
    if (startsWith(bytes, 0, "BM"))
        return readBmp(bytes);
    if (startsWith(bytes, 0, std::string_view("II*\0", 4)) ||
        startsWith(bytes, 0, std::string_view("MM\0*", 4)) ||
        startsWith(bytes, 0, std::string_view("II+\0", 4)) ||
        startsWith(bytes, 0, std::string_view("MM\0+", 4)))
        return readTiff(bytes);
    if (startsWith(bytes, 0, "RIFF") && startsWith(bytes, 8, "WEBP"))
        return readWebP(bytes);
    if (startsWith(bytes, 0, "P5") || startsWith(bytes, 0, "P6"))
        return readPnm(bytes);
    if (isEmf(bytes) || isWmf(bytes) || isSvg(bytes))
        return PictureHeader{PictureKind::Vector, 0, 0};
    return PictureHeader{};
}

} // namespace orv::ocr
