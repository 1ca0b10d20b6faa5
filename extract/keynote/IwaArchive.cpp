#include "extract/keynote/IwaArchive.h"

#include "base/Utf8.h"
#include "extract/common/ReadFailure.h"

#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/wire_format_lite.h>
#include <snappy.h>

#include <climits>
#include <utility>

namespace orv::keynote {

namespace {

using google::protobuf::internal::WireFormatLite;
using google::protobuf::io::CodedInputStream;

// CodedInputStream counts in int: every buffer handed to it is one inflated
// part at most.
static_assert(limits::kMaxIwaPartInflated <= INT_MAX);

constexpr std::size_t kChunkHeader = 4;

std::string mib(std::uint64_t bytes) {
    return std::to_string(bytes >> 20) + " MiB";
}

CodedInputStream streamOver(std::span<const std::uint8_t> bytes) {
    return CodedInputStream(bytes.data(), static_cast<int>(bytes.size()));
}

// A length read from the stream, checked against what is left of it.
std::span<const std::uint8_t> takeBytes(CodedInputStream& in, std::span<const std::uint8_t> whole,
                                        std::uint64_t length) {
    const auto at = static_cast<std::size_t>(in.CurrentPosition());
    if (length > whole.size() - at)
        return {};
    in.Skip(static_cast<int>(length));
    return whole.subspan(at, static_cast<std::size_t>(length));
}

} // namespace

std::vector<std::uint8_t> InflateIwa(std::span<const std::uint8_t> bytes, std::string_view part,
                                     IwaBudget& budget) {
    std::vector<std::uint8_t> out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < kChunkHeader)
            ThrowDamaged("a chunk header of an archive part is cut short", std::string(part), at);
        if (bytes[at] != 0)
            ThrowDamaged("an archive part holds a chunk of an unknown kind", std::string(part), at);
        const std::size_t length =
            bytes[at + 1] | (std::size_t{bytes[at + 2]} << 8) | (std::size_t{bytes[at + 3]} << 16);
        if (length > bytes.size() - at - kChunkHeader)
            ThrowDamaged("a chunk runs past the end of its archive part", std::string(part), at);
        const auto* compressed = reinterpret_cast<const char*>(bytes.data() + at + kChunkHeader);
        std::size_t inflated = 0;
        if (!snappy::GetUncompressedLength(compressed, length, &inflated))
            ThrowDamaged("a chunk of an archive part is not a compressed stream", std::string(part), at);
        if (inflated > limits::kMaxIwaPartInflated - out.size())
            ThrowOverLimit("an archive part inflates to more than " + mib(limits::kMaxIwaPartInflated),
                           FaultSite{part, at});
        if (inflated > budget.inflateRoom)
            ThrowOverLimit("its archive parts inflate to more than " + mib(limits::kMaxIwaTotalInflated),
                           FaultSite{part, at});
        const std::size_t start = out.size();
        out.resize(start + inflated);
        if (!snappy::RawUncompress(compressed, length, reinterpret_cast<char*>(out.data() + start)))
            ThrowDamaged("a compressed chunk of an archive part is damaged", std::string(part), at);
        budget.inflateRoom -= inflated;
        at += kChunkHeader + length;
    }
    return out;
}

IwaArchive::IwaArchive(std::span<const std::uint8_t> bytes, std::string part, IwaBudget& budget)
    : m_part(std::move(part)), m_bytes(InflateIwa(bytes, m_part, budget)) {
    readRecords();
}

void IwaArchive::readRecords() {
    const std::span<const std::uint8_t> whole(m_bytes);
    CodedInputStream in = streamOver(whole);
    const auto damaged = [&](const std::string& why) { ThrowDamaged(why, m_part); };
    const auto tooMany = [&] {
        ThrowOverLimit("an archive part holds more than " + std::to_string(limits::kMaxIwaMessages) +
                           " messages",
                       m_part);
    };
    while (static_cast<std::size_t>(in.CurrentPosition()) < whole.size()) {
        std::uint64_t infoLength = 0;
        if (!in.ReadVarint64(&infoLength))
            damaged("an archive record's length is not a number");
        const auto info = takeBytes(in, whole, infoLength);
        if (info.size() != infoLength)
            damaged("an archive record's header runs past the end of its part");

        std::optional<std::uint64_t> id;
        struct Declared {
            std::uint32_t type;
            std::uint64_t length;
        };
        std::vector<Declared> declared;
        ForEachField(info, m_part, [&](const IwaField& field) {
            if (field.number == 1 && field.wireType == WireFormatLite::WIRETYPE_VARINT) {
                id = field.value;
            } else if (field.number == 2 && field.wireType == WireFormatLite::WIRETYPE_LENGTH_DELIMITED) {
                std::optional<std::uint64_t> type;
                std::optional<std::uint64_t> length;
                ForEachField(field.bytes, m_part, [&](const IwaField& inner) {
                    if (inner.wireType != WireFormatLite::WIRETYPE_VARINT)
                        return;
                    if (inner.number == 1)
                        type = inner.value;
                    else if (inner.number == 3)
                        length = inner.value;
                });
                if (!type || !length || *type > UINT32_MAX)
                    damaged("an archive record describes a message without its type or length");
                // Counted as they are declared, so that a header of
                // millions of tiny descriptions builds nothing past the bound.
                if (m_messages.size() + declared.size() == limits::kMaxIwaMessages)
                    tooMany();
                declared.push_back({static_cast<std::uint32_t>(*type), *length});
            }
        });
        if (!id)
            damaged("an archive record has no object identifier");
        for (const Declared& message : declared) {
            const auto messageBytes = takeBytes(in, whole, message.length);
            if (messageBytes.size() != message.length)
                damaged("a message runs past the end of its archive part");
            m_messages.push_back({*id, message.type, messageBytes});
        }
    }
}

const IwaMessage* IwaArchive::find(std::uint64_t id) const {
    if (!m_index) {
        m_index.emplace();
        m_index->reserve(m_messages.size());
        for (std::size_t i = 0; i < m_messages.size(); ++i)
            m_index->emplace(m_messages[i].id, i); // keeps the first
    }
    const auto found = m_index->find(id);
    return found == m_index->end() ? nullptr : &m_messages[found->second];
}

void ForEachField(std::span<const std::uint8_t> message, std::string_view part,
                  const std::function<void(const IwaField&)>& visit) {
    CodedInputStream in = streamOver(message);
    const auto damaged = [&](const std::string& why) { ThrowDamaged(why, std::string(part)); };
    while (static_cast<std::size_t>(in.CurrentPosition()) < message.size()) {
        const std::uint32_t tag = in.ReadTag();
        IwaField field;
        field.number = WireFormatLite::GetTagFieldNumber(tag);
        field.wireType = WireFormatLite::GetTagWireType(tag);
        if (field.number == 0)
            damaged("a message holds a field without a number");
        bool read = true;
        switch (field.wireType) {
        case WireFormatLite::WIRETYPE_VARINT:
            read = in.ReadVarint64(&field.value);
            break;
        case WireFormatLite::WIRETYPE_FIXED64:
            read = in.ReadLittleEndian64(&field.value);
            break;
        case WireFormatLite::WIRETYPE_FIXED32: {
            std::uint32_t value = 0;
            read = in.ReadLittleEndian32(&value);
            field.value = value;
            break;
        }
        case WireFormatLite::WIRETYPE_LENGTH_DELIMITED: {
            std::uint64_t length = 0;
            read = in.ReadVarint64(&length);
            if (read) {
                field.bytes = takeBytes(in, message, length);
                read = field.bytes.size() == length;
            }
            break;
        }
        case WireFormatLite::WIRETYPE_START_GROUP:
            // Passed over whole, its own groups with it, to the recursion
            // limit of the stream.
            if (!WireFormatLite::SkipField(&in, tag))
                damaged("a message holds a group that does not end");
            continue;
        default:
            damaged("a message holds a field of an unknown kind");
        }
        if (!read)
            damaged("a field runs past the end of its message");
        visit(field);
    }
}

std::vector<std::uint64_t> ReferenceFields(std::span<const std::uint8_t> message, std::uint32_t number,
                                           std::string_view part) {
    std::vector<std::uint64_t> ids;
    ForEachField(message, part, [&](const IwaField& field) {
        if (field.number != number || field.wireType != WireFormatLite::WIRETYPE_LENGTH_DELIMITED)
            return;
        std::optional<std::uint64_t> id;
        ForEachField(field.bytes, part, [&](const IwaField& inner) {
            if (inner.number == 1 && inner.wireType == WireFormatLite::WIRETYPE_VARINT && !id)
                id = inner.value;
        });
        if (id)
            ids.push_back(*id);
    });
    return ids;
}

std::optional<std::uint64_t> ReferenceField(std::span<const std::uint8_t> message, std::uint32_t number,
                                            std::string_view part) {
    const auto ids = ReferenceFields(message, number, part);
    if (ids.empty())
        return std::nullopt;
    return ids.front();
}

std::optional<std::span<const std::uint8_t>> BytesField(std::span<const std::uint8_t> message,
                                                        std::uint32_t number, std::string_view part) {
    std::optional<std::span<const std::uint8_t>> found;
    ForEachField(message, part, [&](const IwaField& field) {
        if (!found && field.number == number && field.wireType == WireFormatLite::WIRETYPE_LENGTH_DELIMITED)
            found = field.bytes;
    });
    return found;
}

std::string MapStorageText(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    std::size_t at = 0;
    while (at < raw.size()) {
        const DecodedCodePoint decoded = DecodeUtf8At(raw, at);
        at += decoded.length;
        switch (decoded.value) {
        case -1:
            AppendUtf8(out, 0xFFFD);
            break;
        case '\n':
        case 0x05:   // page break
        case 0x2029: // paragraph separator
            out.push_back('\r');
            break;
        case '\r':
        case 0x2028: // line separator
            out.push_back('\v');
            break;
        case '\t':
            out.push_back('\t');
            break;
        case 0xFFFC: // an attachment's place
            break;
        default:
            if (decoded.value >= 0x20)
                out.append(raw.substr(at - decoded.length, decoded.length));
            break;
        }
    }
    if (!out.empty() && out.back() == '\r')
        out.pop_back();
    return out;
}

std::vector<std::string> StorageTexts(const IwaArchive& archive, IwaBudget& budget) {
    std::vector<std::string> texts;
    for (const IwaMessage& message : archive.messages()) {
        if (message.type != kStorageType)
            continue;
        std::string raw;
        ForEachField(message.bytes, archive.part(), [&](const IwaField& field) {
            if (field.number == 3 && field.wireType == WireFormatLite::WIRETYPE_LENGTH_DELIMITED)
                raw.append(reinterpret_cast<const char*>(field.bytes.data()), field.bytes.size());
        });
        std::string text = MapStorageText(raw);
        if (text.empty())
            continue;
        if (text.size() > budget.textRoom)
            ThrowOverLimit("its text storages hold more than " + mib(limits::kMaxTextPerFile) + " of text",
                           archive.part());
        budget.textRoom -= text.size();
        texts.push_back(std::move(text));
    }
    return texts;
}

std::vector<std::string> ReadStorageTexts(std::span<const std::uint8_t> bytes, std::string_view part,
                                          IwaBudget& budget) {
    const IwaArchive archive(bytes, std::string(part), budget);
    return StorageTexts(archive, budget);
}

} // namespace orv::keynote
