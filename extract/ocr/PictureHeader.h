#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace orv::ocr {

// Pictures on slides are read for the addresses they show, but only once
// their pixel size is known: a picture that declares 60,000 x 60,000 pixels
// is named and skipped before any decoder makes room for it. The size is
// read here from the header alone, without decoding anything.

// The kind, told from the first bytes (never from a name). Vector pictures
// (EMF, WMF, SVG) have no pixel size of their own.
enum class PictureKind { Png, Jpeg, Gif, Bmp, Tiff, WebP, Pnm, Vector, Unknown };

// "PNG", "JPEG", ..., "vector", "unknown": for messages.
std::string_view PictureKindName(PictureKind kind);

struct PictureHeader {
    PictureKind kind = PictureKind::Unknown;
    // Pixels as the header declares them; both non-zero for a raster kind,
    // both 0 for Vector and Unknown.
    std::uint32_t width = 0;
    std::uint32_t height = 0;

    friend bool operator==(const PictureHeader&, const PictureHeader&) = default;
};

// The kind and size of a picture, given its bytes (the whole picture: a TIFF
// may keep its first directory at the end). A raster picture whose header is
// cut short, inconsistent or declares a zero size is damaged: nullopt. Bytes
// of no kind known here give kind Unknown. Only the header is looked at, every
// read is checked against the bytes, and the time taken is bounded by the
// header's size (a JPEG's segments before its frame, a TIFF's first directory,
// the first 4 KiB of an SVG), whatever the bytes.
std::optional<PictureHeader> ReadPictureHeader(std::span<const std::uint8_t> bytes);

} // namespace orv::ocr
