#pragma once

#include "extract/common/ByteSource.h"
#include "extract/model/PresentationDocument.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orv::ppt {

// The pictures of a binary presentation, read by text recognition on
// request: the entries of the picture store in the document's drawing group,
// each of which either holds its picture record or gives its place in the
// "Pictures" stream. Shapes name an entry by its 1-based index.
//
// Opening never fails for the store's sake: an entry that cannot be read (a
// place past the end of the stream, a record of another kind) makes that
// picture damaged, and a store that cannot be read at all makes every picture
// damaged, each named where a page shows it. Each picture record is loaded
// and read once per document, whatever the number of shapes showing it, and
// the bytes loaded in all are bounded by the size of the streams.
class PictureStore {
public:
    // The store of the drawing group record at `drawingGroup` in `document`
    // (nullopt: the document has none); `pictures` is the "Pictures" stream
    // (nullptr: the file has none). Both must outlive the object.
    PictureStore(const ByteSource& document, std::optional<std::uint64_t> drawingGroup,
                 const ByteSource* pictures, std::shared_ptr<PictureReader> reader);
    PictureStore(const PictureStore&) = delete;
    PictureStore& operator=(const PictureStore&) = delete;

    std::size_t size() const { return m_entries.size(); }

    // The text that entry `index` (1-based) shows, `part` naming it for this
    // page ("slide 2, picture 1"). A picture that is skipped (damaged, over a
    // bound, not in the store) is named among `page.skipped` and gives "".
    std::string text(SlideContent& page, std::uint32_t index, const std::string& part);

    // The bytes of the picture record at `offset` of `source` as a picture
    // file: what follows the record's ids and tag (a raster picture) or its
    // metafile header (a vector one), a bitmap given the file header it lacks.
    // Throws orv::Failure when the record is damaged or over kMaxPictureBytes.
    static std::vector<std::uint8_t> LoadBlip(const ByteSource& source, std::uint64_t offset);

private:
    struct Entry {
        const ByteSource* source = nullptr; // where its record lies; nullptr: an empty entry
        std::uint64_t offset = 0;
        std::uint64_t size = 0;       // as the store states it
        const char* damage = nullptr; // why it cannot be read, known at open
    };
    // What a picture record showed, by where it lies: the text, or why it
    // was skipped.
    struct Shown {
        std::string text;
        std::optional<SkippedPart> skipped;
    };

    void readStore(const ByteSource& document, std::uint64_t drawingGroup, const ByteSource* pictures);

    std::shared_ptr<PictureReader> m_reader;
    std::vector<Entry> m_entries;
    std::string m_storeDamage; // why the store could not be read (every picture damaged)
    std::map<std::pair<const ByteSource*, std::uint64_t>, Shown> m_shown;
    std::uint64_t m_loadAllowance = 0; // bytes still to be loaded
};

} // namespace orv::ppt
