#include "extract/ppt/PictureStore.h"

#include "extract/common/ReadFailure.h"
#include "extract/ppt/Records.h"

#include <algorithm>
#include <array>

namespace orv::ppt {

namespace {

constexpr std::uint16_t kDggContainer = 0xF000;
constexpr std::uint16_t kBStoreContainer = 0xF001;
constexpr std::uint16_t kFbse = 0xF007;
constexpr std::uint16_t kFirstBlip = 0xF018;
constexpr std::uint16_t kLastBlip = 0xF117;

constexpr std::uint16_t kBlipEmf = 0xF01A;
constexpr std::uint16_t kBlipWmf = 0xF01B;
constexpr std::uint16_t kBlipPict = 0xF01C;
constexpr std::uint16_t kBlipJpeg = 0xF01D;
constexpr std::uint16_t kBlipPng = 0xF01E;
constexpr std::uint16_t kBlipDib = 0xF01F;
constexpr std::uint16_t kBlipTiff = 0xF029;
constexpr std::uint16_t kBlipCmykJpeg = 0xF02A;

// A store entry: its kind (twice), the picture's id, a tag, the record's
// size, the number of shapes using it, its place in the Pictures stream,
// three unused bytes around the length of its name; then the name and,
// when the picture is kept in the entry, its record.
constexpr std::size_t kFbseSize = 36;
constexpr std::uint32_t kNotInStream = 0xFFFFFFFF;
// Real stores hold a few hundred pictures; past this the rest are not kept.
constexpr std::size_t kMaxStoreEntries = 65'536;

constexpr std::size_t kUidSize = 16;
constexpr std::size_t kMetafileHeaderSize = 34; // sizes, bounds, compression of a vector picture
constexpr std::size_t kBitmapFileHeaderSize = 14;

std::uint32_t read32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Calls `found` for each record of [begin, end) of `stream` until it says it
// is done.
template <class Found>
void forEachRecord(const ByteSource& stream, std::uint64_t begin, std::uint64_t end, Found&& found) {
    std::uint64_t at = begin;
    while (end - at >= kHeaderSize) {
        const RecordHeader h = readHeader(stream, at);
        if (h.length > end - at - kHeaderSize)
            damaged("a record of the picture store is longer than the record that holds it");
        if (found(h, at))
            return;
        at += kHeaderSize + h.length;
    }
}

// The body of the first record of `type` in [begin, end), as [begin, end).
std::optional<std::pair<std::uint64_t, std::uint64_t>>
findRecord(const ByteSource& stream, std::uint64_t begin, std::uint64_t end, std::uint16_t type) {
    std::optional<std::pair<std::uint64_t, std::uint64_t>> body;
    forEachRecord(stream, begin, end, [&](const RecordHeader& h, std::uint64_t at) {
        if (h.type != type)
            return false;
        body.emplace(at + kHeaderSize, at + kHeaderSize + h.length);
        return true;
    });
    return body;
}

// A bitmap record keeps the bitmap without its file header: the header
// given back points past the info header, its masks and its colour table.
std::vector<std::uint8_t> bitmapFile(std::span<const std::uint8_t> dib) {
    std::uint64_t pixelsAt = kBitmapFileHeaderSize;
    if (dib.size() >= 4) {
        const std::uint32_t infoSize = read32(dib.data());
        pixelsAt += infoSize;
        if (infoSize == 12 && dib.size() >= 12) { // the oldest form: 3-byte colours
            const unsigned bits = dib[10] | (dib[11] << 8);
            pixelsAt += bits <= 8 ? 3ull << bits : 0;
        } else if (infoSize >= 40 && dib.size() >= 36) {
            const unsigned bits = dib[14] | (dib[15] << 8);
            const std::uint32_t compression = read32(dib.data() + 16);
            const std::uint32_t used = read32(dib.data() + 32);
            if (infoSize == 40 && compression == 3)
                pixelsAt += 12; // red, green and blue masks
            else if (infoSize == 40 && compression == 6)
                pixelsAt += 16; // and alpha
            pixelsAt += 4ull * (used != 0 ? used : (bits <= 8 ? 1u << bits : 0u));
        }
    }
    const std::uint64_t fileSize = kBitmapFileHeaderSize + dib.size();
    std::vector<std::uint8_t> file(kBitmapFileHeaderSize + dib.size());
    std::copy(dib.begin(), dib.end(), file.begin() + kBitmapFileHeaderSize);
    const auto put32 = [&](std::size_t at, std::uint64_t value) {
        const auto v = static_cast<std::uint32_t>(std::min<std::uint64_t>(value, 0xFFFFFFFF));
        for (int i = 0; i < 4; ++i)
            file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, fileSize);
    put32(10, pixelsAt);
    return file;
}

} // namespace

PictureStore::PictureStore(const ByteSource& document, std::optional<std::uint64_t> drawingGroup,
                           const ByteSource* pictures, std::shared_ptr<PictureReader> reader)
    : m_reader(std::move(reader)),
      m_loadAllowance((64ull << 20) + 2 * (document.size() + (pictures ? pictures->size() : 0))) {
    if (!drawingGroup)
        return;
    try {
        readStore(document, *drawingGroup, pictures);
    } catch (const Failure& failure) {
        if (failure.kind() == FailureKind::Unexpected)
            throw;
        m_entries.clear();
        m_storeDamage = "the picture store cannot be read: " + failure.description();
    }
}

void PictureStore::readStore(const ByteSource& document, std::uint64_t drawingGroup,
                             const ByteSource* pictures) {
    const RecordHeader group = readHeader(document, drawingGroup);
    const std::uint64_t groupEnd = drawingGroup + kHeaderSize + group.length;
    if (groupEnd > document.size())
        damaged("the drawing group reaches past the end of the document stream");
    const auto dgg = findRecord(document, drawingGroup + kHeaderSize, groupEnd, kDggContainer);
    const auto store = dgg ? findRecord(document, dgg->first, dgg->second, kBStoreContainer) : std::nullopt;
    if (!store)
        return;
    forEachRecord(document, store->first, store->second, [&](const RecordHeader& h, std::uint64_t at) {
        if (h.type != kFbse && (h.type < kFirstBlip || h.type > kLastBlip))
            return true; // the store's entries end here
        if (m_entries.size() == kMaxStoreEntries) {
            m_storeDamage =
                "the picture store holds more than " + std::to_string(kMaxStoreEntries) + " pictures";
            return true;
        }
        Entry& entry = m_entries.emplace_back();
        if (h.type != kFbse) { // the picture record itself
            entry = {&document, at, kHeaderSize + std::uint64_t{h.length}, nullptr};
            return false;
        }
        if (h.length < kFbseSize) {
            entry.damage = "its entry in the picture store is cut short";
            return false;
        }
        std::array<std::uint8_t, kFbseSize> fbse{};
        document.read(at + kHeaderSize, fbse);
        const std::uint32_t size = read32(&fbse[20]);
        const std::uint32_t delay = read32(&fbse[28]);
        const std::uint64_t kept = kFbseSize + std::uint64_t{fbse[33]}; // the entry and its name
        if (h.length > kept) {
            entry = {&document, at + kHeaderSize + kept, h.length - kept, nullptr};
        } else if (delay == kNotInStream) {
            // An entry whose picture was removed: it shows nothing.
        } else if (!pictures) {
            entry.damage = "the file has no Pictures stream to hold it";
        } else if (delay >= pictures->size() || size > pictures->size() - delay) {
            entry.damage = "its entry in the picture store places it past the end of the Pictures stream";
        } else {
            entry = {pictures, delay, size, nullptr};
        }
        return false;
    });
}

std::vector<std::uint8_t> PictureStore::LoadBlip(const ByteSource& source, std::uint64_t offset) {
    if (offset > source.size() || source.size() - offset < kHeaderSize)
        damaged("the picture lies past the end of its stream");
    std::array<std::uint8_t, kHeaderSize> raw{};
    source.read(offset, raw);
    const RecordHeader h = parseHeader(raw.data());
    std::size_t skip = 0;
    switch (h.type) {
    case kBlipEmf:
    case kBlipWmf:
    case kBlipPict:
        skip = kMetafileHeaderSize;
        break;
    case kBlipJpeg:
    case kBlipPng:
    case kBlipDib:
    case kBlipTiff:
    case kBlipCmykJpeg:
        skip = 1; // the tag
        break;
    default:
        damaged(h.type >= kFirstBlip && h.type <= kLastBlip
                    ? "the picture is of a kind not known"
                    : "the picture is not where the picture store says it is");
    }
    // Each kind has two instances: the odd one keeps a second id.
    skip += (h.instance & 1) ? 2 * kUidSize : kUidSize;
    if (h.length > source.size() - offset - kHeaderSize)
        damaged("the picture reaches past the end of its stream");
    if (h.length > kMaxPictureBytes + kHeaderSize + 2 * kUidSize + kMetafileHeaderSize)
        ThrowOverLimit("the picture is larger than " + std::to_string(kMaxPictureBytes >> 20) + " MiB");
    if (h.length < skip)
        damaged("the picture's record is too short for its header");
    std::vector<std::uint8_t> bytes(h.length - skip);
    source.read(offset + kHeaderSize + skip, bytes);
    return h.type == kBlipDib ? bitmapFile(bytes) : bytes;
}

std::string PictureStore::text(SlideContent& page, std::uint32_t index, const std::string& part) {
    const Entry* entry = index >= 1 && index <= m_entries.size() ? &m_entries[index - 1] : nullptr;
    if (entry && !entry->source && !entry->damage)
        return {};
    if (!entry || entry->damage) {
        const std::string why = entry ? std::string(entry->damage)
                                : !m_storeDamage.empty()
                                    ? m_storeDamage
                                    : "the picture store holds no picture " + std::to_string(index);
        ReadOrSkip(page.skipped, part, [&] { damaged(why); });
        return {};
    }
    const auto key = std::pair(entry->source, entry->offset);
    if (const auto known = m_shown.find(key); known != m_shown.end()) {
        if (known->second.skipped) {
            SkippedPart skipped = *known->second.skipped;
            skipped.part = part;
            page.skipped.push_back(std::move(skipped));
        }
        return known->second.text;
    }
    const std::size_t skippedBefore = page.skipped.size();
    Shown shown;
    shown.text = ReadPictureText(page, *m_reader, part, entry->size, [&](const PictureBytesUse& use) {
        if (m_loadAllowance == 0)
            ThrowOverLimit("its pictures would load more bytes than its streams hold");
        const std::vector<std::uint8_t> bytes = LoadBlip(*entry->source, entry->offset);
        m_loadAllowance -= std::min<std::uint64_t>(m_loadAllowance, bytes.size());
        use(bytes);
    });
    if (page.skipped.size() > skippedBefore)
        shown.skipped = page.skipped.back();
    return m_shown.emplace(key, std::move(shown)).first->second.text;
}

} // namespace orv::ppt
