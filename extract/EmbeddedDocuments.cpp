#include "extract/EmbeddedDocuments.h"

#include "extract/PresentationReader.h"
#include "extract/common/ByteSource.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"

#include <string>

namespace orv {

namespace {

class EmbeddedDocuments final : public EmbeddedReader,
                                public std::enable_shared_from_this<EmbeddedDocuments> {
public:
    EmbeddedDocuments(bool pdf, std::shared_ptr<PictureReader> pictures)
        : m_pdf(pdf), m_pictures(std::move(pictures)) {}

    bool read(const std::string& part, std::span<const std::uint8_t> bytes, int depth, SlideContent& page,
              ShapeBudget& budget) override {
        requireDepth(part, depth);
        if (bytes.size() > limits::kMaxEmbeddedSize)
            ThrowOverLimit("an embedded document is larger than " +
                               std::to_string(limits::kMaxEmbeddedSize >> 20) + " MiB",
                           part);
        if (bytes.empty())
            return false;
        FormatProbe probe(std::make_unique<MemoryByteSource>(bytes),
                          ZipLimits{limits::kMaxEmbeddedSize, limits::kMaxEmbeddedInflated});
        const PresentationFormat* format = RecogniseEmbedded(probe);
        if (format == nullptr || (format->onRequest && !m_pdf))
            return false;
        count(part);
        std::unique_ptr<PresentationDocument> document;
        try {
            ReadOptions options{true, depth + 1, shared_from_this(), &budget};
            options.pdf = m_pdf;
            options.pictures = m_pictures != nullptr;
            options.pictureReader = m_pictures;
            document = format->open(probe, options);
        } catch (const Failure& failure) {
            if (failure.kind() == FailureKind::NotPresentation)
                return false; // a package of another kind, such as a drawing
            throw;
        }
        const auto take = [&](const SlideContent& content) {
            for (const PlacedText& placed : content.allText)
                PlaceText(page, budget, TextPlace::Embedded,
                          placed.place == TextPlace::Picture ? TextPlace::Picture : TextPlace::Embedded, part,
                          placed.text);
            for (const SkippedPart& skipped : content.skipped)
                page.skipped.push_back({part + ", " + skipped.part, skipped.description, skipped.kind});
        };
        for (std::size_t i = 0; i < document->slideCount(); ++i)
            take(document->readSlide(i));
        for (std::size_t i = 0; i < document->masterPageCount(); ++i)
            take(document->readMasterPage(i));
        return true;
    }

    void admit(const std::string& part, int depth) override {
        requireDepth(part, depth);
        count(part);
    }

private:
    static void requireDepth(const std::string& part, int depth) {
        if (depth >= limits::kMaxEmbeddingDepth)
            ThrowOverLimit("it nests embedded documents more than " +
                               std::to_string(limits::kMaxEmbeddingDepth) + " deep",
                           part);
    }

    void count(const std::string& part) {
        if (++m_documents > limits::kMaxEmbeddedDocuments)
            ThrowOverLimit("it embeds more than " + std::to_string(limits::kMaxEmbeddedDocuments) +
                               " documents in all",
                           part);
    }

    bool m_pdf;
    std::shared_ptr<PictureReader> m_pictures;
    std::size_t m_documents = 0;
};

} // namespace

std::shared_ptr<EmbeddedReader> MakeEmbeddedReader(bool pdf, std::shared_ptr<PictureReader> pictures) {
    return std::make_shared<EmbeddedDocuments>(pdf, std::move(pictures));
}

} // namespace orv
