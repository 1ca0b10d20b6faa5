#include "extract/pdf/PdfFormat.h"

#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/ReaderProcess.h"

#include <algorithm>
#include <string_view>

namespace orv::pdf {

using reader::OpenRequest;
using reader::PageAnswer;
using reader::ReaderProcess;

const reader::ReaderProgram kReaderProgram{"orvandel-pdf", "ORVANDEL_PDF_READER", "PDF reader",
                                           "PDF document"};

namespace {

constexpr std::string_view kExtensions[] = {"pdf"};
constexpr std::string_view kMimeTypes[] = {"application/pdf"};

// "%PDF-" within the first 1,024 bytes, where readers look for it.
int bid(FormatProbe& probe) {
    const auto head = probe.head();
    const auto window = head.subspan(0, std::min<std::size_t>(head.size(), 1024));
    constexpr std::string_view signature = "%PDF-";
    const auto found = std::search(window.begin(), window.end(), signature.begin(), signature.end(),
                                   [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
    return found == window.end() ? 0 : 100;
}

class PdfDocument final : public PresentationDocument {
public:
    PdfDocument(ReaderProcess& reader, std::uint32_t pages, const ReadOptions& options)
        : m_reader(reader), m_generation(reader.generation()), m_pages(pages), m_allText(options.allText),
          m_pictures(options.pictureReader) {}

    std::size_t slideCount() const override { return m_pages; }

    SlideContent readSlide(std::size_t index) override {
        if (index >= m_pages)
            throw Failure("The slide index is out of range.");
        PageAnswer answer = m_reader.page(m_generation, static_cast<std::uint32_t>(index));
        const std::string site = "page " + std::to_string(index + 1);
        SlideContent slide;
        // A page without text (a scan) is read as the picture it shows.
        if (m_pictures && !answer.picture.empty())
            answer.text = ReadPictureText(slide, *m_pictures, site + ", picture", answer.picture.size(),
                                          [&](const PictureBytesUse& use) { use(answer.picture); });
        m_budget.nextSlide();
        m_budget.addShape(answer.text.size(), FaultSite{site, std::nullopt});
        slide.allTextRead = m_allText;
        if (m_allText) {
            if (!answer.text.empty())
                slide.allText.push_back({TextPlace::Page, {}, answer.text});
            ReadAllTextPiece(slide, site + ", links and comments", [&] {
                for (std::string& link : answer.links)
                    PlaceText(slide, m_budget, std::nullopt, TextPlace::Link, {}, std::move(link));
                for (std::string& comment : answer.comments)
                    PlaceText(slide, m_budget, std::nullopt, TextPlace::Comment, {}, std::move(comment));
            });
            // Told once for the document: its links and comments are read
            // all at once.
            if (!answer.skipped.empty())
                slide.skipped.push_back({"links and comments", answer.skipped, FailureKind::Damaged});
        }
        slide.shapes.push_back({true, std::move(answer.text)});
        slide.shapes.back().place = TextPlace::Page;
        return slide;
    }

private:
    ReaderProcess& m_reader;
    std::uint64_t m_generation;
    std::uint32_t m_pages;
    bool m_allText;
    std::shared_ptr<PictureReader> m_pictures;
    ShapeBudget m_budget;
};

std::unique_ptr<PresentationDocument> open(FormatProbe& probe, ReadOptions options) {
    OpenRequest request = reader::RequestFor(probe.source());
    request.allText = options.allText;
    request.renderTextless = options.pictureReader != nullptr;
    request.cpuSeconds = reader::kCpuSecondsPerDocument;
    ReaderProcess& reader = ReaderProcess::ForThisThread(kReaderProgram);
    const std::uint32_t pages = reader.open(request).pages;
    if (pages > limits::kMaxSlides)
        ThrowOverLimit("it has more than " + std::to_string(limits::kMaxSlides) + " pages");
    return std::make_unique<PdfDocument>(reader, pages, options);
}

} // namespace

const PresentationFormat kFormat{"PDF document", "PDF document", kExtensions, kMimeTypes, bid, open, true};

} // namespace orv::pdf
