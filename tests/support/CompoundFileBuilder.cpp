#include "support/CompoundFileBuilder.h"

#include <algorithm>

namespace orv::test {

namespace {
constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kFatMark = 0xFFFFFFFD;
constexpr std::uint32_t kExtensionMark = 0xFFFFFFFC;
constexpr std::uint32_t kNone = 0xFFFFFFFF;

std::uint32_t sectorsFor(std::size_t bytes, std::size_t size) {
    return static_cast<std::uint32_t>((bytes + size - 1) / size);
}

// Assigns `count` consecutive sectors, chained in the table, and returns the first.
std::uint32_t chain(std::vector<std::uint32_t>& table, std::uint32_t count) {
    if (count == 0)
        return kEnd;
    const auto first = static_cast<std::uint32_t>(table.size());
    for (std::uint32_t i = 0; i < count; ++i)
        table.push_back(i + 1 < count ? first + i + 1 : kEnd);
    return first;
}
} // namespace

void PutLe16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t ReadLe32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

void AppendLe16(std::string& bytes, std::uint16_t value) {
    bytes.append(2, '\0');
    PutLe16(bytes, bytes.size() - 2, value);
}

void AppendLe32(std::string& bytes, std::uint32_t value) {
    bytes.append(4, '\0');
    PutLe32(bytes, bytes.size() - 4, value);
}

CompoundFileBuilder& CompoundFileBuilder::addStream(std::u16string name, std::string bytes) {
    m_streams.emplace_back(std::move(name), std::move(bytes));
    return *this;
}

std::string CompoundFileBuilder::build(const Options& options) const {
    const std::uint32_t ss = options.largeSectors ? 4096 : 512;
    const std::uint32_t perSector = ss / 4;
    m_layout = Layout{};
    m_layout.sectorSize = ss;

    // The small-stream area and its allocation table.
    std::string mini;
    std::vector<std::uint32_t> miniFat;
    std::vector<std::uint32_t> starts(m_streams.size(), kEnd);
    for (std::size_t i = 0; i < m_streams.size(); ++i) {
        const std::string& bytes = m_streams[i].second;
        if (bytes.size() >= 4096 || bytes.empty())
            continue;
        starts[i] = chain(miniFat, sectorsFor(bytes.size(), 64));
        mini += bytes;
        mini.resize(miniFat.size() * 64, '\0');
    }

    // Regular sectors: large streams, small-stream area, its table, directory.
    std::vector<std::uint32_t> fat;
    for (std::size_t i = 0; i < m_streams.size(); ++i)
        if (m_streams[i].second.size() >= 4096)
            starts[i] = chain(fat, sectorsFor(m_streams[i].second.size(), ss));
    const std::uint32_t miniStart = chain(fat, sectorsFor(mini.size(), ss));
    const std::uint32_t miniFatCount = sectorsFor(miniFat.size() * 4, ss);
    const std::uint32_t miniFatStart = chain(fat, miniFatCount);
    // A name "Storage/Stream" puts the stream in a storage of the root.
    std::vector<std::u16string> storages;
    for (const auto& [name, bytes] : m_streams) {
        const auto slash = name.find(u'/');
        if (slash != std::u16string::npos &&
            std::find(storages.begin(), storages.end(), name.substr(0, slash)) == storages.end())
            storages.push_back(name.substr(0, slash));
    }
    const std::size_t entries = m_streams.size() + storages.size() + 1;
    const std::uint32_t dirCount = sectorsFor(entries * 128, ss);
    const std::uint32_t dirStart = chain(fat, dirCount);

    // Allocation sectors (and extension sectors) also take places in the table.
    std::uint32_t fatCount = std::max<std::uint32_t>(options.minFatSectors, 1);
    std::uint32_t extCount = 0;
    for (;;) {
        const std::uint32_t outside = fatCount > 109 ? fatCount - 109 : 0;
        extCount = sectorsFor(outside * 4, ss - 4);
        if (sectorsFor((fat.size() + fatCount + extCount) * 4, ss) <= fatCount)
            break;
        ++fatCount;
    }
    for (std::uint32_t i = 0; i < fatCount; ++i) {
        m_layout.fatSectors.push_back(static_cast<std::uint32_t>(fat.size()));
        fat.push_back(kFatMark);
    }
    for (std::uint32_t i = 0; i < extCount; ++i) {
        m_layout.extensionSectors.push_back(static_cast<std::uint32_t>(fat.size()));
        fat.push_back(kExtensionMark);
    }
    const std::size_t totalSectors = fat.size();
    fat.resize(static_cast<std::size_t>(fatCount) * perSector, kFree);
    miniFat.resize(static_cast<std::size_t>(miniFatCount) * perSector, kFree);

    std::string out((totalSectors + 1) * ss, '\0');
    auto at = [&](std::uint32_t sector) { return (static_cast<std::size_t>(sector) + 1) * ss; };

    // Header.
    static constexpr unsigned char signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(std::begin(signature), std::end(signature), out.begin());
    PutLe16(out, 24, 0x3E);
    PutLe16(out, 26, options.largeSectors ? 4 : 3);
    PutLe16(out, 28, 0xFFFE);
    PutLe16(out, 30, options.largeSectors ? 12 : 9);
    PutLe16(out, 32, 6);
    PutLe32(out, 40, options.largeSectors ? dirCount : 0);
    PutLe32(out, 44, fatCount);
    PutLe32(out, 48, dirStart);
    PutLe32(out, 56, 4096);
    PutLe32(out, 60, miniFatCount ? miniFatStart : kEnd);
    PutLe32(out, 64, miniFatCount);
    PutLe32(out, 68, extCount ? m_layout.extensionSectors.front() : kEnd);
    PutLe32(out, 72, extCount);
    std::size_t listed = 0;
    for (std::size_t i = 0; i < 109; ++i) {
        PutLe32(out, 76 + 4 * i, i < fatCount ? m_layout.fatSectors[listed++] : kFree);
    }
    for (std::uint32_t e = 0; e < extCount; ++e) {
        const std::size_t base = at(m_layout.extensionSectors[e]);
        for (std::uint32_t k = 0; k + 1 < perSector; ++k)
            PutLe32(out, base + 4 * k, listed < fatCount ? m_layout.fatSectors[listed++] : kFree);
        PutLe32(out, base + ss - 4, e + 1 < extCount ? m_layout.extensionSectors[e + 1] : kEnd);
    }
    for (std::size_t i = 0; i < fat.size(); ++i)
        PutLe32(out, at(m_layout.fatSectors[i / perSector]) + 4 * (i % perSector), fat[i]);
    for (std::size_t i = 0; i < miniFat.size(); ++i)
        PutLe32(out, at(miniFatStart + static_cast<std::uint32_t>(i / perSector)) + 4 * (i % perSector),
                miniFat[i]);

    // Stream contents.
    for (std::size_t i = 0; i < m_streams.size(); ++i)
        if (m_streams[i].second.size() >= 4096)
            std::copy(m_streams[i].second.begin(), m_streams[i].second.end(), out.begin() + at(starts[i]));
    if (!mini.empty())
        std::copy(mini.begin(), mini.end(), out.begin() + at(miniStart));

    // Directory: the root, then the streams linked through their right
    // siblings, which the tree rules allow when every node is black.
    auto writeEntry = [&](std::size_t index, const std::u16string& name, std::uint8_t type,
                          std::uint32_t right, std::uint32_t child, std::uint32_t start, std::uint64_t size) {
        const std::size_t base = at(dirStart) + index * 128;
        for (std::size_t c = 0; c < name.size() && c < 31; ++c)
            PutLe16(out, base + 2 * c, name[c]);
        PutLe16(out, base + 64, static_cast<std::uint16_t>((std::min<std::size_t>(name.size(), 31) + 1) * 2));
        out[base + 66] = static_cast<char>(type);
        out[base + 67] = 1; // black
        PutLe32(out, base + 68, kNone);
        PutLe32(out, base + 72, right);
        PutLe32(out, base + 76, child);
        PutLe32(out, base + 116, start);
        PutLe32(out, base + 120, static_cast<std::uint32_t>(size));
    };
    for (std::size_t i = entries; i < static_cast<std::size_t>(dirCount) * (ss / 128); ++i) {
        const std::size_t base = at(dirStart) + i * 128;
        PutLe32(out, base + 68, kNone);
        PutLe32(out, base + 72, kNone);
        PutLe32(out, base + 76, kNone);
    }
    // Entries in order: the root, the streams, then the storages; each
    // storage's children (the root's too) are linked through their right
    // siblings.
    std::vector<std::vector<std::uint32_t>> children(storages.size() + 1);
    auto parentOf = [&](const std::u16string& name) -> std::size_t {
        const auto slash = name.find(u'/');
        if (slash == std::u16string::npos)
            return 0;
        return static_cast<std::size_t>(std::find(storages.begin(), storages.end(), name.substr(0, slash)) -
                                        storages.begin()) +
               1;
    };
    for (std::size_t i = 0; i < m_streams.size(); ++i)
        children[parentOf(m_streams[i].first)].push_back(static_cast<std::uint32_t>(i + 1));
    for (std::size_t k = 0; k < storages.size(); ++k)
        children[0].push_back(static_cast<std::uint32_t>(m_streams.size() + 1 + k));
    auto firstOf = [&](std::size_t parent) { return children[parent].empty() ? kNone : children[parent][0]; };
    auto rightOf = [&](std::size_t parent, std::uint32_t index) {
        const auto& list = children[parent];
        const auto it = std::find(list.begin(), list.end(), index);
        return it + 1 < list.end() ? *(it + 1) : kNone;
    };
    writeEntry(0, u"Root Entry", 5, kNone, firstOf(0), mini.empty() ? kEnd : miniStart, mini.size());
    for (std::size_t i = 0; i < m_streams.size(); ++i) {
        const auto index = static_cast<std::uint32_t>(i + 1);
        const std::u16string& name = m_streams[i].first;
        const std::size_t parent = parentOf(name);
        writeEntry(index, parent == 0 ? name : name.substr(name.find(u'/') + 1), 2, rightOf(parent, index),
                   kNone, starts[i], m_streams[i].second.size());
        m_layout.streamStart[name] = starts[i];
        m_layout.directoryIndex[name] = index;
    }
    for (std::size_t k = 0; k < storages.size(); ++k) {
        const auto index = static_cast<std::uint32_t>(m_streams.size() + 1 + k);
        writeEntry(index, storages[k], 1, rightOf(0, index), firstOf(k + 1), 0, 0);
    }
    m_layout.directoryStart = dirStart;
    m_layout.miniFatStart = miniFatStart;
    return out;
}

} // namespace orv::test
