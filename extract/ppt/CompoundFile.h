#pragma once

#include "extract/common/ByteSource.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv::ppt {

// Read-only access to a compound file (the container of the binary Office
// formats): header, sector allocation tables, directory and streams. Every
// chain is checked for loops and for sectors outside the file, and no stream
// is taken to be larger than the file, so damaged or hostile containers end in
// an orv::Failure rather than a hang or a huge allocation. Streams are read on
// demand; nothing but the allocation tables and the directory is loaded.
class CompoundFile {
public:
    // Parses the header, the allocation tables and the directory of `file`,
    // which must outlive this object and every stream opened from it.
    explicit CompoundFile(const ByteSource& file);
    ~CompoundFile();
    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    enum class EntryType : std::uint8_t { Unused = 0, Storage = 1, Stream = 2, Root = 5 };
    struct Entry {
        std::u16string name;
        EntryType type = EntryType::Unused;
        std::uint32_t left = 0;
        std::uint32_t right = 0;
        std::uint32_t child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    // The entries (streams and storages) directly under the root storage.
    const std::vector<std::size_t>& rootChildren() const { return m_rootChildren; }
    const Entry& entry(std::size_t index) const { return m_entries.at(index); }

    // The index of the root-level entry whose name matches (letter case is
    // ignored, as the container does), if there is one.
    std::optional<std::size_t> findRootEntry(std::u16string_view name) const;

    // The index of the entry named so directly under the storage `storage`
    // (the root's children are found by findRootEntry), if there is one.
    std::optional<std::size_t> findChild(std::size_t storage, std::u16string_view name) const;

    // A stream's bytes, read through this container on demand.
    std::unique_ptr<ByteSource> openStream(std::size_t index) const;

private:
    class ChainSource;

    std::vector<std::uint32_t> followChain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                                           std::uint64_t needed, std::uint64_t limit, const char* what) const;
    void readHeaderAndFat();
    void readDirectory();
    void collectRootChildren();
    std::vector<std::size_t> childrenOf(std::size_t storage) const;
    std::optional<std::size_t> findIn(const std::vector<std::size_t>& entries,
                                      std::u16string_view name) const;

    const ByteSource& m_file;
    std::uint32_t m_sectorSize = 512;
    std::uint64_t m_sectorsInFile = 0;
    std::uint32_t m_firstDirSector = 0;
    std::uint32_t m_firstMiniFatSector = 0;
    std::uint32_t m_miniFatSectors = 0;
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_miniFat;
    std::vector<Entry> m_entries;
    std::vector<std::size_t> m_rootChildren;
    std::unique_ptr<ByteSource> m_miniStream;
};

} // namespace orv::ppt
