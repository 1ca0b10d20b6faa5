#include "extract/ocr/PictureHeader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace orv::ocr {
namespace {

using namespace std::string_view_literals;

// Writes a header a few fields at a time.
struct Bytes {
    std::vector<std::uint8_t> b;
    Bytes& s(std::string_view text) {
        b.insert(b.end(), text.begin(), text.end());
        return *this;
    }
    Bytes& le(std::uint64_t value, int count) {
        for (int i = 0; i < count; ++i)
            b.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        return *this;
    }
    Bytes& be(std::uint64_t value, int count) {
        for (int i = count - 1; i >= 0; --i)
            b.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        return *this;
    }
    Bytes& add(const Bytes& more) {
        b.insert(b.end(), more.b.begin(), more.b.end());
        return *this;
    }
    Bytes& zeros(int count) {
        b.insert(b.end(), static_cast<std::size_t>(count), 0);
        return *this;
    }
};

Bytes png(std::uint32_t width, std::uint32_t height) {
    return Bytes{}.s("\x89PNG\r\n\x1A\n").be(13, 4).s("IHDR").be(width, 4).be(height, 4).zeros(9);
}
Bytes bmp(std::uint32_t headerSize, std::uint32_t width, std::uint32_t height) {
    Bytes out = Bytes{}.s("BM").le(70, 4).zeros(4).le(14 + headerSize, 4).le(headerSize, 4);
    return headerSize == 12 ? out.le(width, 2).le(height, 2).le(1, 2).le(24, 2)
                            : out.le(width, 4).le(height, 4).le(1, 2).le(24, 2).zeros(24);
}
// A JPEG frame segment (SOFn).
Bytes frame(std::string_view marker, std::uint32_t width, std::uint32_t height) {
    return Bytes{}.s(marker).be(11, 2).s("\x08").be(height, 2).be(width, 2).s("\x01").zeros(3);
}
// A classic TIFF whose first directory (at 8) holds the entries given.
Bytes tiff(bool little, std::vector<Bytes> entries) {
    Bytes out;
    const auto put = [&](std::uint32_t v, int n) -> Bytes& { return little ? out.le(v, n) : out.be(v, n); };
    out.s(little ? "II*\0"sv : "MM\0*"sv);
    put(8, 4);
    put(static_cast<std::uint32_t>(entries.size()), 2);
    for (const Bytes& entry : entries)
        out.add(entry);
    return put(0, 4);
}
// One directory entry; a SHORT value sits in the first two bytes of its field.
Bytes entry(bool little, std::uint32_t tag, std::uint32_t type, std::uint32_t value) {
    Bytes out;
    const auto put = [&](std::uint32_t v, int n) -> Bytes& { return little ? out.le(v, n) : out.be(v, n); };
    put(tag, 2), put(type, 2), put(1, 4);
    return type == 3 ? put(value, 2).zeros(2) : put(value, 4);
}
Bytes webp(std::string_view chunk, const Bytes& data) {
    return Bytes{}.s("RIFF").le(12 + data.b.size(), 4).s("WEBP").s(chunk).le(data.b.size(), 4).add(data);
}

constexpr auto kPng = PictureKind::Png;
constexpr auto kJpeg = PictureKind::Jpeg;
constexpr auto kBmp = PictureKind::Bmp;
constexpr auto kTiff = PictureKind::Tiff;
constexpr auto kWebP = PictureKind::WebP;
constexpr PictureHeader kVector{PictureKind::Vector, 0, 0};
constexpr PictureHeader kUnknown{};

struct Case {
    const char* name;
    Bytes bytes;
    std::optional<PictureHeader> header; // nullopt: damaged
};

// Every row is also cut at each length: a cut header is damaged or not yet
// recognised, or already gives the whole header's answer; never another size.
TEST(PictureHeader, SizesReadFromHeadersAlone) {
    const Bytes jfif = Bytes{}.s("\xFF\xD8\xFF\xE0").be(16, 2).s("JFIF").zeros(10);
    Bytes comments;
    for (int i = 0; i < 4095; ++i)
        comments.s("\xFF\xFE").be(2, 2);
    constexpr std::uint32_t kIntMin = 0x80000000u;
    const Case cases[] = {
        {"PNG", png(640, 480), PictureHeader{kPng, 640, 480}},
        {"PNG declaring 60,000 x 60,000", png(60000, 60000), PictureHeader{kPng, 60000, 60000}},
        {"PNG of zero width", png(0, 480), std::nullopt},
        {"PNG wider than 2^31 - 1", png(kIntMin, 480), std::nullopt},
        {"JPEG: APP0, fill bytes, progressive frame",
         Bytes{jfif}.s("\xFF\xFF").add(frame("\xFF\xC2", 640, 480)), PictureHeader{kJpeg, 640, 480}},
        {"JPEG: DHT (C4) is no frame, SOF0 after it",
         Bytes{}.s("\xFF\xD8\xFF\xC4").be(4, 2).zeros(2).add(frame("\xFF\xC0", 2, 1)),
         PictureHeader{kJpeg, 2, 1}},
        {"JPEG: a frame after 4,096 segments", Bytes{jfif}.add(comments).add(frame("\xFF\xC0", 2, 1)),
         std::nullopt},
        {"JPEG: scan before any frame", Bytes{jfif}.s("\xFF\xDA").be(8, 2).zeros(6), std::nullopt},
        {"GIF", Bytes{}.s("GIF89a").le(300, 2).le(200, 2).zeros(3),
         PictureHeader{PictureKind::Gif, 300, 200}},
        {"BMP, BITMAPCOREHEADER", bmp(12, 65535, 2), PictureHeader{kBmp, 65535, 2}},
        {"BMP, BITMAPINFOHEADER", bmp(40, 800, 600), PictureHeader{kBmp, 800, 600}},
        {"BMP stored top-down (negative height)", bmp(124, 800, static_cast<std::uint32_t>(-600)),
         PictureHeader{kBmp, 800, 600}},
        {"BMP of height INT_MIN", bmp(40, 800, kIntMin), std::nullopt},
        {"TIFF, little-endian, SHORT and LONG",
         tiff(true, {entry(true, 256, 3, 1024), entry(true, 257, 4, 768)}), PictureHeader{kTiff, 1024, 768}},
        {"TIFF, big-endian, another tag first",
         tiff(false, {entry(false, 254, 4, 0), entry(false, 256, 4, 70000), entry(false, 257, 3, 9)}),
         PictureHeader{kTiff, 70000, 9}},
        {"BigTIFF, LONG8 and SHORT",
         Bytes{}
             .s("II+\0\x08\0\0\0\x10\0\0\0\0\0\0\0\x02\0\0\0\0\0\0\0"sv)
             .add(Bytes{}.le(256, 2).le(16, 2).le(1, 8).le(5000, 8))
             .add(Bytes{}.le(257, 2).le(3, 2).le(1, 8).le(7, 8)),
         PictureHeader{kTiff, 5000, 7}},
        {"TIFF with its directory past the end", Bytes{}.s("II*\0"sv).le(4000, 4).zeros(8), std::nullopt},
        {"TIFF width as RATIONAL", tiff(true, {entry(true, 256, 5, 8), entry(true, 257, 3, 8)}),
         std::nullopt},
        {"WebP, VP8 (scale bits dropped)",
         webp("VP8 ", Bytes{}.s("\x10\x02\x00\x9D\x01\x2A"sv).le(400 | 0x4000, 2).le(300 | 0xC000, 2)),
         PictureHeader{kWebP, 400, 300}},
        {"WebP, VP8 not a key frame",
         webp("VP8 ", Bytes{}.s("\x11\x02\x00\x9D\x01\x2A"sv).le(400, 2).le(300, 2)), std::nullopt},
        {"WebP, VP8L (14-bit sizes minus one)", webp("VP8L", Bytes{}.s("\x2F").le(16383 | 99u << 14, 4)),
         PictureHeader{kWebP, 16384, 100}},
        {"WebP, VP8X (24-bit canvas minus one)", webp("VP8X", Bytes{}.zeros(4).le(0xFFFFFF, 3).le(0, 3)),
         PictureHeader{kWebP, 0x1000000, 1}},
        {"PNM, grey, with a comment", Bytes{}.s("P5\n# drawn\n1700 555\n255\n").zeros(4),
         PictureHeader{PictureKind::Pnm, 1700, 555}},
        {"PNM, a size of ten digits", Bytes{}.s("P6 1234567890 1 255\n"), std::nullopt},
        {"EMF", Bytes{}.le(1, 4).le(108, 4).zeros(32).s(" EMF").zeros(8), kVector},
        {"WMF, placeable", Bytes{}.le(0x9AC6CDD7, 4).zeros(18), kVector},
        {"WMF, plain header", Bytes{}.le(1, 2).le(9, 2).le(0x0300, 2).zeros(12), kVector},
        {"SVG after BOM, declaration, comment and a document type with a '>' inside",
         Bytes{}.s(
             "\xEF\xBB\xBF <?xml version=\"1.0\"?>\n<!-- a > b -->\n<!DOCTYPE svg [<!ENTITY a \"x>\">]>\n"
             "<svg xmlns=\"http://www.w3.org/2000/svg\"/>"),
         kVector},
        {"SVG element beyond the first 4 KiB", Bytes{}.s(std::string(4096, ' ')).s("<svg/>"), kUnknown},
        {"text", Bytes{}.s("Hello"), kUnknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::span<const std::uint8_t> bytes(c.bytes.b);
        EXPECT_EQ(ReadPictureHeader(bytes), c.header);
        if (!c.header || c.header->kind == PictureKind::Unknown)
            continue;
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            const auto cut = ReadPictureHeader(bytes.first(length));
            EXPECT_TRUE(!cut || *cut == kUnknown || *cut == *c.header) << "cut at " << length;
        }
    }
}

} // namespace
} // namespace orv::ocr
