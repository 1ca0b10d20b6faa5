#include "extract/PresentationReader.h"

#include "extract/ByteSource.h"
#include "extract/CompoundFileReader.h"
#include "extract/OdfReader.h"
#include "extract/OoxmlReader.h"
#include "shell/Failure.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace orv {

namespace {

std::unique_ptr<PresentationDocument> openFrom(std::unique_ptr<ByteSource> source, ReadOptions options) {
    if (source->size() == 0)
        throw Failure("The file is empty.");
    std::array<std::uint8_t, 8> head{};
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(head.size(), source->size()));
    source->read(0, std::span(head.data(), n));

    static constexpr std::uint8_t zip[] = {'P', 'K', 3, 4};
    static constexpr std::uint8_t emptyZip[] = {'P', 'K', 5, 6};
    static constexpr std::uint8_t compound[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (n >= 4 && (std::memcmp(head.data(), zip, 4) == 0 || std::memcmp(head.data(), emptyZip, 4) == 0)) {
        auto package = std::make_unique<ZipPackage>(*source);
        if (IsOpenDocumentPackage(*package))
            return OpenOdfPackage(std::move(source), std::move(package), options);
        return OpenOoxmlPresentation(std::move(source), std::move(package), options);
    }
    if (n == 8 && std::memcmp(head.data(), compound, 8) == 0)
        return OpenCompoundFilePresentation(std::move(source), options);
    if (LooksLikeFlatOpenDocument(*source))
        return OpenFlatOdf(std::move(source), options);
    throw Failure("The file is not a presentation: it is neither a presentation package, a binary "
                  "presentation nor an OpenDocument presentation.");
}

PresentationContent readAll(PresentationDocument& document) {
    PresentationContent content;
    const std::size_t count = document.slideCount();
    content.slides.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        content.slides.push_back(document.readSlide(i));
    return content;
}

} // namespace

std::unique_ptr<PresentationDocument> OpenPresentationFile(const std::string& path, ReadOptions options) {
    return openFrom(std::make_unique<FileByteSource>(path), options);
}

std::unique_ptr<PresentationDocument> OpenPresentationBytes(std::span<const std::uint8_t> bytes,
                                                            ReadOptions options) {
    return openFrom(std::make_unique<MemoryByteSource>(bytes), options);
}

PresentationContent ReadPresentationFile(const std::string& path, ReadOptions options) {
    return readAll(*OpenPresentationFile(path, options));
}

PresentationContent ReadPresentationBytes(std::span<const std::uint8_t> bytes, ReadOptions options) {
    return readAll(*OpenPresentationBytes(bytes, options));
}

} // namespace orv
