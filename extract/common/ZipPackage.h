#pragma once

#include "extract/common/ByteSource.h"
#include "extract/common/ReadLimits.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct zip;
struct zip_file;

namespace orv {

// The inflated bytes of one part. One spare NUL follows the data so that the
// XML parser can work on the buffer in place.
struct PartBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;

    // The bytes, as a byte source or a reader of bytes takes them.
    std::span<const std::uint8_t> bytes() const {
        return {reinterpret_cast<const std::uint8_t*>(data.get()), size};
    }
};

// Limits that keep a hostile package from exhausting memory or time. Every
// part this reader needs is XML, and an XML tree takes many times its text, so
// the per-part bound is kept well below what memory could hold.
struct ZipLimits {
    std::uint64_t maxPartSize = limits::kMaxPartSize;
    std::uint64_t maxTotalInflated = limits::kMaxTotalInflated;
    // Deflate cannot honestly reach much beyond 1000:1, so parts above the
    // threshold that claim more are taken for bombs.
    std::uint64_t ratioCheckAbove = limits::kRatioCheckAbove;
    std::uint64_t maxRatio = limits::kMaxCompressionRatio;
    std::uint64_t maxEntries = limits::kMaxZipEntries;
};

// Who reads the zip directory. A plain package (one end record, no zip64, no
// encryption, stored or deflated entries, printable ASCII names) is read by
// this class itself; anything else, and every package when `Libzip` is asked
// for, goes through libzip. Both give the same entries, parts and refusals.
enum class ZipDirectoryReader { Own, Libzip };

// What a part's inflated bytes count against (ZipLimits::maxTotalInflated,
// one total each): the parts the readers parse, or the pictures read by text
// recognition, so that a deck full of photographs keeps the room its text
// needs and its pictures are still bounded.
enum class ZipLedger { Parts, Pictures };

// A read-only zip container over a ByteSource. Only the central directory is
// read when opening; a part's bytes are read and inflated when asked for, so
// pictures and media never cost anything. Not shared between threads: each
// reader opens its own.
class ZipPackage {
public:
    explicit ZipPackage(const ByteSource& source, ZipLimits limits = {},
                        ZipDirectoryReader reader = ZipDirectoryReader::Own);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // True when this class read the directory itself, not libzip.
    bool readsDirectoryItself() const { return m_directory != nullptr; }
    std::uint64_t entryCount() const;
    // The entry's name as the directory stores it; empty past the last entry.
    // The view lasts as long as the package.
    std::string_view entryName(std::uint64_t index) const;
    // Looks a part up by its name (no leading '/'), exactly first, then
    // ignoring ASCII letter case as package part names do. The second look-up
    // goes through an index of case-folded names built once, on the first
    // name that misses.
    std::optional<std::uint64_t> find(std::string_view name) const;
    // Looks a name up exactly (OpenDocument names are case-sensitive).
    std::optional<std::uint64_t> findExact(std::string_view name) const;
    // The size the directory gives the entry's inflated bytes, before they
    // are read; nothing when it cannot tell.
    std::optional<std::uint64_t> inflatedSize(std::uint64_t index) const;
    // Inflates the entry, checking the limits, the stored size and the CRC.
    // `name` is only used in descriptions.
    PartBytes read(std::uint64_t index, std::string_view name, ZipLedger ledger = ZipLedger::Parts);

private:
    struct SourceState;
    // One entry of a directory this class read itself.
    struct Entry {
        std::string_view name; // into m_directory
        std::uint64_t record;  // where its local record starts
        std::uint32_t compressedSize;
        std::uint32_t size;
        std::uint32_t crc;
        std::uint16_t method;
    };
    // What the directory says of one entry, whoever read it.
    struct EntryFacts {
        std::uint64_t size;
        std::uint64_t compressedSize;
        std::uint32_t crc;
        std::uint16_t method;
        bool encrypted;
    };

    // Reads a plain directory into m_entries; false leaves it to libzip.
    bool readOwnDirectory();
    void indexNames();
    std::size_t nameSlot(std::string_view name) const;
    // Opens the package with libzip, throwing as the constructor does.
    void openLibzip();
    EntryFacts facts(std::uint64_t index, std::string_view name) const;
    // Where the entry's stored bytes start, claimed for it, when its local
    // record is plain; nullopt leaves the entry to libzip.
    std::optional<std::uint64_t> ownDataStart(std::uint64_t index, std::string_view name);
    // Refuses an entry whose local record another entry already used.
    void claimRecord(std::uint64_t record, std::uint64_t index, std::string_view name);

    PartBytes readRaw(std::uint64_t index, std::string_view name, bool deflated, std::uint64_t compressedSize,
                      std::uint64_t size, std::uint32_t crc);
    // Opens an entry (nullptr on failure, left to the caller) and refuses one
    // whose local record another entry already used.
    void openEntry(zip_file*& file, std::uint64_t index, std::string_view name, unsigned flags);
    PartBytes readThroughLibzip(std::uint64_t index, std::string_view name, std::uint64_t size);

    std::unique_ptr<SourceState> m_state;
    // With the own directory, libzip is opened only for an entry whose local
    // record is out of the ordinary, and only reads that entry.
    zip* m_zip = nullptr;
    std::unique_ptr<std::uint8_t[]> m_directory; // set only when read by this class
    std::vector<Entry> m_entries;
    std::vector<std::uint32_t> m_nameSlots; // the entries by name (indexNames)
    ZipLimits m_limits;
    std::uint64_t m_inflated[2] = {}; // by ZipLedger
    static constexpr std::uint64_t kKeptCompressedRoom = 1u << 20;
    std::unique_ptr<char[]> m_compressed; // the last part's compressed bytes
    std::uint64_t m_compressedRoom = 0;
    mutable std::optional<std::unordered_map<std::string, std::uint64_t>> m_folded;
    std::unordered_map<std::uint64_t, std::uint64_t> m_recordOwners; // local record offset -> entry
};

} // namespace orv
