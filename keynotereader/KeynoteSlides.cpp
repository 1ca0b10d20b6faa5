#include "keynotereader/KeynoteSlides.h"

#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/model/PresentationContent.h"

#include <libetonyek/libetonyek.h>
#include <librevenge-stream/librevenge-stream.h>
#include <librevenge/librevenge.h>
#include <libxml/xmlerror.h>

#include <sys/stat.h>
#include <vector>

namespace orv::keynote {

using librevenge::RVNGPropertyList;
using librevenge::RVNGString;
using reader::TextPiece;

namespace {

// What the library may give of one deck: more than any real deck holds, and
// within the reader's memory bound.
constexpr std::size_t kMaxText = 64u << 20;

struct Slide {
    std::vector<TextPiece> pieces;
    std::vector<TextPiece> links;
};

// Takes the library's calls for a deck and keeps each text apart. Paragraph
// and list-item ends become CR, line breaks VT; the trailing ends of a text
// are dropped. What the library draws, styles and animates is passed over.
class Collector final : public librevenge::RVNGPresentationInterface {
public:
    std::vector<Slide> slides;
    std::vector<Slide> masters;
    bool overLimit = false;

    // Slides and master slides.
    void startSlide(const RVNGPropertyList&) override { begin(slides); }
    void endSlide() override { end(); }
    void startMasterSlide(const RVNGPropertyList&) override { begin(masters); }
    void endMasterSlide() override { end(); }

    // Where text stands.
    void openGroup(const RVNGPropertyList&) override { ++m_groups; }
    void closeGroup() override {
        if (m_groups > 0)
            --m_groups;
    }
    void startTextObject(const RVNGPropertyList&) override {
        open(m_groups > 0 ? TextPlace::Group : TextPlace::Shape);
    }
    void endTextObject() override { close(); }
    void startTableObject(const RVNGPropertyList&) override { open(TextPlace::Table); }
    void endTableObject() override { close(); }
    void openTableCell(const RVNGPropertyList&) override {}
    void closeTableCell() override { paragraphEnd(); }
    void startNotes(const RVNGPropertyList&) override { open(TextPlace::Notes); }
    void endNotes() override { close(); }
    void startComment(const RVNGPropertyList&) override { open(TextPlace::Comment); }
    void endComment() override { close(); }
    void openLink(const RVNGPropertyList& properties) override {
        const librevenge::RVNGProperty* target = properties["xlink:href"];
        if (m_slide && target)
            keep(m_slide->links, TextPiece{static_cast<std::uint8_t>(TextPlace::Link), {}, target->getStr().cstr()});
    }
    void closeLink() override {}

    // Text.
    void insertText(const RVNGString& text) override { append(text.cstr(), text.size()); }
    void insertTab() override { append("\t", 1); }
    void insertSpace() override { append(" ", 1); }
    void insertLineBreak() override { append("\v", 1); }
    void closeParagraph() override { paragraphEnd(); }
    void closeListElement() override { paragraphEnd(); }
    void insertField(const RVNGPropertyList&) override {}

    // Passed over.
    void startDocument(const RVNGPropertyList&) override {}
    void endDocument() override {}
    void setDocumentMetaData(const RVNGPropertyList&) override {}
    void defineEmbeddedFont(const RVNGPropertyList&) override {}
    void setStyle(const RVNGPropertyList&) override {}
    void setSlideTransition(const RVNGPropertyList&) override {}
    void startLayer(const RVNGPropertyList&) override {}
    void endLayer() override {}
    void startEmbeddedGraphics(const RVNGPropertyList&) override {}
    void endEmbeddedGraphics() override {}
    void drawRectangle(const RVNGPropertyList&) override {}
    void drawEllipse(const RVNGPropertyList&) override {}
    void drawPolygon(const RVNGPropertyList&) override {}
    void drawPolyline(const RVNGPropertyList&) override {}
    void drawPath(const RVNGPropertyList&) override {}
    void drawGraphicObject(const RVNGPropertyList&) override {}
    void drawConnector(const RVNGPropertyList&) override {}
    void openOrderedListLevel(const RVNGPropertyList&) override {}
    void openUnorderedListLevel(const RVNGPropertyList&) override {}
    void closeOrderedListLevel() override {}
    void closeUnorderedListLevel() override {}
    void openListElement(const RVNGPropertyList&) override {}
    void defineParagraphStyle(const RVNGPropertyList&) override {}
    void openParagraph(const RVNGPropertyList&) override {}
    void defineCharacterStyle(const RVNGPropertyList&) override {}
    void openSpan(const RVNGPropertyList&) override {}
    void closeSpan() override {}
    void openTableRow(const RVNGPropertyList&) override {}
    void closeTableRow() override {}
    void insertCoveredTableCell(const RVNGPropertyList&) override {}
    void defineChartStyle(const RVNGPropertyList&) override {}
    void openChart(const RVNGPropertyList&) override {}
    void closeChart() override {}
    void openChartTextObject(const RVNGPropertyList&) override {}
    void closeChartTextObject() override {}
    void openChartPlotArea(const RVNGPropertyList&) override {}
    void closeChartPlotArea() override {}
    void insertChartAxis(const RVNGPropertyList&) override {}
    void openChartSeries(const RVNGPropertyList&) override {}
    void closeChartSeries() override {}
    void openAnimationSequence(const RVNGPropertyList&) override {}
    void closeAnimationSequence() override {}
    void openAnimationGroup(const RVNGPropertyList&) override {}
    void closeAnimationGroup() override {}
    void openAnimationIteration(const RVNGPropertyList&) override {}
    void closeAnimationIteration() override {}
    void insertMotionAnimation(const RVNGPropertyList&) override {}
    void insertColorAnimation(const RVNGPropertyList&) override {}
    void insertAnimation(const RVNGPropertyList&) override {}
    void insertEffect(const RVNGPropertyList&) override {}

private:
    void begin(std::vector<Slide>& list) {
        end();
        if (list.size() >= limits::kMaxSlides) {
            overLimit = true;
            return;
        }
        list.emplace_back();
        m_slide = &list.back();
        m_groups = 0;
    }
    void end() {
        close();
        m_slide = nullptr;
    }
    // A text place opens; one met inside another (a text box in a table
    // cell) is part of it.
    void open(TextPlace place) {
        if (m_depth++ == 0)
            m_piece = TextPiece{static_cast<std::uint8_t>(place), {}, {}};
    }
    void close() {
        if (m_depth == 0 || --m_depth > 0)
            return;
        while (!m_piece.text.empty() && (m_piece.text.back() == '\r' || m_piece.text.back() == '\v'))
            m_piece.text.pop_back();
        if (m_slide && !m_piece.text.empty())
            keep(m_slide->pieces, std::move(m_piece));
        m_piece = {};
    }
    void keep(std::vector<TextPiece>& list, TextPiece piece) {
        if (m_slide->pieces.size() + m_slide->links.size() >= limits::kMaxShapesPerSlide) {
            overLimit = true;
            return;
        }
        m_text += piece.text.size();
        list.push_back(std::move(piece));
    }
    void append(const char* text, unsigned long size) {
        if (m_depth == 0 || !m_slide)
            return;
        if (m_text + m_piece.text.size() + size > kMaxText) {
            overLimit = true;
            return;
        }
        m_piece.text.append(text, size);
    }
    void paragraphEnd() {
        if (m_depth > 0 && !m_piece.text.empty() && m_piece.text.back() != '\r')
            append("\r", 1);
    }

    Slide* m_slide = nullptr;
    int m_groups = 0;
    int m_depth = 0;
    TextPiece m_piece;
    std::size_t m_text = 0;
};

// What the XML parser reported while the library read a deck: the library
// goes on past a document the parser gave up on and answers with what it
// read before, so a deck would lose its text without a word.
struct XmlErrors {
    bool any = false;
    bool overLimit = false; // the parser's own bounds: depth, text node size, expansion
};
XmlErrors g_xmlErrors;

void onXmlError(void*, xmlError* error) {
    if (!error || error->level < XML_ERR_ERROR)
        return;
    g_xmlErrors.any = true;
    const std::string_view message = error->message ? error->message : "";
    for (const std::string_view bound : {"Excessive depth", "huge", "amplification", "Maximum entity"})
        if (message.find(bound) != std::string_view::npos)
            g_xmlErrors.overLimit = true;
}

bool isFolder(const std::string& path) {
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::unique_ptr<librevenge::RVNGInputStream> streamOf(const reader::OpenRequest& request) {
    if (!request.path.empty()) {
        if (isFolder(request.path))
            return std::make_unique<librevenge::RVNGDirectoryStream>(request.path.c_str());
        return std::make_unique<librevenge::RVNGFileStream>(request.path.c_str());
    }
    return std::make_unique<librevenge::RVNGStringStream>(request.bytes.data(),
                                                         static_cast<unsigned>(request.bytes.size()));
}

} // namespace

struct KeynoteSlides::Impl {
    Collector collector;
};

KeynoteSlides::KeynoteSlides(const reader::OpenRequest& request) : m(std::make_unique<Impl>()) {
    const auto stream = streamOf(request);
    g_xmlErrors = {};
    xmlSetStructuredErrorFunc(nullptr, onXmlError);
    const auto refuseXmlErrors = [] {
        if (g_xmlErrors.overLimit)
            ThrowOverLimit("its XML nests deeper or holds longer texts than the XML parser allows");
    };
    libetonyek::EtonyekDocument::Type type = libetonyek::EtonyekDocument::TYPE_UNKNOWN;
    const auto confidence = libetonyek::EtonyekDocument::isSupported(stream.get(), &type);
    if (confidence == libetonyek::EtonyekDocument::CONFIDENCE_NONE) {
        refuseXmlErrors();
        ThrowDamaged("the Keynote library does not take it for a Keynote deck");
    }
    if (type != libetonyek::EtonyekDocument::TYPE_KEYNOTE)
        throw Failure(FailureKind::NotPresentation,
                      "The file is a Numbers or Pages document, not a Keynote presentation.");
    const bool parsed = libetonyek::EtonyekDocument::parse(stream.get(), &m->collector);
    if (m->collector.overLimit)
        ThrowOverLimit("it holds more slides, texts or text than any real Keynote deck");
    refuseXmlErrors();
    if (!parsed || g_xmlErrors.any)
        ThrowDamaged("the Keynote library cannot read it");
}

KeynoteSlides::~KeynoteSlides() = default;

reader::Opened KeynoteSlides::contents() const {
    return {static_cast<std::uint32_t>(m->collector.slides.size()),
            static_cast<std::uint32_t>(m->collector.masters.size())};
}

reader::PageAnswer KeynoteSlides::page(std::uint32_t index) {
    auto& slides = m->collector.slides;
    auto& masters = m->collector.masters;
    if (index >= slides.size() + masters.size())
        throw Failure("The slide index is out of range.");
    Slide& slide = index < slides.size() ? slides[index] : masters[index - slides.size()];
    reader::PageAnswer answer;
    answer.pieces = std::move(slide.pieces);
    for (TextPiece& link : slide.links)
        answer.pieces.push_back(std::move(link));
    slide = {};
    return answer;
}

} // namespace orv::keynote
