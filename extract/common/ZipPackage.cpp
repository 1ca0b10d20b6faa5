#include "extract/common/ZipPackage.h"

#include "base/SafeText.h"
#include "extract/common/ReadFailure.h"

#include <libdeflate.h>
#include <zip.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

namespace orv {

// libzip reads the container through this callback, which turns the calls
// into ByteSource reads. Exceptions must not cross libzip's C frames, so a
// failed read is parked here and reported once libzip has given up.
struct ZipPackage::SourceState {
    const ByteSource* source = nullptr;
    std::uint64_t offset = 0;
    zip_error_t error{};
    std::optional<Failure> readFailure;
    // Opening an entry makes libzip read its local record first; where that
    // read starts identifies the record, so two directory entries that point
    // at one record can be told apart from two parts.
    bool watchingOpen = false;
    std::optional<std::uint64_t> openedRecord;

    static zip_int64_t callback(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command) {
        auto* self = static_cast<SourceState*>(userdata);
        return self->handle(data, length, command);
    }

    // Parts of a package lie close together, and most packages are smaller
    // than the window: small reads (libzip's local header, name and data
    // reads as much as this class's own) are served from one window so that
    // they do not cost a system call each. The directory's end is read into it
    // first.
    static constexpr std::size_t kWindow = 128 * 1024;
    std::unique_ptr<std::uint8_t[]> window;
    std::uint64_t windowStart = 0;
    std::size_t windowSize = 0;

    // The bytes [at, at + n) of the source, n at most kWindow, through the
    // window. Valid until the next read.
    const std::uint8_t* view(std::uint64_t at, std::size_t n) {
        if (at < windowStart || at + n > windowStart + windowSize) {
            if (!window)
                window.reset(new std::uint8_t[kWindow]);
            windowSize = 0; // nothing held if the read fails
            // Past the end the source refuses the read, as it refuses any.
            const std::uint64_t left = source->size() - std::min(at, source->size());
            const auto size = std::max(n, static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, left)));
            source->read(at, std::span(window.get(), size));
            windowStart = at;
            windowSize = size;
        }
        return window.get() + (at - windowStart);
    }

    void readAt(std::uint64_t at, std::uint8_t* out, std::size_t n) {
        if (n == 0)
            return;
        if (n > kWindow / 2) {
            source->read(at, std::span(out, n));
            return;
        }
        std::memcpy(out, view(at, n), n);
    }

    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        const std::uint64_t size = source->size();
        switch (command) {
        case ZIP_SOURCE_OPEN:
            offset = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const std::uint64_t n = std::min<std::uint64_t>(length, size - std::min(offset, size));
            if (watchingOpen) {
                openedRecord = offset;
                watchingOpen = false;
            }
            try {
                readAt(offset, static_cast<std::uint8_t*>(data), static_cast<std::size_t>(n));
            } catch (const Failure& failure) {
                readFailure = failure;
                zip_error_set(&error, ZIP_ER_READ, EIO);
                return -1;
            }
            offset += n;
            return static_cast<zip_int64_t>(n);
        }
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error);
            if (st == nullptr)
                return -1;
            zip_stat_init(st);
            st->size = size;
            st->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error, data, length);
        case ZIP_SOURCE_SEEK: {
            const zip_int64_t to = zip_source_seek_compute_offset(offset, size, data, length, &error);
            if (to < 0)
                return -1;
            offset = static_cast<std::uint64_t>(to);
            return 0;
        }
        case ZIP_SOURCE_TELL:
            return static_cast<zip_int64_t>(offset);
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                                  ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                                  ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, -1);
        default:
            zip_error_set(&error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

namespace {

// No part of a real file comes near this; a zip directory that claims more
// (zip64 sizes reach 2^64 - 1) is damaged, not merely large.
constexpr std::uint64_t kLargestPlausibleSize = 1ull << 48;

std::string mebibytes(std::uint64_t bytes) {
    return std::to_string((bytes >> 20) + ((bytes >> 19) & 1)) + " MiB";
}

[[noreturn]] void throwDamagedPart(std::string_view name, std::string_view why) {
    ThrowDamaged("the part " + FileText(name) + " " + std::string(why), std::string(name));
}

[[noreturn]] void throwOutOfMemory() {
    throw Failure(FailureKind::OverLimit, "The presentation package cannot be opened: out of memory.");
}

std::string foldCase(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

PartBytes allocate(std::uint64_t size) {
    PartBytes out;
    out.data.reset(new char[static_cast<std::size_t>(size) + 1]);
    out.size = static_cast<std::size_t>(size);
    out.data[out.size] = '\0';
    return out;
}

// Closes a zip_file_t on every path out.
struct OpenEntry {
    zip_file_t* file;
    ~OpenEntry() {
        if (file != nullptr)
            zip_fclose(file);
    }
};

} // namespace

ZipPackage::ZipPackage(const ByteSource& source, ZipLimits limits, ZipDirectoryReader reader)
    : m_state(std::make_unique<SourceState>()), m_limits(limits) {
    m_state->source = &source;
    zip_error_init(&m_state->error);
    if (reader == ZipDirectoryReader::Libzip || !readOwnDirectory())
        openLibzip();
}

namespace {

// The thread's decompressor, made once: it keeps nothing from one call to
// the next, and making one clears some ten kilobytes.
libdeflate_decompressor* threadInflater() {
    struct Inflater {
        libdeflate_decompressor* decompressor = nullptr;
        ~Inflater() { libdeflate_free_decompressor(decompressor); }
    };
    thread_local Inflater inflater;
    if (inflater.decompressor == nullptr)
        inflater.decompressor = libdeflate_alloc_decompressor();
    if (inflater.decompressor == nullptr)
        throwOutOfMemory();
    return inflater.decompressor;
}

} // namespace

void ZipPackage::openLibzip() {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* zipSource = zip_source_function_create(&SourceState::callback, m_state.get(), &error);
    if (zipSource == nullptr) {
        zip_error_fini(&error);
        throwOutOfMemory();
    }
    m_zip = zip_open_from_source(zipSource, ZIP_RDONLY, &error);
    if (m_zip == nullptr) {
        zip_source_free(zipSource);
        std::string detail = zip_error_strerror(&error);
        zip_error_fini(&error);
        if (m_state->readFailure)
            throw *m_state->readFailure;
        ThrowDamagedFile("it begins like a zip package but cannot be opened as one (" + detail + ")");
    }
    zip_error_fini(&error);
    const zip_int64_t entries = zip_get_num_entries(m_zip, 0);
    if (entries < 0 || static_cast<std::uint64_t>(entries) > m_limits.maxEntries) {
        zip_discard(m_zip);
        m_zip = nullptr;
        ThrowOverLimit("its zip directory lists more than " + std::to_string(m_limits.maxEntries) +
                       " entries");
    }
}

namespace {

std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool hasSignature(const std::uint8_t* p, std::uint8_t third, std::uint8_t fourth) {
    return p[0] == 'P' && p[1] == 'K' && p[2] == third && p[3] == fourth;
}

constexpr std::size_t kEndRecord = 22;
constexpr std::size_t kDirectoryRecord = 46;
constexpr std::size_t kLocalRecord = 30;
// The end record with the longest comment, the zip64 locator before it, and
// some more: no second end record and no zip64 record may lie within reach.
constexpr std::size_t kTailSearched = kEndRecord + 0xFFFF + 20 + 1024;
// A plain package's directory is a few kilobytes; a larger one is left to
// libzip rather than held twice.
constexpr std::uint64_t kLargestOwnDirectory = 16u << 20;

// A name libzip would report byte for byte whatever encoding it guesses:
// printable ASCII, not empty.
bool isPlainName(const std::uint8_t* p, std::size_t n) {
    if (n == 0)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (p[i] < 0x20 || p[i] > 0x7E)
            return false;
    return true;
}

// The extra fields must fill their space exactly and hold none that changes
// what the entry means: zip64 sizes, a Unicode name, AES encryption.
bool isPlainExtra(const std::uint8_t* p, std::size_t n) {
    std::size_t at = 0;
    while (at < n) {
        if (n - at < 4)
            return false;
        const std::uint16_t id = le16(p + at);
        const std::size_t length = le16(p + at + 2);
        if (id == 0x0001 || id == 0x7075 || id == 0x9901 || n - at - 4 < length)
            return false;
        at += 4 + length;
    }
    return true;
}

} // namespace

// The directory of a plain package: one end record closing the file, a
// directory right before it, and entries that are all stored or deflated with
// their sizes in 32 bits. The end record is searched in the last 64 KiB and a
// bit, the reach of its comment; a second one, or any sign of zip64, or
// anything else out of the ordinary, and libzip reads the package instead.
bool ZipPackage::readOwnDirectory() {
    const ByteSource& source = *m_state->source;
    const std::uint64_t fileSize = source.size();
    if (fileSize < kEndRecord)
        return false;
    // The window takes the end of the file: all of a small package.
    const std::size_t windowed =
        static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, SourceState::kWindow));
    const std::size_t tailSize = std::min(windowed, kTailSearched);
    const std::uint64_t tailStart = fileSize - tailSize;
    const std::uint8_t* const tail = m_state->view(fileSize - windowed, windowed) + (windowed - tailSize);
    std::optional<std::size_t> end;
    const std::uint8_t* const tailEnd = tail + tailSize;
    for (const std::uint8_t* p = tail; tailEnd - p >= 4; ++p) {
        p = static_cast<const std::uint8_t*>(std::memchr(p, 'P', static_cast<std::size_t>(tailEnd - p - 3)));
        if (p == nullptr)
            break;
        if (p[1] != 'K' || (p[2] != 5 && p[2] != 6))
            continue;
        const auto at = static_cast<std::size_t>(p - tail);
        if (p[2] == 6 && (p[3] == 6 || p[3] == 7))
            return false; // zip64
        if (p[2] == 5 && p[3] == 6) {
            if (end)
                return false;
            end = at;
        }
    }
    if (!end || tailSize - *end < kEndRecord)
        return false;
    const std::uint8_t* record = tail + *end;
    const std::uint16_t entries = le16(record + 10);
    const std::uint32_t directorySize = le32(record + 12);
    const std::uint32_t directoryStart = le32(record + 16);
    const std::uint64_t endOffset = tailStart + *end;
    if (*end + kEndRecord + le16(record + 20) != tailSize || le16(record + 4) != 0 || le16(record + 6) != 0 ||
        le16(record + 8) != entries || entries == 0 || entries == 0xFFFF || entries > m_limits.maxEntries ||
        std::uint64_t{directoryStart} + directorySize != endOffset || directorySize > kLargestOwnDirectory)
        return false;

    std::unique_ptr<std::uint8_t[]> directory(new std::uint8_t[directorySize]);
    if (directoryStart >= tailStart)
        std::memcpy(directory.get(), tail + (directoryStart - tailStart), directorySize);
    else
        m_state->readAt(directoryStart, directory.get(), directorySize);

    std::vector<Entry> list;
    list.reserve(entries);
    std::size_t at = 0;
    for (std::uint16_t i = 0; i < entries; ++i) {
        if (directorySize - at < kDirectoryRecord)
            return false;
        const std::uint8_t* p = directory.get() + at;
        const std::uint16_t flags = le16(p + 8);
        const std::uint16_t method = le16(p + 10);
        const std::size_t nameLength = le16(p + 28);
        const std::size_t extraLength = le16(p + 30);
        const std::size_t commentLength = le16(p + 32);
        Entry entry{{}, le32(p + 42), le32(p + 20), le32(p + 24), le32(p + 16), method};
        // Encrypted (traditionally, strongly, or the directory itself), zip64
        // sizes, another disk, another method: all libzip's.
        if (!hasSignature(p, 1, 2) || (flags & 0x2041) != 0 || (method != 0 && method != 8) ||
            entry.compressedSize == 0xFFFFFFFF || entry.size == 0xFFFFFFFF || entry.record == 0xFFFFFFFF ||
            le16(p + 34) != 0 ||
            directorySize - at - kDirectoryRecord < nameLength + extraLength + commentLength)
            return false;
        const std::uint8_t* name = p + kDirectoryRecord;
        if (!isPlainName(name, nameLength) || !isPlainExtra(name + nameLength, extraLength))
            return false;
        entry.name = std::string_view(reinterpret_cast<const char*>(name), nameLength);
        list.push_back(entry);
        at += kDirectoryRecord + nameLength + extraLength + commentLength;
    }
    if (at != directorySize)
        return false;
    m_entries = std::move(list);
    indexNames();
    m_directory = std::move(directory);
    return true;
}

// The entries by name in a table of twice as many slots or more (linear
// probing), each slot an entry's index plus one; the first entry of a name
// holds it, as a scan in directory order would find it.
void ZipPackage::indexNames() {
    m_nameSlots.assign(std::bit_ceil(m_entries.size() * 2), 0);
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (std::uint32_t& slot = m_nameSlots[nameSlot(m_entries[i].name)]; slot == 0)
            slot = static_cast<std::uint32_t>(i + 1);
}

// The slot holding the entry of this name, or the empty one where probing for
// it stops.
std::size_t ZipPackage::nameSlot(std::string_view name) const {
    const std::size_t mask = m_nameSlots.size() - 1;
    std::size_t slot = std::hash<std::string_view>{}(name)&mask;
    while (m_nameSlots[slot] != 0 && m_entries[m_nameSlots[slot] - 1].name != name)
        slot = (slot + 1) & mask;
    return slot;
}

ZipPackage::~ZipPackage() {
    if (m_zip != nullptr)
        zip_discard(m_zip); // read-only: nothing to write back
    zip_error_fini(&m_state->error);
}

std::uint64_t ZipPackage::entryCount() const {
    if (readsDirectoryItself())
        return m_entries.size();
    const zip_int64_t n = zip_get_num_entries(m_zip, 0);
    return n < 0 ? 0 : static_cast<std::uint64_t>(n);
}

std::string_view ZipPackage::entryName(std::uint64_t index) const {
    if (readsDirectoryItself())
        return index < m_entries.size() ? m_entries[index].name : std::string_view();
    const char* name = index < entryCount() ? zip_get_name(m_zip, index, ZIP_FL_ENC_RAW) : nullptr;
    return name == nullptr ? std::string_view() : std::string_view(name);
}

std::optional<std::uint64_t> ZipPackage::findExact(std::string_view name) const {
    if (readsDirectoryItself()) {
        const std::uint32_t at = m_nameSlots[nameSlot(name)];
        if (at == 0)
            return std::nullopt;
        return at - 1;
    }
    const std::string key(name);
    if (key.find('\0') != std::string::npos)
        return std::nullopt;
    const zip_int64_t index = zip_name_locate(m_zip, key.c_str(), 0);
    if (index < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(index);
}

std::optional<std::uint64_t> ZipPackage::find(std::string_view name) const {
    if (const auto exact = findExact(name))
        return exact;
    if (name.find('\0') != std::string_view::npos)
        return std::nullopt;
    if (!m_folded) {
        // The first entry of each folded name wins, as a scan in directory
        // order would find it.
        m_folded.emplace();
        const std::uint64_t count = entryCount();
        m_folded->reserve(static_cast<std::size_t>(count));
        for (std::uint64_t i = 0; i < count; ++i)
            if (const std::string_view entry = entryName(i); !entry.empty())
                m_folded->try_emplace(foldCase(entry), i);
    }
    const auto found = m_folded->find(foldCase(name));
    if (found == m_folded->end())
        return std::nullopt;
    return found->second;
}

void ZipPackage::claimRecord(std::uint64_t record, std::uint64_t index, std::string_view name) {
    // Two entries sharing one local record would be read as two parts from one
    // stretch of the file: a cheap way to multiply what a small file makes
    // this reader build.
    const auto [at, fresh] = m_recordOwners.try_emplace(record, index);
    if (!fresh && at->second != index)
        throwDamagedPart(name, "shares its stored data with another part of the zip directory");
}

void ZipPackage::openEntry(zip_file*& file, std::uint64_t index, std::string_view name, unsigned flags) {
    if (m_zip == nullptr)
        openLibzip();
    m_state->watchingOpen = true;
    m_state->openedRecord.reset();
    file = zip_fopen_index(m_zip, index, flags);
    m_state->watchingOpen = false;
    // Where libzip first reads identifies the record (it skips to the lengths
    // in it); with the own directory the record's offset is known, and every
    // claim of the package must be made in the same terms.
    const std::optional<std::uint64_t> record =
        readsDirectoryItself() ? std::optional(m_entries[index].record) : m_state->openedRecord;
    if (file == nullptr || !record)
        return;
    try {
        claimRecord(*record, index, name);
    } catch (...) {
        zip_fclose(file);
        file = nullptr;
        throw;
    }
}

ZipPackage::EntryFacts ZipPackage::facts(std::uint64_t index, std::string_view name) const {
    if (readsDirectoryItself()) {
        if (index >= m_entries.size())
            throwDamagedPart(name, "cannot be found in the zip directory");
        const Entry& entry = m_entries[index];
        return {entry.size, entry.compressedSize, entry.crc, entry.method, false};
    }
    zip_stat_t st;
    if (zip_stat_index(m_zip, index, 0, &st) != 0)
        throwDamagedPart(name, "cannot be found in the zip directory");
    const std::uint64_t needed = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
    if ((st.valid & needed) != needed)
        throwDamagedPart(name, "has an incomplete zip directory entry");
    const bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
    return {st.size, st.comp_size, st.crc, st.comp_method, encrypted};
}

std::optional<std::uint64_t> ZipPackage::inflatedSize(std::uint64_t index) const {
    try {
        return facts(index, {}).size;
    } catch (const Failure&) {
        return std::nullopt;
    }
}

PartBytes ZipPackage::read(std::uint64_t index, std::string_view name, ZipLedger ledger) {
    const EntryFacts st = facts(index, name);
    if (st.encrypted)
        throw Failure(FailureKind::Encrypted,
                      "The presentation is password-protected: the part " + FileText(name) + " is encrypted.",
                      std::string(name));
    if (st.size > kLargestPlausibleSize || st.compressedSize > kLargestPlausibleSize)
        throwDamagedPart(name, "has a size in the zip directory too large to represent (" +
                                   std::to_string(std::max(st.size, st.compressedSize)) + " bytes)");
    if (st.size > m_limits.maxPartSize)
        ThrowOverLimit("the part " + FileText(name) + " would inflate to " + mebibytes(st.size) +
                           ", more than the limit of " + mebibytes(m_limits.maxPartSize),
                       std::string(name));
    if (st.size > m_limits.ratioCheckAbove &&
        st.size / std::max<std::uint64_t>(st.compressedSize, 1) > m_limits.maxRatio)
        throw Failure(FailureKind::OverLimit,
                      "The presentation looks like a zip bomb: the part " + FileText(name) +
                          " would inflate to " + mebibytes(st.size) + " from " +
                          std::to_string(st.compressedSize) + " bytes.",
                      std::string(name));
    std::uint64_t& inflated = m_inflated[static_cast<int>(ledger)];
    if (inflated + st.size > m_limits.maxTotalInflated)
        ThrowOverLimit(std::string(ledger == ZipLedger::Parts ? "its parts" : "its pictures") +
                           " would inflate to more than " + mebibytes(m_limits.maxTotalInflated),
                       std::string(name));
    if (st.compressedSize > m_state->source->size())
        throwDamagedPart(name, "claims to be larger than the whole file");
    inflated += st.size;
    if (st.method == ZIP_CM_DEFLATE || st.method == ZIP_CM_STORE)
        return readRaw(index, name, st.method == ZIP_CM_DEFLATE, st.compressedSize, st.size, st.crc);
    return readThroughLibzip(index, name, st.size);
}

// Where an entry of the own directory has its stored bytes, claimed for it:
// after its local record's name and extra field, within the file. Nothing
// stored, nothing read: libzip does not look at such an entry's local record
// either, so it is neither checked nor claimed. nullopt (a record out of the
// ordinary) leaves the entry to libzip.
std::optional<std::uint64_t> ZipPackage::ownDataStart(std::uint64_t index, std::string_view name) {
    if (!readsDirectoryItself())
        return std::nullopt;
    const Entry& entry = m_entries[index];
    if (entry.compressedSize == 0)
        return 0;
    const ByteSource& source = *m_state->source;
    if (entry.record > source.size() || source.size() - entry.record < kLocalRecord)
        return std::nullopt;
    std::uint8_t local[kLocalRecord];
    m_state->readAt(entry.record, local, kLocalRecord);
    if (!hasSignature(local, 3, 4))
        return std::nullopt;
    const std::uint64_t start = entry.record + kLocalRecord + le16(local + 26) + le16(local + 28);
    if (start > source.size() || source.size() - start < entry.compressedSize)
        return std::nullopt;
    claimRecord(entry.record, index, name);
    return start;
}

// Whole-buffer inflate: the central directory gives both sizes, so the raw
// bytes are fetched (from the file, or through libzip for a package or an
// entry out of the ordinary) and inflated in one call with libdeflate, which
// also rejects data that inflates to any other size than declared. Stored
// entries take the same road without the inflate.
PartBytes ZipPackage::readRaw(std::uint64_t index, std::string_view name, bool deflated,
                              std::uint64_t compressedSize, std::uint64_t size, std::uint32_t crc) {
    if (!deflated && compressedSize != size)
        throwDamagedPart(name, "is stored with two different sizes");
    OpenEntry entry{nullptr};
    const std::optional<std::uint64_t> start = ownDataStart(index, name);
    if (!start) {
        openEntry(entry.file, index, name, ZIP_FL_COMPRESSED);
        if (entry.file == nullptr) {
            if (m_state->readFailure)
                throw *m_state->readFailure;
            throwDamagedPart(name, std::string("cannot be read (") + zip_strerror(m_zip) + ")");
        }
    }
    PartBytes out = allocate(size);
    char* raw = out.data.get();
    if (deflated) {
        // One buffer for the compressed bytes of every part, grown as needed
        // (no zero fill); kept between parts only while it is small.
        if (compressedSize > m_compressedRoom) {
            m_compressed.reset(); // the old room goes before the new is taken
            m_compressed.reset(new char[static_cast<std::size_t>(compressedSize)]);
            m_compressedRoom = compressedSize;
        }
        raw = m_compressed.get();
    }
    if (start) {
        m_state->readAt(*start, reinterpret_cast<std::uint8_t*>(raw),
                        static_cast<std::size_t>(compressedSize));
    } else {
        const zip_int64_t got = zip_fread(entry.file, raw, compressedSize);
        if (got < 0 && m_state->readFailure)
            throw *m_state->readFailure;
        if (got < 0 || static_cast<std::uint64_t>(got) != compressedSize)
            throwDamagedPart(name, "is cut short");
    }
    if (deflated) {
        const libdeflate_result result =
            libdeflate_deflate_decompress(threadInflater(), raw, static_cast<std::size_t>(compressedSize),
                                          out.data.get(), out.size, nullptr);
        if (result != LIBDEFLATE_SUCCESS)
            throwDamagedPart(name, result == LIBDEFLATE_BAD_DATA
                                       ? "has corrupt compressed data"
                                       : "does not inflate to the size its zip entry declares");
        if (m_compressedRoom > kKeptCompressedRoom) {
            m_compressed.reset();
            m_compressedRoom = 0;
        }
    }
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION // lets the fuzzer's edits reach the XML
    if (libdeflate_crc32(0, out.data.get(), out.size) != crc)
        throwDamagedPart(name, "fails its CRC check");
#else
    (void)crc;
#endif
    return out;
}

// Any other method libzip understands. The buffer has the
// declared size; one more byte is asked for so that data running on past it
// is caught, and reading to the end makes libzip check the CRC.
PartBytes ZipPackage::readThroughLibzip(std::uint64_t index, std::string_view name, std::uint64_t size) {
    OpenEntry entry{nullptr};
    openEntry(entry.file, index, name, 0);
    if (entry.file == nullptr) {
        if (m_state->readFailure)
            throw *m_state->readFailure;
        zip_error_t* error = zip_get_error(m_zip);
        if (zip_error_code_zip(error) == ZIP_ER_COMPNOTSUPP)
            throwDamagedPart(name, "is compressed with a method this program cannot read");
        throwDamagedPart(name, std::string("cannot be read (") + zip_error_strerror(error) + ")");
    }
    PartBytes out = allocate(size);
    std::uint64_t done = 0;
    while (done < size) {
        const zip_int64_t n = zip_fread(entry.file, out.data.get() + done, size - done);
        if (n < 0) {
            if (m_state->readFailure)
                throw *m_state->readFailure;
            throwDamagedPart(name, std::string("cannot be read (") + zip_file_strerror(entry.file) + ")");
        }
        if (n == 0)
            throwDamagedPart(name, "is shorter than its zip entry declares");
        done += static_cast<std::uint64_t>(n);
    }
    char extra;
    const zip_int64_t more = zip_fread(entry.file, &extra, 1);
    if (more > 0)
        throwDamagedPart(name, "is longer than its zip entry declares");
    if (more < 0)
        throwDamagedPart(name, std::string("cannot be read (") + zip_file_strerror(entry.file) + ")");
    return out;
}

} // namespace orv
