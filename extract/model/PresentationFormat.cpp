#include "extract/model/PresentationFormat.h"

#include "base/Failure.h"

#include <algorithm>
#include <cstring>

namespace orv {

FormatProbe::FormatProbe(std::unique_ptr<ByteSource> source, ZipLimits limits)
    : m_source(std::move(source)), m_limits(limits) {
    if (m_source->size() == 0)
        throw Failure(FailureKind::NotPresentation, "The file is empty.");
    m_headSize = static_cast<std::size_t>(std::min<std::uint64_t>(kHeadBytes, m_source->size()));
    m_head.reset(new std::uint8_t[m_headSize]);
    m_source->read(0, std::span(m_head.get(), m_headSize));
}

FormatProbe::~FormatProbe() = default;

bool FormatProbe::startsWith(std::span<const std::uint8_t> signature) const {
    return m_headSize >= signature.size() &&
           std::memcmp(m_head.get(), signature.data(), signature.size()) == 0;
}

ZipPackage* FormatProbe::zip() {
    static constexpr std::uint8_t local[] = {'P', 'K', 3, 4};
    static constexpr std::uint8_t empty[] = {'P', 'K', 5, 6};
    if (!m_zip && (startsWith(local) || startsWith(empty)))
        m_zip = std::make_unique<ZipPackage>(*m_source, m_limits);
    return m_zip.get();
}

std::unique_ptr<ZipPackage> FormatProbe::takeZip() {
    zip();
    return std::move(m_zip);
}

} // namespace orv
