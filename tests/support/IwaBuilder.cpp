#include "support/IwaBuilder.h"

#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/io/zero_copy_stream_impl_lite.h>
#include <google/protobuf/wire_format_lite.h>
#include <snappy.h>

#include <algorithm>

namespace orv::test {

namespace {

using google::protobuf::internal::WireFormatLite;

template <typename Write> std::string written(Write write) {
    std::string out;
    {
        google::protobuf::io::StringOutputStream stream(&out);
        google::protobuf::io::CodedOutputStream coded(&stream);
        write(coded);
    }
    return out;
}

} // namespace

std::string VarintField(std::uint32_t number, std::uint64_t value) {
    return written([&](auto& out) {
        out.WriteTag(WireFormatLite::MakeTag(number, WireFormatLite::WIRETYPE_VARINT));
        out.WriteVarint64(value);
    });
}

std::string BytesField(std::uint32_t number, std::string_view bytes) {
    return written([&](auto& out) {
        out.WriteTag(WireFormatLite::MakeTag(number, WireFormatLite::WIRETYPE_LENGTH_DELIMITED));
        out.WriteVarint64(bytes.size());
        out.WriteRaw(bytes.data(), static_cast<int>(bytes.size()));
    });
}

std::string ReferenceField(std::uint32_t number, std::uint64_t id) {
    return BytesField(number, VarintField(1, id));
}

std::string StorageMessage(std::string_view text) {
    return VarintField(1, 0) + BytesField(3, text);
}

std::string Chunk(std::string_view stream) {
    std::string out(1, '\0');
    for (int shift = 0; shift < 24; shift += 8)
        out.push_back(static_cast<char>((stream.size() >> shift) & 0xFF));
    return out.append(stream);
}

std::string Snappy(std::string_view raw) {
    std::string out;
    snappy::Compress(raw.data(), raw.size(), &out);
    return out;
}

IwaBuilder& IwaBuilder::object(std::uint64_t id,
                               std::vector<std::pair<std::uint32_t, std::string>> messages) {
    std::string info = VarintField(1, id);
    for (const auto& [type, bytes] : messages)
        info += BytesField(2, VarintField(1, type) + VarintField(3, bytes.size()));
    m_records += written([&](auto& out) { out.WriteVarint64(info.size()); }) + info;
    for (const auto& message : messages)
        m_records += message.second;
    return *this;
}

std::string IwaBuilder::build(std::size_t chunkSize) const {
    std::string out;
    for (std::size_t at = 0; at < m_records.size(); at += chunkSize)
        out += Chunk(Snappy(std::string_view(m_records).substr(at, chunkSize)));
    return out;
}

} // namespace orv::test
