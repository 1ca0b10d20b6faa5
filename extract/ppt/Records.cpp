#include "extract/ppt/Records.h"

#include "base/Utf8.h"
#include "extract/common/ReadFailure.h"

#include <array>

namespace orv::ppt {

void damaged(const std::string& why) {
    ThrowDamaged(why);
}

RecordHeader parseHeader(const std::uint8_t* p) {
    const auto verInstance = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    RecordHeader h;
    h.version = verInstance & 0x000F;
    h.instance = static_cast<std::uint16_t>(verInstance >> 4);
    h.type = static_cast<std::uint16_t>(p[2] | (p[3] << 8));
    h.length = static_cast<std::uint32_t>(p[4]) | (static_cast<std::uint32_t>(p[5]) << 8) |
               (static_cast<std::uint32_t>(p[6]) << 16) | (static_cast<std::uint32_t>(p[7]) << 24);
    return h;
}

RecordHeader readHeader(const ByteSource& stream, std::uint64_t offset) {
    if (offset > stream.size() || stream.size() - offset < kHeaderSize)
        damaged("a record lies beyond the end of the document stream");
    std::array<std::uint8_t, kHeaderSize> raw{};
    stream.read(offset, raw);
    return parseHeader(raw.data());
}

std::vector<std::uint8_t> readRecord(const ByteSource& stream, std::uint64_t offset, std::uint16_t type,
                                     const char* what) {
    const RecordHeader h = readHeader(stream, offset);
    if (h.type != type)
        damaged(std::string("the ") + what + " is not where the document says it is");
    if (h.length > stream.size() - offset - kHeaderSize)
        damaged(std::string("the ") + what + " reaches past the end of the document stream");
    std::vector<std::uint8_t> bytes(kHeaderSize + h.length);
    stream.read(offset, bytes);
    return bytes;
}

std::vector<Record> childRecords(std::span<const std::uint8_t> bytes) {
    std::vector<Record> records;
    std::size_t at = 0;
    while (bytes.size() - at >= kHeaderSize) {
        Record r;
        r.header = parseHeader(bytes.data() + at);
        at += kHeaderSize;
        if (r.header.length > bytes.size() - at)
            damaged("a record is longer than the record that holds it");
        r.body = bytes.subspan(at, r.header.length);
        at += r.header.length;
        records.push_back(r);
    }
    return records;
}

std::optional<Record> findChild(std::span<const std::uint8_t> bytes, std::uint16_t type,
                                std::optional<std::uint16_t> instance) {
    for (const Record& r : childRecords(bytes))
        if (r.header.type == type && (!instance || r.header.instance == *instance))
            return r;
    return std::nullopt;
}

std::uint32_t le32(std::span<const std::uint8_t> bytes, std::size_t at) {
    if (at > bytes.size() || bytes.size() - at < 4)
        damaged("a record is too short for its fields");
    const std::uint8_t* p = bytes.data() + at;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::string latin1ToUtf8(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const std::uint8_t b : bytes)
        AppendUtf8(out, b);
    return out;
}

} // namespace orv::ppt
