#include "pdfreader/PdfPages.h"

#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/ReaderServer.h"
#include "extract/common/Uri.h"
#include "extract/pdf/LineJoins.h"
#include "pdfreader/ShownText.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPolygonF>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAnnotationObjectHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace orv::pdf {

namespace {

[[noreturn]] void refuse(FailureKind kind, const std::string& description) {
    throw Failure(kind, description);
}

std::u16string_view utf16(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

Box boxOf(const QPolygonF& polygon) {
    const QRectF r = polygon.boundingRect();
    return {r.left(), r.top(), r.right(), r.bottom()};
}

// The boxes of a selection spanning two lines: the rectangles of the first
// line come first, then those of the next, lower one.
std::optional<LinePair> splitLines(const QList<QPolygonF>& bounds) {
    if (bounds.size() < 2)
        return std::nullopt;
    LinePair pair{boxOf(bounds.front()), {}};
    qsizetype i = 1;
    for (; i < bounds.size(); ++i) {
        const Box b = boxOf(bounds[i]);
        if (b.top >= pair.first.top + 0.5 * pair.first.height())
            break;
        pair.first = pair.first.united(b);
    }
    if (i == bounds.size())
        return std::nullopt;
    pair.second = boxOf(bounds[i]);
    for (++i; i < bounds.size(); ++i)
        pair.second = pair.second.united(boxOf(bounds[i]));
    return pair;
}

} // namespace

struct PdfPages::Impl {
    OpenRequest request;
    QByteArray bytes; // an embedded document's, held while it is open
    QBuffer buffer;
    QPdfDocument document;
    std::uint32_t pages = 0;
    // The document as qpdf reads it, opened on the first page that needs
    // it: for the annotations, and for what a page shows where the library
    // leaves soft hyphens out.
    bool qpdfTried = false;
    std::string qpdfFailure;
    std::unique_ptr<QPDF> qpdf;
    std::vector<QPDFPageObjectHelper> qpdfPages;
    bool annotationsRead = false;
    std::string annotationsFailure;
    std::vector<PageAnswer> annotations;

    bool openQpdf();
    void readAnnotations();
    std::u16string shown(std::uint32_t index, const QString& text);
    std::vector<std::uint8_t> drawn(int page);
};

// A page without text is drawn for text recognition at this resolution, or
// lower for a page so large that it would hold more than this many pixels.
constexpr double kDrawnDotsPerInch = 200;
constexpr double kMaxDrawnPixels = 16e6;
// Each page drawn may take this much more processor time: drawing a scanned
// page is no reading of text, and a document of many takes longer.
constexpr std::uint32_t kSecondsPerDrawnPage = 1;

// The page drawn in grey on white, as a PGM; empty for a page of no size.
std::vector<std::uint8_t> PdfPages::Impl::drawn(int page) {
    const QSizeF points = document.pagePointSize(page);
    if (!(points.width() > 0 && points.height() > 0))
        return {};
    double dpi = kDrawnDotsPerInch;
    const double inches = points.width() / 72 * points.height() / 72;
    if (inches * dpi * dpi > kMaxDrawnPixels)
        dpi = std::sqrt(kMaxDrawnPixels / inches);
    const QSize size(std::max(1, static_cast<int>(points.width() / 72 * dpi)),
                     std::max(1, static_cast<int>(points.height() / 72 * dpi)));
    reader::ExtendProcessorTime(kSecondsPerDrawnPage);
    const QImage image = document.render(page, size).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    const std::string header =
        "P5 " + std::to_string(image.width()) + " " + std::to_string(image.height()) + " 255\n";
    std::vector<std::uint8_t> pgm(header.begin(), header.end());
    pgm.reserve(header.size() + static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        // Grey, what is transparent standing on white paper.
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(row[x]);
            pgm.push_back(static_cast<std::uint8_t>((qGray(row[x]) * alpha + 255 * (255 - alpha)) / 255));
        }
    }
    return pgm;
}

PdfPages::PdfPages(const OpenRequest& request) : m(std::make_unique<Impl>()) {
    m->request = request;
    QPdfDocument::Error error = QPdfDocument::Error::None;
    if (request.bytes.empty()) {
        error = m->document.load(QFile::decodeName(QByteArray::fromStdString(request.path)));
    } else {
        m->bytes = QByteArray(reinterpret_cast<const char*>(request.bytes.data()),
                              static_cast<qsizetype>(request.bytes.size()));
        m->request.bytes.clear();
        m->request.bytes.shrink_to_fit();
        m->buffer.setData(m->bytes);
        m->buffer.open(QIODevice::ReadOnly);
        m->document.load(&m->buffer);
        error = m->document.error();
    }
    switch (error) {
    case QPdfDocument::Error::None:
        break;
    case QPdfDocument::Error::IncorrectPassword:
    case QPdfDocument::Error::UnsupportedSecurityScheme:
        refuse(FailureKind::Encrypted, "The file is password-protected (encrypted) and cannot be read.");
    case QPdfDocument::Error::FileNotFound:
        refuse(FailureKind::InputOutput, "The file cannot be opened.");
    default:
        ThrowDamagedFile("the PDF library cannot read it");
    }
    if (m->document.status() != QPdfDocument::Status::Ready)
        ThrowDamagedFile("the PDF library cannot read it");
    const int count = m->document.pageCount();
    m->pages = count > 0 ? static_cast<std::uint32_t>(count) : 0;
}

PdfPages::~PdfPages() = default;

std::uint32_t PdfPages::pageCount() const {
    return m->pages;
}

PageAnswer PdfPages::page(std::uint32_t index) {
    if (index >= m->pages)
        refuse(FailureKind::Unexpected, "The page index is out of range.");
    const int number = static_cast<int>(index);
    const QPdfSelection all = m->document.getAllText(number);
    const QString text = all.text();
    std::vector<Box> lines;
    lines.reserve(static_cast<std::size_t>(all.bounds().size()));
    for (const QPolygonF& polygon : all.bounds())
        lines.push_back(boxOf(polygon));
    // The lines' boxes come from the page's own when they match its lines;
    // otherwise each pair a join looks at is asked for, which costs a
    // reading of the page each time.
    const std::u16string_view text16 = utf16(text);
    const std::vector<TextLine> textLines = PageLines(text16);
    const std::optional<std::vector<Box>> matched = LineBoxesOf(textLines, lines);
    const auto lineAt = [&](std::size_t start) -> std::optional<Box> {
        const auto at = std::lower_bound(textLines.begin(), textLines.end(), start,
                                         [](const TextLine& line, std::size_t s) { return line.start < s; });
        if (!matched || at == textLines.end() || at->start != start || at->length == 0)
            return std::nullopt;
        return (*matched)[static_cast<std::size_t>(at - textLines.begin())];
    };
    const std::u16string shown = m->shown(index, text);
    PageAnswer answer;
    answer.text = PageText(text16, lines,
                           [&](std::size_t firstStart, std::size_t, std::size_t secondStart,
                               std::size_t secondLength) -> std::optional<LinePair> {
                               const auto first = lineAt(firstStart);
                               const auto second = lineAt(secondStart);
                               if (first && second)
                                   return LinePair{*first, *second};
                               const QPdfSelection both = m->document.getSelectionAtIndex(
                                   number, static_cast<int>(firstStart),
                                   static_cast<int>(secondStart + secondLength - firstStart));
                               return splitLines(both.bounds());
                           },
                           shown);
    // The core's budget holds the page and the file to their bounds; a page
    // past its own is refused here already, so that it never fills a frame.
    if (answer.text.size() > limits::kMaxTextPerSlide)
        ThrowOverLimit("a slide holds more than " + std::to_string(limits::kMaxTextPerSlide >> 20) + " MiB of text");
    if (m->request.renderTextless && answer.text.find_first_not_of(" \t\r\n\v") == std::string::npos)
        answer.picture = m->drawn(number);
    if (m->request.allText) {
        m->readAnnotations();
        // The annotations are read for the whole document at once: what
        // stops them is told once, with the first page.
        if (!m->annotationsFailure.empty())
            answer.skipped = index == 0 ? m->annotationsFailure : std::string();
        else if (index < m->annotations.size()) {
            answer.links = std::move(m->annotations[index].links);
            answer.comments = std::move(m->annotations[index].comments);
        }
    }
    return answer;
}

bool PdfPages::Impl::openQpdf() {
    if (qpdfTried)
        return qpdf != nullptr;
    qpdfTried = true;
    try {
        auto opened = std::make_unique<QPDF>();
        opened->setSuppressWarnings(true);
        opened->setAttemptRecovery(true);
        if (bytes.isEmpty())
            opened->processFile(request.path.c_str());
        else
            opened->processMemoryFile("embedded document", bytes.constData(), static_cast<std::size_t>(bytes.size()));
        qpdfPages = QPDFPageDocumentHelper(*opened).getAllPages();
        if (qpdfPages.size() != pages) {
            qpdfFailure = "its pages cannot be matched to its links and comments";
            qpdfPages.clear();
            return false;
        }
        qpdf = std::move(opened);
        return true;
    } catch (const std::exception&) {
        qpdfFailure = "its links and comments are damaged";
        qpdfPages.clear();
        return false;
    }
}

std::u16string PdfPages::Impl::shown(std::uint32_t index, const QString& text) {
    // Only a page whose text the library may have left a soft hyphen out of
    // near an address is worth it: one with an "@" and a line end between
    // letters, or a hyphen the library marked.
    if (!text.contains(u'@'))
        return {};
    bool worth = text.contains(QChar(0xFFFE));
    for (qsizetype i = 1; !worth && i + 2 < text.size(); ++i)
        worth = text[i] == u'\r' && text[i - 1].isLetterOrNumber() && text[i + 2].isLetterOrNumber();
    if (!worth || !openQpdf() || index >= qpdfPages.size())
        return {};
    try {
        return ShownText(qpdfPages[index], limits::kMaxTextPerSlide / 2);
    } catch (const std::exception&) {
        return {};
    }
}

void PdfPages::Impl::readAnnotations() {
    if (annotationsRead)
        return;
    annotationsRead = true;
    if (!openQpdf()) {
        annotationsFailure = qpdfFailure;
        return;
    }
    try {
        annotations.resize(qpdfPages.size());
        std::size_t count = 0;
        std::size_t bytesRead = 0;
        for (std::size_t i = 0; i < qpdfPages.size(); ++i) {
            for (QPDFAnnotationObjectHelper& annotation : qpdfPages[i].getAnnotations()) {
                if (++count > limits::kMaxShapesPerFile) {
                    annotationsFailure = "its pages hold more than " + std::to_string(limits::kMaxShapesPerFile) +
                                         " annotations in all";
                    annotations.clear();
                    return;
                }
                const std::string subtype = annotation.getSubtype();
                QPDFObjectHandle object = annotation.getObjectHandle();
                std::string text;
                if (subtype == "/Link") {
                    QPDFObjectHandle action = object.getKey("/A");
                    if (!action.isDictionary() || !action.getKey("/S").isNameAndEquals("/URI"))
                        continue;
                    QPDFObjectHandle uri = action.getKey("/URI");
                    if (!uri.isString())
                        continue;
                    if (auto address = MailtoAddress(uri.getUTF8Value()))
                        text = std::move(*address);
                } else if (subtype == "/Text") {
                    QPDFObjectHandle contents = object.getKey("/Contents");
                    if (contents.isString())
                        text = contents.getUTF8Value();
                }
                if (text.empty())
                    continue;
                bytesRead += text.size();
                if (bytesRead > limits::kMaxTextPerFile) {
                    annotationsFailure = "its annotations hold more than " +
                                         std::to_string(limits::kMaxTextPerFile >> 20) + " MiB of text";
                    annotations.clear();
                    return;
                }
                (subtype == "/Link" ? annotations[i].links : annotations[i].comments).push_back(std::move(text));
            }
        }
    } catch (const std::exception&) {
        annotationsFailure = "its links and comments are damaged";
        annotations.clear();
    }
}

} // namespace orv::pdf
