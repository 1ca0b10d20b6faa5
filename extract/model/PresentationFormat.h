#pragma once

#include "extract/common/ByteSource.h"
#include "extract/common/ZipPackage.h"
#include "extract/model/PresentationDocument.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace orv {

// What a file is recognised by: its first bytes and, when they begin a zip
// container, the container's directory. The container is opened once, for the
// first reader that asks, and handed to the reader that opens the file.
class FormatProbe {
public:
    // How many of the first bytes a reader may look at.
    static constexpr std::size_t kHeadBytes = 4096;

    // Reads the first bytes. Throws orv::Failure for an empty file. A zip
    // container is opened with `limits`.
    explicit FormatProbe(std::unique_ptr<ByteSource> source, ZipLimits limits = {});
    ~FormatProbe();
    FormatProbe(const FormatProbe&) = delete;
    FormatProbe& operator=(const FormatProbe&) = delete;

    const ByteSource& source() const { return *m_source; }
    // The first kHeadBytes bytes, or the whole file when it is shorter.
    std::span<const std::uint8_t> head() const { return {m_head.get(), m_headSize}; }
    bool startsWith(std::span<const std::uint8_t> signature) const;
    // The zip container the file holds, or nullptr when its first bytes are
    // no zip signature. Throws orv::Failure when the container is damaged.
    ZipPackage* zip();

    // For the reader that opens the file.
    std::unique_ptr<ByteSource> takeSource() { return std::move(m_source); }
    std::unique_ptr<ZipPackage> takeZip();

private:
    std::unique_ptr<ByteSource> m_source;
    std::unique_ptr<std::uint8_t[]> m_head;
    std::size_t m_headSize = 0;
    std::unique_ptr<ZipPackage> m_zip;
    ZipLimits m_limits;
};

// One record of the table of formats (extract/PresentationFormats.h): what the
// format is called, the names and media types its files carry, how it is
// recognised and how it opens. Each reader defines its records beside its
// code; nothing else names its extensions or media types.
struct PresentationFormat {
    // Unique, for lists and diagnostics: "flat OpenDocument presentation".
    std::string_view name;
    // What users call files of this and related records, with no article:
    // "OpenDocument presentation". Records of one family stand together.
    std::string_view family;
    // Lower case, without the dot, the usual one first.
    std::span<const std::string_view> extensions;
    std::span<const std::string_view> mimeTypes;
    // How sure the reader is that the probed file is one of its: 0 not at
    // all. The highest bid opens the file; of equal bids, the first record.
    int (*bid)(FormatProbe& probe);
    // Opens the probed file. Throws orv::Failure.
    std::unique_ptr<PresentationDocument> (*open)(FormatProbe& probe, ReadOptions options);
    // Read only when asked for (ReadOptions::pdf): left out of every list
    // made from the table (the desktop's media types, the default
    // extensions), and a file it recognises is refused with the way to ask.
    bool onRequest = false;
    // For a format also stored as a folder (a macOS package): whether the
    // folder at `path` is one of its documents, which folder scans then take
    // as one file, and opening it. Both throw nothing for a folder that is not
    // one; opening throws orv::Failure.
    bool (*isPackageFolder)(const std::string& path) = nullptr;
    std::unique_ptr<PresentationDocument> (*openFolder)(const std::string& path,
                                                        ReadOptions options) = nullptr;
};

} // namespace orv
