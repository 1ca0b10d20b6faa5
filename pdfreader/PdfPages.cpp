#include "pdfreader/PdfPages.h"

#include "extract/common/ReadLimits.h"
#include "extract/common/Uri.h"
#include "extract/pdf/LineJoins.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPolygonF>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAnnotationObjectHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
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
        pair.first = {std::min(pair.first.left, b.left), std::min(pair.first.top, b.top),
                      std::max(pair.first.right, b.right), std::max(pair.first.bottom, b.bottom)};
    }
    if (i == bounds.size())
        return std::nullopt;
    pair.second = boxOf(bounds[i]);
    for (++i; i < bounds.size(); ++i) {
        const Box b = boxOf(bounds[i]);
        pair.second = {std::min(pair.second.left, b.left), std::min(pair.second.top, b.top),
                       std::max(pair.second.right, b.right), std::max(pair.second.bottom, b.bottom)};
    }
    return pair;
}

} // namespace

struct PdfPages::Impl {
    OpenRequest request;
    QByteArray bytes; // an embedded document's, held while it is open
    QBuffer buffer;
    QPdfDocument document;
    std::uint32_t pages = 0;
    std::size_t fileText = 0;
    // The annotations, read with qpdf on the first page that asks for them.
    bool annotationsTried = false;
    std::string annotationsFailure;
    std::vector<PageAnswer> annotations;

    void readAnnotations();
};

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
        refuse(FailureKind::Damaged, "The file is damaged: the PDF library cannot read it.");
    }
    if (m->document.status() != QPdfDocument::Status::Ready)
        refuse(FailureKind::Damaged, "The file is damaged: the PDF library cannot read it.");
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
                           });
    const std::string where = " (page " + std::to_string(index + 1) + ")";
    if (answer.text.size() > limits::kMaxTextPerSlide)
        refuse(FailureKind::OverLimit, "The presentation is too large to read safely: a slide holds more than " +
                                           std::to_string(limits::kMaxTextPerSlide >> 20) + " MiB of text.");
    m->fileText += answer.text.size();
    if (m->fileText > limits::kMaxTextPerFile)
        refuse(FailureKind::OverLimit, "The presentation is too large to read safely: its slides hold more than " +
                                           std::to_string(limits::kMaxTextPerFile >> 20) + " MiB of text.");
    if (m->request.allText) {
        m->readAnnotations();
        if (!m->annotationsFailure.empty())
            answer.skipped = m->annotationsFailure;
        else if (index < m->annotations.size()) {
            answer.links = std::move(m->annotations[index].links);
            answer.comments = std::move(m->annotations[index].comments);
        }
    }
    return answer;
}

void PdfPages::Impl::readAnnotations() {
    if (annotationsTried)
        return;
    annotationsTried = true;
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.setAttemptRecovery(true);
        if (bytes.isEmpty())
            pdf.processFile(request.path.c_str());
        else
            pdf.processMemoryFile("embedded document", bytes.constData(), static_cast<std::size_t>(bytes.size()));
        std::vector<QPDFPageObjectHelper> all = QPDFPageDocumentHelper(pdf).getAllPages();
        if (all.size() != pages) {
            annotationsFailure = "its pages cannot be matched to its links and comments";
            return;
        }
        annotations.resize(all.size());
        std::size_t count = 0;
        std::size_t bytesRead = 0;
        for (std::size_t i = 0; i < all.size(); ++i) {
            for (QPDFAnnotationObjectHelper& annotation : all[i].getAnnotations()) {
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
