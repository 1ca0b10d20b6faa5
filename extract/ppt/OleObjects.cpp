#include "extract/ppt/OleObjects.h"

#include "base/Utf8.h"
#include "extract/common/ByteSource.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/ppt/CompoundFile.h"

#include <zlib.h>

#include <algorithm>
#include <unordered_set>

namespace orv::ppt {

namespace {

constexpr std::size_t kMaxMenuNameUnits = 64; // of a name shown in a menu; longer ones are cut
constexpr std::size_t kInflateStep = 64 << 10;
constexpr std::uint16_t kPackagedFile = 2; // an Ole10Native stream of the packager

std::string mebibytes(std::uint64_t bytes) {
    return std::to_string(bytes >> 20) + " MiB";
}

[[noreturn]] void tooLarge() {
    ThrowOverLimit("an embedded object is larger than " + mebibytes(limits::kMaxEmbeddedSize));
}

std::vector<std::uint8_t> inflateStorage(std::span<const std::uint8_t> body) {
    // The size the storage had, then a zlib stream, which the program that
    // wrote it may leave without its end: the storage is whole once that
    // size is out. The size is trusted no further: it is bounded, and the
    // buffer grows with what the stream gives.
    const std::uint32_t stated = le32(body, 0);
    if (stated > limits::kMaxEmbeddedSize)
        tooLarge();
    const std::span<const std::uint8_t> compressed = body.subspan(4);
    const std::uint64_t ratioBound =
        std::max<std::uint64_t>(limits::kRatioCheckAbove, compressed.size() * limits::kMaxCompressionRatio);
    if (stated > ratioBound)
        ThrowOverLimit("an embedded object looks like a zip bomb: it would inflate to " + mebibytes(stated) +
                       " from " + std::to_string(compressed.size()) + " bytes");

    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        throw Failure(FailureKind::Unexpected, "The decompressor could not be started.");
    struct End {
        z_stream& z;
        ~End() { inflateEnd(&z); }
    } end{z};
    z.next_in = const_cast<Bytef*>(compressed.data()); // zlib only reads it
    z.avail_in = static_cast<uInt>(compressed.size()); // bounded by CheckOleStorageSize
    std::vector<std::uint8_t> out;
    while (out.size() < stated) {
        const std::size_t at = out.size();
        const std::size_t step = std::min<std::size_t>(kInflateStep, stated - at);
        out.resize(at + step);
        z.next_out = out.data() + at;
        z.avail_out = static_cast<uInt>(step);
        const int result = inflate(&z, Z_NO_FLUSH);
        out.resize(at + step - z.avail_out);
        if (result == Z_STREAM_END || out.size() == stated) // a wrong check value after the data aside
            break;
        if (result == Z_BUF_ERROR && z.avail_in == 0)
            damaged("the compressed storage of an embedded object ends before its data does");
        if (result != Z_OK && result != Z_BUF_ERROR)
            damaged("the compressed storage of an embedded object is damaged");
    }
    return out;
}

std::vector<std::uint8_t> readStream(const CompoundFile& file, std::size_t entry) {
    const auto stream = file.openStream(entry);
    std::vector<std::uint8_t> bytes(stream->size()); // no larger than the storage
    stream->read(0, bytes);
    return bytes;
}

// The file an Ole10Native stream packages: the size of what follows, then,
// for the packager, its kind (2), its label and the path it came from (each
// ended by a zero byte), two words, the length of a temporary path and that
// path, and the file's size and bytes. Other objects keep their native data
// right after the size.
std::vector<std::uint8_t> nativeData(std::span<const std::uint8_t> stream) {
    const std::uint32_t size = le32(stream, 0);
    if (size > stream.size() - 4)
        damaged("the packaged data of an embedded object is longer than its stream");
    const std::span<const std::uint8_t> native = stream.subspan(4, size);
    if (native.size() < 2 || (native[0] | (native[1] << 8)) != kPackagedFile)
        return {native.begin(), native.end()};
    std::size_t at = 2;
    const auto skipString = [&] {
        const auto zero = std::find(native.begin() + static_cast<std::ptrdiff_t>(at), native.end(), 0);
        if (zero == native.end())
            damaged("the header of a packaged file is cut short");
        at = static_cast<std::size_t>(zero - native.begin()) + 1;
    };
    const auto skipCounted = [&] {
        const std::uint32_t length = le32(native, at);
        at += 4;
        if (length > native.size() - at)
            damaged("the header of a packaged file is cut short");
        return length;
    };
    skipString(); // the label
    skipString(); // the path it was packaged from
    at += 4;
    at += skipCounted(); // the temporary path
    const std::uint32_t dataSize = skipCounted();
    return {native.begin() + static_cast<std::ptrdiff_t>(at),
            native.begin() + static_cast<std::ptrdiff_t>(at + dataSize)};
}

} // namespace

std::vector<OleObject> ReadOleObjects(std::span<const std::uint8_t> exObjList) {
    std::vector<OleObject> objects;
    std::unordered_set<std::uint32_t> seen;
    for (const Record& r : childRecords(exObjList)) {
        if (r.header.type != kExOleEmbed && r.header.type != kExOleLink && r.header.type != kExControl)
            continue;
        // The atom: how it is drawn, its kind, its id, its sub-kind, then the
        // persist id of its storage.
        const auto atom = findChild(r.body, kExOleObjAtom);
        if (!atom || atom->body.size() < 20)
            continue;
        const std::uint32_t persistId = le32(atom->body, 16);
        if (persistId == 0 || !seen.insert(persistId).second)
            continue;
        if (objects.size() == limits::kMaxSlides)
            ThrowOverLimit("its list of objects names more than " + std::to_string(limits::kMaxSlides) +
                           " embedded objects");
        std::string name = "OLE object " + std::to_string(le32(atom->body, 8));
        if (const auto menu = findChild(r.body, kCString, 1)) {
            const auto units =
                menu->body.first(std::min(menu->body.size(), kMaxMenuNameUnits * 2) & ~std::size_t{1});
            if (std::string text = Utf16ToUtf8(units); !text.empty())
                name += " (" + text + ")";
        }
        objects.push_back({std::move(name), persistId});
    }
    return objects;
}

void CheckOleStorageSize(std::uint64_t bodySize) {
    if (bodySize > limits::kMaxEmbeddedSize + 4)
        tooLarge();
}

std::vector<std::uint8_t> OleStorage(std::vector<std::uint8_t> record) {
    if (record.size() < kHeaderSize)
        damaged("the storage of an embedded object is cut short");
    const RecordHeader header = parseHeader(record.data());
    CheckOleStorageSize(record.size() - kHeaderSize);
    switch (header.instance) {
    case 0:
        record.erase(record.begin(), record.begin() + kHeaderSize);
        return record;
    case 1:
        return inflateStorage(std::span(record).subspan(kHeaderSize));
    default:
        damaged("the storage of an embedded object is of an unknown kind");
    }
}

std::optional<std::vector<std::uint8_t>> OlePayload(std::span<const std::uint8_t> storage) {
    const MemoryByteSource source(storage);
    const CompoundFile file(source);
    const auto stream = [&](std::u16string_view name) -> std::optional<std::size_t> {
        const auto entry = file.findRootEntry(name);
        if (entry && file.entry(*entry).type == CompoundFile::EntryType::Stream)
            return entry;
        return std::nullopt;
    };
    for (const std::u16string_view name : {u"Package", u"CONTENTS"})
        if (const auto entry = stream(name))
            return readStream(file, *entry);
    if (const auto entry = stream(u"\u0001Ole10Native"))
        return nativeData(readStream(file, *entry));
    // A presentation of this format keeps its streams in the object's own
    // storage; the storages of other binary formats stay unread.
    if (stream(u"PowerPoint Document"))
        return std::vector<std::uint8_t>(storage.begin(), storage.end());
    return std::nullopt;
}

} // namespace orv::ppt
