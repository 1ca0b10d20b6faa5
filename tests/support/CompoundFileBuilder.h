#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orv::test {

// Writes a small compound file holding streams at its root, or in storages
// of the root ("Storage/Stream"), for tests of the binary readers. Streams under 4096 bytes go to the
// small-stream area, as the format requires. The layout of the last build is kept so that a test can damage
// the file in a chosen place.
class CompoundFileBuilder {
public:
    CompoundFileBuilder& addStream(std::u16string name, std::string bytes);

    struct Options {
        bool largeSectors = false; // 4096-byte sectors (version 4)
        // At least this many allocation sectors (unused ones free), so that
        // more than the header's 109 need the extension sectors.
        std::uint32_t minFatSectors = 1;
    };
    std::string build(const Options& options) const;
    std::string build() const { return build(Options{}); }

    struct Layout {
        std::uint32_t sectorSize = 512;
        std::uint32_t directoryStart = 0;
        std::uint32_t miniFatStart = 0;
        std::vector<std::uint32_t> fatSectors;
        std::vector<std::uint32_t> extensionSectors;
        std::map<std::u16string, std::uint32_t> streamStart; // regular or small sector
        std::map<std::u16string, std::uint32_t> directoryIndex;
    };
    const Layout& layout() const { return m_layout; }

    // Byte offset of a regular sector in the built file.
    std::size_t sectorOffset(std::uint32_t sector) const {
        return (static_cast<std::size_t>(sector) + 1) * m_layout.sectorSize;
    }

private:
    std::vector<std::pair<std::u16string, std::string>> m_streams;
    mutable Layout m_layout;
};

void PutLe16(std::string& bytes, std::size_t at, std::uint16_t value);
void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value);
std::uint32_t ReadLe32(const std::string& bytes, std::size_t at);
void AppendLe16(std::string& bytes, std::uint16_t value);
void AppendLe32(std::string& bytes, std::uint32_t value);

} // namespace orv::test
