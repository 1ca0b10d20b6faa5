#include "extract/common/ZipPackage.h"

#include "base/SafeText.h"
#include "extract/common/ReadFailure.h"

#include <libdeflate.h>
#include <zip.h>

#include <algorithm>
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

    // libzip reads a local header, a name and then the data, each with its
    // own call; parts of a package lie close together. Small reads are served
    // from one window so that they do not cost a system call each.
    static constexpr std::size_t kWindow = 64 * 1024;
    std::unique_ptr<std::uint8_t[]> window;
    std::uint64_t windowStart = 0;
    std::size_t windowSize = 0;

    void readAt(std::uint64_t at, std::uint8_t* out, std::size_t n) {
        if (n == 0)
            return;
        if (n > kWindow / 2) {
            source->read(at, std::span(out, n));
            return;
        }
        if (at < windowStart || at + n > windowStart + windowSize) {
            if (!window)
                window.reset(new std::uint8_t[kWindow]);
            windowSize = static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, source->size() - at));
            windowStart = at;
            source->read(at, std::span(window.get(), windowSize));
        }
        std::memcpy(out, window.get() + (at - windowStart), n);
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

ZipPackage::ZipPackage(const ByteSource& source, ZipLimits limits)
    : m_state(std::make_unique<SourceState>()), m_limits(limits) {
    m_state->source = &source;
    zip_error_init(&m_state->error);
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
        ThrowOverLimit("its zip directory lists more than " + std::to_string(m_limits.maxEntries) +
                       " entries");
    }
    m_inflater = libdeflate_alloc_decompressor();
    if (m_inflater == nullptr) {
        zip_discard(m_zip);
        throwOutOfMemory();
    }
}

ZipPackage::~ZipPackage() {
    libdeflate_free_decompressor(m_inflater);
    zip_discard(m_zip); // read-only: nothing to write back
    zip_error_fini(&m_state->error);
}

std::uint64_t ZipPackage::entryCount() const {
    const zip_int64_t n = zip_get_num_entries(m_zip, 0);
    return n < 0 ? 0 : static_cast<std::uint64_t>(n);
}

std::optional<std::uint64_t> ZipPackage::findExact(std::string_view name) const {
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
    const std::string key(name);
    if (key.find('\0') != std::string::npos)
        return std::nullopt;
    if (!m_folded) {
        // The first entry of each folded name wins, as a scan in directory
        // order would find it.
        m_folded.emplace();
        const std::uint64_t count = entryCount();
        m_folded->reserve(static_cast<std::size_t>(count));
        for (std::uint64_t i = 0; i < count; ++i)
            if (const char* entryName = zip_get_name(m_zip, i, ZIP_FL_ENC_RAW))
                m_folded->try_emplace(foldCase(entryName), i);
    }
    const auto found = m_folded->find(foldCase(key));
    if (found == m_folded->end())
        return std::nullopt;
    return found->second;
}

void ZipPackage::openEntry(zip_file*& file, std::uint64_t index, std::string_view name, unsigned flags) {
    m_state->watchingOpen = true;
    m_state->openedRecord.reset();
    file = zip_fopen_index(m_zip, index, flags);
    m_state->watchingOpen = false;
    if (file == nullptr || !m_state->openedRecord)
        return;
    // Two entries sharing one local record would be read as two parts from one
    // stretch of the file: a cheap way to multiply what a small file makes
    // this reader build.
    const auto [at, fresh] = m_recordOwners.try_emplace(*m_state->openedRecord, index);
    if (!fresh && at->second != index) {
        zip_fclose(file);
        file = nullptr;
        throwDamagedPart(name, "shares its stored data with another part of the zip directory");
    }
}

PartBytes ZipPackage::read(std::uint64_t index, std::string_view name) {
    zip_stat_t st;
    if (zip_stat_index(m_zip, index, 0, &st) != 0)
        throwDamagedPart(name, "cannot be found in the zip directory");
    const std::uint64_t needed = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
    if ((st.valid & needed) != needed)
        throwDamagedPart(name, "has an incomplete zip directory entry");
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
        throw Failure(FailureKind::Encrypted,
                      "The presentation is password-protected: the part " + FileText(name) + " is encrypted.",
                      std::string(name));
    if (st.size > kLargestPlausibleSize || st.comp_size > kLargestPlausibleSize)
        throwDamagedPart(name, "has a size in the zip directory too large to represent (" +
                                   std::to_string(std::max(st.size, st.comp_size)) + " bytes)");
    if (st.size > m_limits.maxPartSize)
        ThrowOverLimit("the part " + FileText(name) + " would inflate to " + mebibytes(st.size) +
                           ", more than the limit of " + mebibytes(m_limits.maxPartSize),
                       std::string(name));
    if (st.size > m_limits.ratioCheckAbove &&
        st.size / std::max<std::uint64_t>(st.comp_size, 1) > m_limits.maxRatio)
        throw Failure(FailureKind::OverLimit,
                      "The presentation looks like a zip bomb: the part " + FileText(name) +
                          " would inflate to " + mebibytes(st.size) + " from " +
                          std::to_string(st.comp_size) + " bytes.",
                      std::string(name));
    if (m_inflated + st.size > m_limits.maxTotalInflated)
        ThrowOverLimit("its parts would inflate to more than " + mebibytes(m_limits.maxTotalInflated),
                       std::string(name));
    if (st.comp_size > m_state->source->size())
        throwDamagedPart(name, "claims to be larger than the whole file");
    m_inflated += st.size;
    if (st.comp_method == ZIP_CM_DEFLATE || st.comp_method == ZIP_CM_STORE)
        return readRaw(index, name, st.comp_method == ZIP_CM_DEFLATE, st.comp_size, st.size, st.crc);
    return readThroughLibzip(index, name, st.size);
}

// Whole-buffer inflate: the central directory gives both sizes, so the raw
// bytes are fetched through libzip and inflated in one call with libdeflate,
// which also rejects data that inflates to any other size than declared.
// Stored entries take the same road without the inflate.
PartBytes ZipPackage::readRaw(std::uint64_t index, std::string_view name, bool deflated,
                              std::uint64_t compressedSize, std::uint64_t size, std::uint32_t crc) {
    if (!deflated && compressedSize != size)
        throwDamagedPart(name, "is stored with two different sizes");
    OpenEntry entry{nullptr};
    openEntry(entry.file, index, name, ZIP_FL_COMPRESSED);
    if (entry.file == nullptr) {
        if (m_state->readFailure)
            throw *m_state->readFailure;
        throwDamagedPart(name, std::string("cannot be read (") + zip_strerror(m_zip) + ")");
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
    const zip_int64_t got = zip_fread(entry.file, raw, compressedSize);
    if (got < 0 && m_state->readFailure)
        throw *m_state->readFailure;
    if (got < 0 || static_cast<std::uint64_t>(got) != compressedSize)
        throwDamagedPart(name, "is cut short");
    if (deflated) {
        const libdeflate_result result = libdeflate_deflate_decompress(
            m_inflater, raw, static_cast<std::size_t>(compressedSize), out.data.get(), out.size, nullptr);
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
