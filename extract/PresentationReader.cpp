#include "extract/PresentationReader.h"

#include "base/Failure.h"
#include "extract/EmbeddedDocuments.h"
#include "extract/PresentationFormats.h"
#include "extract/common/ByteSource.h"
#include "extract/ocr/PictureRun.h"

#include <string>

namespace orv {

namespace {

// "it is neither a presentation package, a binary presentation nor an
// OpenDocument presentation", from the families of the table.
std::string noFormatReason() {
    const auto families = PresentationFamilies();
    std::string reason = "it is neither ";
    for (std::size_t i = 0; i < families.size(); ++i) {
        if (i > 0)
            reason += i + 1 == families.size() ? " nor " : ", ";
        const std::string& family = families[i];
        reason +=
            std::string_view("AEIOUaeiou").find(family.front()) != std::string_view::npos ? "an " : "a ";
        reason += family;
    }
    return reason;
}

} // namespace

namespace {

// The highest bid of the records, the first of equal ones; nullptr when none
// bids.
const PresentationFormat* highestBid(FormatProbe& probe, std::span<const PresentationFormat* const> records,
                                     const PresentationFormat* best = nullptr, int bestBid = 0) {
    for (const auto* format : records) {
        const int bid = format->bid(probe);
        if (bid > bestBid) {
            best = format;
            bestBid = bid;
        }
    }
    return best;
}

} // namespace

const PresentationFormat* RecogniseEmbedded(FormatProbe& probe) {
    const PresentationFormat* deck = highestBid(probe, PresentationFormats());
    return highestBid(probe, EmbeddedOnlyFormats(), deck, deck ? deck->bid(probe) : 0);
}

std::string OnRequestRefusal(const PresentationFormat& format) {
    return "The file is a " + std::string(format.family) +
           ", which is read only when asked for: run orvandel-cli with --pdf, or check \"Read PDF Files\" "
           "in the menu of \"Start Extracting\".";
}

const PresentationFormat& RecognisePresentation(FormatProbe& probe) {
    const PresentationFormat* best = highestBid(probe, PresentationFormats());
    if (best == nullptr)
        throw Failure(FailureKind::NotPresentation,
                      "The file is not a presentation: " + noFormatReason() + ".");
    return *best;
}

namespace {

// What reads the pictures and the embedded documents of the file `path`
// (empty for bytes), when they are read and the caller has not set them.
void setFileReaders(const std::string& path, ReadOptions& options) {
    if (options.pictures && !options.pictureReader) {
        if (!options.pictureRun)
            options.pictureRun = ocr::MakePictureRun();
        options.pictureReader = options.pictureRun->readerFor(path);
    }
    if (options.allText && !options.embedded)
        options.embedded = MakeEmbeddedReader(options.pdf, options.pictureReader);
}

std::unique_ptr<PresentationDocument> openFrom(const std::string& path, std::unique_ptr<ByteSource> source,
                                               ReadOptions options) {
    setFileReaders(path, options);
    FormatProbe probe(std::move(source));
    const PresentationFormat& format = RecognisePresentation(probe);
    if (format.onRequest && !options.pdf)
        throw Failure(FailureKind::NotPresentation, OnRequestRefusal(format));
    return format.open(probe, options);
}

PresentationContent readAll(PresentationDocument& document) {
    PresentationContent content;
    const std::size_t count = document.slideCount();
    content.slides.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        content.slides.push_back(document.readSlide(i));
    for (std::size_t i = 0; i < document.masterPageCount(); ++i)
        content.masterPages.push_back(document.readMasterPage(i));
    return content;
}

} // namespace

std::unique_ptr<PresentationDocument> OpenPresentationFile(const std::string& path, ReadOptions options) {
    if (const PresentationFormat* format = PackageFolderFormat(path)) {
        setFileReaders(path, options);
        return format->openFolder(path, options);
    }
    return openFrom(path, std::make_unique<FileByteSource>(path), options);
}

std::unique_ptr<PresentationDocument> OpenPresentationBytes(std::span<const std::uint8_t> bytes,
                                                            ReadOptions options) {
    return openFrom({}, std::make_unique<MemoryByteSource>(bytes), options);
}

PresentationContent ReadPresentationFile(const std::string& path, ReadOptions options) {
    return readAll(*OpenPresentationFile(path, options));
}

PresentationContent ReadPresentationBytes(std::span<const std::uint8_t> bytes, ReadOptions options) {
    return readAll(*OpenPresentationBytes(bytes, options));
}

} // namespace orv
