// Holds the reading of picture headers to its promises: any bytes give a
// kind and size or nullopt, never a crash, hang or allocation; a raster kind
// comes with a size of at least one pixel each way, and Vector and Unknown
// with none. The first half of the input, read alone, is damaged, not yet
// recognised, or gives the same answer as the whole: a header cut short never
// yields another size. Seeds: fuzz/corpus/picture_fuzz (a tiny header of each
// kind).
#include "extract/ocr/PictureHeader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

namespace {

using orv::ocr::PictureHeader;
using orv::ocr::PictureKind;

void fail(const char* what) {
    std::fprintf(stderr, "picture_fuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto header = orv::ocr::ReadPictureHeader(bytes);
    if (!header)
        return 0;
    const bool raster = header->kind != PictureKind::Vector && header->kind != PictureKind::Unknown;
    if (raster && (header->width == 0 || header->height == 0))
        fail("a raster picture of zero pixels");
    if (!raster && (header->width != 0 || header->height != 0))
        fail("a size for a picture without pixels");
    const auto cut = orv::ocr::ReadPictureHeader(bytes.first(size / 2));
    if (cut && *cut != PictureHeader{} && *cut != *header)
        fail("a cut header gives another answer");
    return 0;
}
