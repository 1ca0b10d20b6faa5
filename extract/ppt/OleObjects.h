#pragma once

#include "extract/ppt/Records.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orv::ppt {

// The objects a binary presentation embeds or links through OLE, read in the
// "all text" mode: each keeps a compound file of its own (a storage) in a
// record of the document stream, and the document that storage holds, if it
// is of a kind read, is read as an embedded document.

// An entry of the document's object list that keeps an OLE object: what a
// user knows it by and the persist id of its storage record.
struct OleObject {
    std::string name = {};       // "OLE object 3 (Worksheet)": its id and its menu name, if stored
    std::uint32_t persistId = 0; // of its ExOleObjStg record
};

// The OLE objects of the document's object list (ExObjList's body): the
// embedded ones, the linked ones (which keep a copy) and the controls, in
// list order, each storage once.
std::vector<OleObject> ReadOleObjects(std::span<const std::uint8_t> exObjList);

// Refuses the body of an ExOleObjStg record past what any storage read may
// take (limits::kMaxEmbeddedSize, and the size a compressed one states),
// before it is read.
void CheckOleStorageSize(std::uint64_t bodySize);

// The storage an ExOleObjStg record (header included) keeps, inflated if it
// is compressed, to the size it states: refused when that is above
// limits::kMaxEmbeddedSize, or above limits::kRatioCheckAbove and
// limits::kMaxCompressionRatio times the compressed size (a bomb); damaged
// when the stream gives less. Memory grows with what the stream gives.
std::vector<std::uint8_t> OleStorage(std::vector<std::uint8_t> record);

// The document an OLE storage holds, for the embedded-document reader: the
// zip package of its Package stream, its CONTENTS stream (a document saved
// whole, such as a PDF), the file packaged in its \1Ole10Native stream, or
// the storage itself when it is a binary presentation; nullopt when it holds
// none of them (a workbook or text document storage of the binary formats, a
// chart), which stays unread. Throws orv::Failure when the storage is
// damaged.
std::optional<std::vector<std::uint8_t>> OlePayload(std::span<const std::uint8_t> storage);

} // namespace orv::ppt
