#pragma once

#include "extract/common/ReadLimits.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orv::keynote {

// Keynote (2013 on) keeps a deck as .iwa parts. A part is a run of chunks (a
// 0 byte, a 3-byte little-endian length, then a raw snappy stream without the
// framing format's checksums); the inflated bytes are archive records, each a
// varint length, an ArchiveInfo message of that length (field 1: the object's
// identifier; field 2, repeated: a MessageInfo, whose field 1 is the message
// type and field 3 its length) and the messages back to back. The messages are
// protobuf, read here without a schema: only the few fields the readers need
// are looked at, and every type nobody asked for is passed over.

// What the .iwa parts of one file may still cost, shared by every part read
// from it: the bytes inflated, and the bytes of text kept.
struct IwaBudget {
    std::uint64_t inflateRoom = limits::kMaxIwaTotalInflated;
    std::size_t textRoom = limits::kMaxTextPerFile;
};

// Inflates the chunks of one part. Each chunk's length is checked against
// the part and each stream's declared inflated size against the part's bound
// and the budget before any room is made, so a stream that claims gigabytes
// is refused at once. `part` names the part in failures, whose offsets are
// those of the chunk in the part.
std::vector<std::uint8_t> InflateIwa(std::span<const std::uint8_t> bytes, std::string_view part,
                                     IwaBudget& budget);

// One message of an archive record: the object's identifier, the message
// type and its bytes (inside the archive's inflated bytes).
struct IwaMessage {
    std::uint64_t id = 0;
    std::uint32_t type = 0;
    std::span<const std::uint8_t> bytes;
};

// One part, inflated and cut into its messages, in the order written.
class IwaArchive {
public:
    IwaArchive(std::span<const std::uint8_t> bytes, std::string part, IwaBudget& budget);
    IwaArchive(const IwaArchive&) = delete;
    IwaArchive& operator=(const IwaArchive&) = delete;

    const std::string& part() const { return m_part; }
    const std::vector<IwaMessage>& messages() const { return m_messages; }
    // The first message of the object, or nullptr. The index of objects is
    // built on the first look-up.
    const IwaMessage* find(std::uint64_t id) const;

private:
    void readRecords();

    std::string m_part;
    std::vector<std::uint8_t> m_bytes;
    std::vector<IwaMessage> m_messages;
    mutable std::optional<std::unordered_map<std::uint64_t, std::size_t>> m_index;
};

// One field of a message: its number and wire type, the value of a varint or
// fixed-size field, the bytes of a length-delimited one.
struct IwaField {
    std::uint32_t number = 0;
    std::uint32_t wireType = 0;
    std::uint64_t value = 0;
    std::span<const std::uint8_t> bytes;
};

// Calls `visit` for each field of the message in order (groups, which these
// files do not use, are passed over). A message that breaks the wire format
// (a varint past ten bytes, a length past its message, field number 0, an
// unknown wire type) is refused as damaged, naming `part`.
void ForEachField(std::span<const std::uint8_t> message, std::string_view part,
                  const std::function<void(const IwaField&)>& visit);

// The identifiers of the references (TSP.Reference: field 1) in the
// length-delimited fields numbered `number`, in order.
std::vector<std::uint64_t> ReferenceFields(std::span<const std::uint8_t> message, std::uint32_t number,
                                           std::string_view part);
// The first of them, if any.
std::optional<std::uint64_t> ReferenceField(std::span<const std::uint8_t> message, std::uint32_t number,
                                            std::string_view part);
// The bytes of the first length-delimited field numbered `number`, if any.
std::optional<std::span<const std::uint8_t>> BytesField(std::span<const std::uint8_t> message,
                                                        std::uint32_t number, std::string_view part);

// A text storage (TSWP.StorageArchive); field 3 holds its text.
inline constexpr std::uint32_t kStorageType = 2001;

// A storage's text as the readers deliver text: '\n', U+2029 and the page
// break (5) end a paragraph (CR); '\r' and U+2028 break a line (VT); a tab
// stays; attachments (U+FFFC) and the other control characters are dropped,
// the section, footnote and column marks (4, 14, 12) among them, as the slide
// library drops them for the slides; a byte that is not UTF-8 becomes U+FFFD.
// One paragraph end at the very end is dropped.
std::string MapStorageText(std::string_view raw);

// The text of every storage of the part that has any, mapped, in the order
// written; the text kept is taken from `budget.textRoom`.
std::vector<std::string> StorageTexts(const IwaArchive& archive, IwaBudget& budget);
// The same, straight from a part's bytes.
std::vector<std::string> ReadStorageTexts(std::span<const std::uint8_t> bytes, std::string_view part,
                                          IwaBudget& budget);

} // namespace orv::keynote
