#pragma once

// Writes OpenDocument presentations for tests, fuzz seeds and the benchmark:
// the zip package (.odp: a stored "mimetype" entry first, the manifest,
// content.xml, and styles.xml and the embedded objects' parts when there are
// master pages or objects) or the flat single XML file (.fodp, which holds
// the master pages and the objects inline). Paragraphs are the ones of
// PptxBuilder.h, so one deck can be written in both formats and read alike.
//
//   orv::test::OdpBuilder b;
//   b.addSlide().addPlaceholder({"Title"}, "title").addTextBox({"a@b.com", "line a\vline b"});
//   b.bytes();      // the package
//   b.flatBytes();  // the flat file
//
// Runs are written as OpenDocument writers do: a run of spaces as one space
// and a space element for the rest (a leading space as an element too), tabs
// as tab elements, '\v' as a line break; a field as a page-number field.

#include "support/PptxBuilder.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orv::test {

// The paragraph markup (text:p) of a paragraph list.
std::string OdfParagraphsXml(const std::vector<Paragraph>& paragraphs);
// A frame holding a text box, with draw:name when `name` is not empty.
std::string OdfTextBoxXml(const std::vector<Paragraph>& paragraphs, std::string_view name = {});
// A group (draw:g) of the shapes' markup given.
std::string OdfGroupXml(const std::vector<std::string>& childShapesXml, std::string_view name = {});
// A frame holding a table, one paragraph per cell.
std::string OdfTableXml(const std::vector<std::vector<std::string>>& rowsOfCells, std::string_view name = {});
// svg:title and svg:desc, each left out when empty: a shape's alternative text.
std::string OdfAltTextXml(std::string_view title, std::string_view description);
// office:event-listeners of a shape: a click that goes to `href`.
std::string OdfClickXml(std::string_view href);

// The texts of a bar chart: its titles (each left out when empty), and its
// table's header row (the series) and first column (the categories), the
// values being numbers.
struct OdfChartTexts {
    std::string title = {};
    std::vector<std::string> categories = {};
    std::vector<std::string> series = {};
    std::string subtitle = {};
    std::string xAxisTitle = {};
    std::string yAxisTitle = {};
};
// The office:body content of a chart sub-document (office:chart).
std::string OdfChartBodyXml(const OdfChartTexts& chart);

inline constexpr std::string_view kOdfChartType = "application/vnd.oasis.opendocument.chart";

// An embedded object: its office:body content and its media type.
struct OdfObject {
    std::string bodyXml;
    std::string mediaType{kOdfChartType};
};
// A frame (draw:name `name`) showing object `number` (OdpBuilder::addObject),
// `afterXml` after the object. Its draw:object names "./Object N" in the
// package and holds the object inline in the flat file.
std::string OdfObjectFrameXml(int number, std::string_view name = {}, std::string_view afterXml = {});

class OdpSlideBuilder {
public:
    // Each call adds one child to the draw:page, in order.
    OdpSlideBuilder& addTextBox(const std::vector<Paragraph>& paragraphs); // frame with a text box
    // presentation:class "title", "outline", "subtitle", "text", ...
    OdpSlideBuilder& addPlaceholder(const std::vector<Paragraph>& paragraphs, std::string_view cls);
    // An empty placeholder: presentation:placeholder="true", the prompt kept
    // in the text box as some writers do.
    OdpSlideBuilder& addEmptyPlaceholder(std::string_view cls, std::string_view prompt = "Click to add Text");
    OdpSlideBuilder& addShape(const std::vector<Paragraph>& paragraphs); // custom shape
    OdpSlideBuilder& addGroup(const std::vector<std::string>& textBoxTexts);
    OdpSlideBuilder& addTable(const std::vector<std::vector<std::string>>& rowsOfCells);
    OdpSlideBuilder& addPicture();
    OdpSlideBuilder& addConnector();
    OdpSlideBuilder& addLine();
    OdpSlideBuilder& addNotes(const std::string& text); // presentation:notes, not a shape
    // A comment on the page with its author and date: office:annotation, or
    // with `extension` officeooo:annotation as the office application writes.
    OdpSlideBuilder& addComment(const std::vector<Paragraph>& paragraphs, bool extension = true);
    // Raw markup placed as-is into the page (one or more elements).
    OdpSlideBuilder& addRawXml(std::string xml);
    // A footer set on this page: a presentation:footer-decl before the pages
    // that the page names by presentation:use-footer-name.
    OdpSlideBuilder& setFooter(std::string text) {
        m_footer = std::move(text);
        return *this;
    }
    const std::string& footer() const { return m_footer; }

    std::string xml(int number) const;
    std::string childrenXml() const;

private:
    std::vector<std::string> m_children;
    std::string m_footer;
};

class OdpBuilder {
public:
    OdpSlideBuilder& addSlide();
    OdpSlideBuilder& slide(int number); // 1-based
    // A style:master-page of the master styles, in order, its children as a
    // slide's; and the handout master, written before them as the office
    // application does.
    OdpSlideBuilder& addMasterPage(std::string name);
    OdpSlideBuilder& handoutMaster();
    // An embedded object, numbered from 1: "Object N/content.xml" in the
    // package, listed in the manifest with its media type.
    int addObject(OdfObject object);

    // The type in the "mimetype" entry, the manifest's root entry and the
    // flat file's office:mimetype; nullopt leaves the mimetype entry out.
    void setMimeType(std::optional<std::string> type) { m_mimeType = std::move(type); }
    void setManifestType(std::string type) { m_manifestType = std::move(type); }
    void setManifest(bool present) { m_manifest = present; }
    // The manifest says content.xml is encrypted (its bytes are left as they are).
    void setEncrypted(bool encrypted) { m_encrypted = encrypted; }
    // Stores content.xml and the manifest without deflating them (fuzz seeds).
    void setStored(bool stored) { m_stored = stored; }
    // Replaces or adds a package entry with raw bytes.
    void setPart(const std::string& name, std::string bytes);

    std::string contentXml() const;
    std::string stylesXml() const; // when there are master pages
    std::string bytes() const;
    std::string flatBytes() const;
    void writeTo(const std::filesystem::path& path) const;

    static constexpr std::string_view kPresentationType = "application/vnd.oasis.opendocument.presentation";

private:
    std::string pagesXml() const;
    std::string masterStylesXml() const;
    std::string manifestXml() const;
    bool hasMasters() const { return m_handout || !m_masters.empty(); }

    std::vector<OdpSlideBuilder> m_slides;
    std::vector<std::pair<std::string, OdpSlideBuilder>> m_masters;
    std::optional<OdpSlideBuilder> m_handout;
    std::vector<OdfObject> m_objects;
    std::optional<std::string> m_mimeType{std::string(kPresentationType)};
    std::string m_manifestType{kPresentationType};
    bool m_manifest = true;
    bool m_encrypted = false;
    bool m_stored = false;
    std::vector<ZipEntry> m_overrides;
};

} // namespace orv::test
