#include "extract/ppt/CompoundFile.h"

#include "extract/common/ReadFailure.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace orv::ppt {

namespace {

constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint32_t kMiniSectorSize = 64;
constexpr std::uint64_t kMiniStreamCutoff = 4096;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kDirEntrySize = 128;
constexpr std::uint64_t kUnbounded = std::numeric_limits<std::uint64_t>::max();

std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t le64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(le32(p)) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
}

[[noreturn]] void damaged(const std::string& why) {
    ThrowDamagedFile(why);
}

char16_t foldCase(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

} // namespace

// A stream seen as contiguous bytes: a list of sectors of one size inside a
// base source (the file, or the mini stream for small streams).
class CompoundFile::ChainSource final : public ByteSource {
public:
    ChainSource(const ByteSource& base, std::vector<std::uint32_t> sectors, std::uint32_t sectorSize,
                std::uint64_t firstSectorOffset, std::uint64_t size)
        : m_base(base), m_sectors(std::move(sectors)), m_sectorSize(sectorSize),
          m_firstSectorOffset(firstSectorOffset), m_size(size) {}

    std::uint64_t size() const override { return m_size; }

    void read(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset > m_size || out.size() > m_size - offset)
            damaged("a record reaches past the end of its stream");
        std::size_t done = 0;
        while (done < out.size()) {
            const std::uint64_t position = offset + done;
            const std::uint64_t index = position / m_sectorSize;
            const std::uint32_t within = static_cast<std::uint32_t>(position % m_sectorSize);
            const std::size_t chunk = std::min<std::size_t>(m_sectorSize - within, out.size() - done);
            const std::uint64_t at =
                m_firstSectorOffset + static_cast<std::uint64_t>(m_sectors[index]) * m_sectorSize + within;
            m_base.read(at, out.subspan(done, chunk));
            done += chunk;
        }
    }

private:
    const ByteSource& m_base;
    std::vector<std::uint32_t> m_sectors;
    std::uint32_t m_sectorSize;
    std::uint64_t m_firstSectorOffset;
    std::uint64_t m_size;
};

CompoundFile::CompoundFile(const ByteSource& file) : m_file(file) {
    readHeaderAndFat();
    readDirectory();
    collectRootChildren();
}

CompoundFile::~CompoundFile() = default;

std::vector<std::uint32_t> CompoundFile::followChain(const std::vector<std::uint32_t>& table,
                                                     std::uint32_t start, std::uint64_t needed,
                                                     std::uint64_t limit, const char* what) const {
    // `limit` is the number of sectors that exist, so a chain can never be
    // longer; the visited marks catch a loop at its first repeated sector.
    const std::uint64_t bound = std::min<std::uint64_t>(limit, table.size());
    std::vector<std::uint32_t> chain;
    std::vector<bool> visited;
    std::uint32_t sector = start;
    while (chain.size() < needed) {
        if (sector == kEndOfChain && needed == kUnbounded)
            break;
        if (sector > kMaxRegularSector)
            damaged(std::string("the ") + what + " ends before its stated size");
        if (sector >= bound)
            damaged(std::string("the ") + what + " points outside the file");
        if (visited.empty())
            visited.resize(static_cast<std::size_t>(bound), false);
        if (visited[sector])
            damaged(std::string("the sectors of the ") + what + " form a loop");
        visited[sector] = true;
        chain.push_back(sector);
        sector = table[sector];
    }
    return chain;
}

void CompoundFile::readHeaderAndFat() {
    if (m_file.size() < 512)
        damaged("it is too short to be a compound document");
    std::array<std::uint8_t, 512> header{};
    m_file.read(0, header);
    if (le16(&header[28]) != 0xFFFE)
        damaged("its header has an unknown byte order");
    const std::uint16_t sectorShift = le16(&header[30]);
    if (sectorShift != 9 && sectorShift != 12)
        damaged("its header has an unknown sector size");
    if (le16(&header[32]) != 6)
        damaged("its header has an unknown small-sector size");
    m_sectorSize = 1u << sectorShift;
    m_sectorsInFile = (m_file.size() + m_sectorSize - 1) / m_sectorSize - 1;

    const std::uint32_t fatSectorCount = le32(&header[44]);
    m_firstDirSector = le32(&header[48]);
    m_firstMiniFatSector = le32(&header[60]);
    m_miniFatSectors = le32(&header[64]);
    std::uint32_t difatSector = le32(&header[68]);
    if (fatSectorCount > m_sectorsInFile)
        damaged("its header claims more allocation sectors than the file holds");

    // The locations of the allocation-table sectors: the first ones in the
    // header, the rest in a chain of extension sectors.
    std::vector<std::uint32_t> fatSectors;
    for (std::size_t i = 0; i < kHeaderDifatEntries && fatSectors.size() < fatSectorCount; ++i)
        fatSectors.push_back(le32(&header[76 + 4 * i]));
    std::vector<std::uint8_t> sector(m_sectorSize);
    std::vector<bool> visited;
    while (fatSectors.size() < fatSectorCount) {
        if (difatSector >= m_sectorsInFile)
            damaged("the list of allocation sectors ends early or points outside the file");
        if (visited.empty())
            visited.resize(static_cast<std::size_t>(m_sectorsInFile), false);
        if (visited[difatSector])
            damaged("the list of allocation sectors forms a loop");
        visited[difatSector] = true;
        m_file.read((static_cast<std::uint64_t>(difatSector) + 1) * m_sectorSize, sector);
        const std::size_t perSector = m_sectorSize / 4 - 1;
        for (std::size_t i = 0; i < perSector && fatSectors.size() < fatSectorCount; ++i)
            fatSectors.push_back(le32(&sector[4 * i]));
        difatSector = le32(&sector[4 * perSector]);
    }

    m_fat.reserve(fatSectors.size() * (m_sectorSize / 4));
    for (const std::uint32_t fatSector : fatSectors) {
        if (fatSector >= m_sectorsInFile)
            damaged("an allocation sector lies outside the file");
        m_file.read((static_cast<std::uint64_t>(fatSector) + 1) * m_sectorSize, sector);
        for (std::size_t i = 0; i < m_sectorSize / 4; ++i)
            m_fat.push_back(le32(&sector[4 * i]));
    }
}

void CompoundFile::readDirectory() {
    const auto chain = followChain(m_fat, m_firstDirSector, kUnbounded, m_sectorsInFile, "directory");
    if (chain.empty())
        damaged("it has no directory");
    std::vector<std::uint8_t> sector(m_sectorSize);
    const bool wideSizes = m_sectorSize != 512;
    for (const std::uint32_t s : chain) {
        m_file.read((static_cast<std::uint64_t>(s) + 1) * m_sectorSize, sector);
        for (std::size_t at = 0; at + kDirEntrySize <= m_sectorSize; at += kDirEntrySize) {
            const std::uint8_t* p = &sector[at];
            Entry e;
            const std::size_t nameBytes = std::min<std::size_t>(le16(p + 64), 64);
            for (std::size_t i = 0; i < nameBytes / 2; ++i)
                e.name.push_back(static_cast<char16_t>(le16(p + 2 * i)));
            while (!e.name.empty() && e.name.back() == u'\0')
                e.name.pop_back();
            const std::uint8_t type = p[66];
            e.type = (type == 1 || type == 2 || type == 5) ? static_cast<EntryType>(type) : EntryType::Unused;
            e.left = le32(p + 68);
            e.right = le32(p + 72);
            e.child = le32(p + 76);
            e.start = le32(p + 116);
            // Version 3 files may leave garbage in the high half of the size.
            e.size = wideSizes ? le64(p + 120) : le32(p + 120);
            m_entries.push_back(std::move(e));
        }
    }
    if (m_entries.front().type != EntryType::Root)
        damaged("its directory has no root entry");

    const Entry& root = m_entries.front();
    if (root.size > m_file.size())
        damaged("its small-stream area is larger than the file");
    if (root.size > 0) {
        const std::uint64_t count = (root.size + m_sectorSize - 1) / m_sectorSize;
        auto sectors = followChain(m_fat, root.start, count, m_sectorsInFile, "small-stream area");
        m_miniStream =
            std::make_unique<ChainSource>(m_file, std::move(sectors), m_sectorSize, m_sectorSize, root.size);
        if (m_miniFatSectors > m_sectorsInFile)
            damaged("its header claims more small-allocation sectors than the file holds");
        const auto miniFatChain = followChain(m_fat, m_firstMiniFatSector, m_miniFatSectors, m_sectorsInFile,
                                              "small-allocation table");
        m_miniFat.reserve(miniFatChain.size() * (m_sectorSize / 4));
        for (const std::uint32_t s : miniFatChain) {
            m_file.read((static_cast<std::uint64_t>(s) + 1) * m_sectorSize, sector);
            for (std::size_t i = 0; i < m_sectorSize / 4; ++i)
                m_miniFat.push_back(le32(&sector[4 * i]));
        }
    }
}

void CompoundFile::collectRootChildren() {
    m_rootChildren = childrenOf(0);
}

std::vector<std::size_t> CompoundFile::childrenOf(std::size_t storage) const {
    // The children of a storage form a binary tree; walk it without recursion
    // and refuse a tree that leads back to an entry already seen.
    std::vector<std::size_t> children;
    std::vector<bool> visited(m_entries.size(), false);
    visited[storage] = true;
    std::vector<std::uint32_t> pending{m_entries[storage].child};
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        if (id == kNoStream)
            continue;
        if (id >= m_entries.size())
            damaged("its directory refers to an entry that does not exist");
        if (visited[id])
            damaged("its directory entries form a loop");
        visited[id] = true;
        const Entry& e = m_entries[id];
        if (e.type == EntryType::Stream || e.type == EntryType::Storage)
            children.push_back(id);
        pending.push_back(e.right);
        pending.push_back(e.left);
    }
    return children;
}

std::optional<std::size_t> CompoundFile::findIn(const std::vector<std::size_t>& entries,
                                                std::u16string_view name) const {
    for (const std::size_t index : entries) {
        const std::u16string& candidate = m_entries[index].name;
        if (candidate.size() == name.size() &&
            std::equal(candidate.begin(), candidate.end(), name.begin(),
                       [](char16_t a, char16_t b) { return foldCase(a) == foldCase(b); }))
            return index;
    }
    return std::nullopt;
}

std::optional<std::size_t> CompoundFile::findRootEntry(std::u16string_view name) const {
    return findIn(m_rootChildren, name);
}

std::optional<std::size_t> CompoundFile::findChild(std::size_t storage, std::u16string_view name) const {
    if (m_entries.at(storage).type != EntryType::Storage)
        return std::nullopt;
    return findIn(childrenOf(storage), name);
}

std::unique_ptr<ByteSource> CompoundFile::openStream(std::size_t index) const {
    const Entry& e = m_entries.at(index);
    if (e.type != EntryType::Stream)
        damaged("a stream it names is not a stream");
    if (e.size > m_file.size())
        damaged("a stream is said to be larger than the whole file");
    if (e.size < kMiniStreamCutoff) {
        if (e.size == 0)
            return std::make_unique<ChainSource>(m_file, std::vector<std::uint32_t>{}, m_sectorSize, 0, 0);
        if (!m_miniStream)
            damaged("a small stream lies in a small-stream area that does not exist");
        const std::uint64_t count = (e.size + kMiniSectorSize - 1) / kMiniSectorSize;
        const std::uint64_t miniSectors = (m_miniStream->size() + kMiniSectorSize - 1) / kMiniSectorSize;
        auto sectors = followChain(m_miniFat, e.start, count, miniSectors, "small stream");
        return std::make_unique<ChainSource>(*m_miniStream, std::move(sectors), kMiniSectorSize, 0, e.size);
    }
    const std::uint64_t count = (e.size + m_sectorSize - 1) / m_sectorSize;
    auto sectors = followChain(m_fat, e.start, count, m_sectorsInFile, "stream");
    return std::make_unique<ChainSource>(m_file, std::move(sectors), m_sectorSize, m_sectorSize, e.size);
}

} // namespace orv::ppt
