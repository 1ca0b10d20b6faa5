#pragma once

#include "extract/common/ZipPackage.h"
#include "extract/model/PresentationDocument.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orv {

// The pictures of one zip package read by text recognition, on request
// (ReadOptions::pictureReader): each picture file is loaded and read once,
// and a page that shows it again gets its text from memory, so that a logo
// on every slide costs one reading. A picture's bytes count against the
// package's pictures, not against the room its other parts have
// (ZipLedger::Pictures).
class ZipPictures {
public:
    ZipPictures(ZipPackage& zip, PictureReader& reader) : m_zip(zip), m_reader(reader) {}

    // The text the picture in entry `index` (the part `part`) shows, read
    // for `page` (ReadPictureText): named "<pagePart>, picture <part>" when
    // it is skipped, which it is among the page's skipped parts; a skipped
    // picture is tried again where it is met again.
    std::string read(SlideContent& page, const std::string& pagePart, std::uint64_t index,
                     std::string_view part);

    // The files of the package under `folder` ("ppt/media/", "Pictures/"),
    // compared ignoring ASCII case when `anyCase`: what the package holds in
    // pictures, for PictureReader::expect.
    static std::size_t CountUnder(const ZipPackage& zip, std::string_view folder, bool anyCase);

private:
    ZipPackage& m_zip;
    PictureReader& m_reader;
    std::unordered_map<std::uint64_t, std::string> m_texts; // by entry
};

} // namespace orv
