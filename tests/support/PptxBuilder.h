#pragma once

// Writes real presentation packages (zip + XML parts) for tests, the command-line
// tool's checks and the benchmark corpus. Needs nothing but libzip.
//
//   orv::test::PptxBuilder b;
//   auto& s = b.addSlide();
//   s.addTextBox({"para 1", "line a\vline b"});   // '\v' inside a string = line break
//   s.addPlaceholder({"Title"}, "title");
//   s.addShape({orv::test::Paragraph{orv::test::TextRun("Page "), orv::test::TextField("3")}});
//   b.setSlideOrder({2, 1});                      // presentation order, by slide number
//   b.writeTo(path);                              // or b.bytes()
//
// Slides are stored as ppt/slides/slide<N>.xml, N counting addSlide() calls from 1;
// the presentation lists them in creation order unless setSlideOrder() says
// otherwise, and its relationship ids never follow the part numbers, so a reader
// that goes by part names or ids gets the order wrong.
//
// Every package holds a slide master (ppt/slideMasters/slideMaster1.xml) and
// its layouts (ppt/slideLayouts/slideLayout<N>.xml, one at first, which every
// slide uses), empty until shapes are added to them; a notes master and a
// handout master are written once asked for.
//
// Damaged packages: setPart() replaces or adds any part with raw bytes,
// removePart() drops one, and entries() / ZipBytes() give full control.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orv::test {

// One piece of a paragraph: a run of text, a line break or a field.
struct TextPiece {
    enum class Kind { Run, Break, Field };
    Kind kind = Kind::Run;
    std::string text;
};
inline TextPiece TextRun(std::string text) {
    return {TextPiece::Kind::Run, std::move(text)};
}
inline TextPiece LineBreak() {
    return {TextPiece::Kind::Break, {}};
}
inline TextPiece TextField(std::string text) {
    return {TextPiece::Kind::Field, std::move(text)};
}

// A paragraph: from plain text, where each '\v' becomes a line break and the
// rest runs, or from pieces: Paragraph{TextRun("Page "), TextField("3")}.
struct Paragraph {
    Paragraph(std::string_view text);
    Paragraph(const char* text) : Paragraph(std::string_view(text)) {}
    Paragraph(const std::string& text) : Paragraph(std::string_view(text)) {}
    Paragraph(std::initializer_list<TextPiece> list) : pieces(list) {}
    std::vector<TextPiece> pieces;
};

// Escapes text for XML content and attribute values.
std::string XmlEscape(std::string_view text);

// Shape markup, for building alternate content or raw slides by hand.
// Paragraph lists may be empty: the shape then has no text body at all.
std::string TextBoxXml(const std::vector<Paragraph>& paragraphs, int id = 2);
std::string PlaceholderXml(const std::vector<Paragraph>& paragraphs, std::string_view type, int id = 2);
std::string AutoShapeXml(const std::vector<Paragraph>& paragraphs, int id = 2); // rectangle
std::string GroupXml(const std::vector<std::string>& childShapesXml, int id = 2);
std::string TableXml(const std::vector<std::vector<std::string>>& rowsOfCells, int id = 2);
std::string PictureXml(std::string_view relationshipId, int id = 2);
std::string ConnectorXml(int id = 2);
// An mc:AlternateContent wrapper; `requiredPrefixes` is the Choice's Requires
// list (prefixes declared on the slide root: p, a, r, p14, a14). An empty
// fallback leaves mc:Fallback out.
std::string AlternateContentXml(std::string_view requiredPrefixes, const std::string& choiceXml,
                                const std::string& fallbackXml);
// The shape markup with alternative text: `title` and `descr` set on its
// first cNvPr (an empty one is left out).
std::string WithAltText(std::string shapeXml, std::string_view title, std::string_view description);

// What a chart shows as text: its title, category labels and series names.
struct ChartText {
    std::string title;
    std::vector<std::string> categories;
    std::vector<std::string> series;
};

// The text of a paragraph list written the way a reader should report it:
// paragraphs joined with CR, breaks as VT.
std::string ExpectedText(const std::vector<Paragraph>& paragraphs);

class SlideBuilder {
public:
    // Each call adds one top-level shape to the slide's shape tree, in order.
    SlideBuilder& addTextBox(const std::vector<Paragraph>& paragraphs);
    SlideBuilder& addPlaceholder(const std::vector<Paragraph>& paragraphs, std::string_view type = "body");
    SlideBuilder& addShape(const std::vector<Paragraph>& paragraphs); // auto shape
    SlideBuilder& addShapeWithoutText();                              // auto shape, no text body
    // A group holding one text box per entry.
    SlideBuilder& addGroup(const std::vector<std::string>& textBoxTexts);
    SlideBuilder& addTable(const std::vector<std::vector<std::string>>& rowsOfCells);
    // A picture whose bytes go to ppt/media/ (stored, not deflated) with a
    // relationship from this slide.
    SlideBuilder& addPicture(std::string bytes);
    // The same picture part and relationship without a shape, for markup
    // made by hand (PictureXml, a picture fill): its relationship id.
    std::string addMedia(std::string bytes);
    SlideBuilder& addConnector();
    // A graphic frame named "Chart N" showing a chart part (ppt/charts/) with
    // a relationship from this page; each series holds one value per category.
    SlideBuilder& addChart(const ChartText& chart);
    // A graphic frame showing an embedded document: an OLE object whose
    // bytes go to ppt/embeddings/`name` with a package relationship from
    // this page (or, given `partName` of a part already embedded, one more
    // reference to it).
    SlideBuilder& addEmbedded(const std::string& name, std::string bytes);
    SlideBuilder& addEmbeddedReference(const std::string& partName);
    // Raw markup placed as-is into the shape tree (one or more elements).
    SlideBuilder& addRawXml(std::string xml);

    int nextShapeId() { return m_nextId++; }
    // The page part's XML (prefixes a, r, p, mc, p14, a14 declared on the
    // root, p:sld for a slide).
    std::string xml() const;

private:
    friend class PptxBuilder;
    struct Media {
        std::string relationshipId;
        std::string partName; // e.g. ppt/media/image1.png
        std::string bytes;
        std::string type = "image"; // the relationship's
        bool compress = false;
    };
    SlideBuilder(std::string part, std::string root) : m_part(std::move(part)), m_root(std::move(root)) {}

    std::string m_part; // e.g. slide3, slideMaster1: what its own parts are named after
    std::string m_root; // sld, sldMaster, sldLayout, notesMaster, handoutMaster
    std::string m_tail; // markup after the shape tree
    int m_nextId = 2;
    std::vector<std::string> m_shapes;
    std::vector<Media> m_media;
};

struct ZipEntry {
    ZipEntry(std::string entryName, std::string entryData, bool deflate = true)
        : name(std::move(entryName)), data(std::move(entryData)), compress(deflate) {}
    std::string name;
    std::string data;
    bool compress = true; // deflate, else store
    std::string password; // when set, the entry is AES-256 encrypted
};

// A zip archive holding the entries in order, as bytes.
std::string ZipBytes(const std::vector<ZipEntry>& entries);

class PptxBuilder {
public:
    PptxBuilder();
    ~PptxBuilder();
    PptxBuilder(const PptxBuilder&) = delete;
    PptxBuilder& operator=(const PptxBuilder&) = delete;

    SlideBuilder& addSlide();
    SlideBuilder& slide(int number); // 1-based, creation order
    int slideCount() const { return static_cast<int>(m_slides.size()); }
    // The slide master, its layouts (layout(1) exists from the start) and the
    // other masters, written once asked for.
    SlideBuilder& master() { return *m_master; }
    SlideBuilder& addLayout();
    SlideBuilder& layout(int number); // 1-based
    SlideBuilder& notesMaster();
    SlideBuilder& handoutMaster();

    // Presentation order as slide numbers (1-based, creation order). A number
    // may be left out; repeating one is allowed so that tests can ask for it.
    void setSlideOrder(std::vector<int> numbers) { m_order = std::move(numbers); }
    // Content type of ppt/presentation.xml (a slideshow or template type, say).
    void setMainContentType(std::string type) { m_mainContentType = std::move(type); }
    // Replaces or adds a part (name without leading '/') with raw bytes.
    void setPart(const std::string& name, std::string bytes, bool compress = true);
    void removePart(const std::string& name);

    // The entries the package consists of, after replacements and removals.
    std::vector<ZipEntry> entries() const;
    std::string bytes() const;
    void writeTo(const std::filesystem::path& path) const;

    static constexpr std::string_view kPresentationType =
        "application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml";

private:
    std::string presentationXml() const;
    std::string presentationRelsXml() const;
    std::string contentTypesXml() const;
    std::vector<int> order() const;

    std::vector<std::unique_ptr<SlideBuilder>> m_slides;
    std::unique_ptr<SlideBuilder> m_master;
    std::vector<std::unique_ptr<SlideBuilder>> m_layouts;
    std::unique_ptr<SlideBuilder> m_notesMaster;
    std::unique_ptr<SlideBuilder> m_handoutMaster;
    std::vector<int> m_order;
    std::string m_mainContentType{kPresentationType};
    std::vector<ZipEntry> m_overrides;
    std::vector<std::string> m_removed;
};

} // namespace orv::test
