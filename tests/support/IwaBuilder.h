#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orv::test {

// Writes Keynote .iwa parts for tests: protobuf fields with protobuf's own
// writer, archive records of objects and their messages, and snappy chunks.

// One field of a message, as protobuf writes it.
std::string VarintField(std::uint32_t number, std::uint64_t value);
std::string BytesField(std::uint32_t number, std::string_view bytes);
// A reference to an object (TSP.Reference, field 1: its identifier).
std::string ReferenceField(std::uint32_t number, std::uint64_t id);
// A text storage's message, its text in one field 3.
std::string StorageMessage(std::string_view text);

// One chunk: the 0 byte, the 3-byte length, the bytes as given.
std::string Chunk(std::string_view stream);
// The bytes compressed as one raw snappy stream.
std::string Snappy(std::string_view raw);

class IwaBuilder {
public:
    // An object: its identifier and its messages (type, bytes), in order.
    IwaBuilder& object(std::uint64_t id, std::vector<std::pair<std::uint32_t, std::string>> messages);
    IwaBuilder& storage(std::uint64_t id, std::string_view text) {
        return object(id, {{2001, StorageMessage(text)}});
    }

    // The archive records, as inflated.
    std::string records() const { return m_records; }
    // The part: the records compressed in chunks of at most `chunkSize`
    // inflated bytes.
    std::string build(std::size_t chunkSize = 65536) const;

private:
    std::string m_records;
};

} // namespace orv::test
