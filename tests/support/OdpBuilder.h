#pragma once

// Writes OpenDocument presentations for tests, fuzz seeds and the benchmark:
// the zip package (.odp: a stored "mimetype" entry first, the manifest,
// content.xml) or the flat single XML file (.fodp). Paragraphs are the ones of
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

    std::string xml(int number) const;

private:
    std::vector<std::string> m_children;
};

class OdpBuilder {
public:
    OdpSlideBuilder& addSlide();
    OdpSlideBuilder& slide(int number); // 1-based

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
    std::string bytes() const;
    std::string flatBytes() const;
    void writeTo(const std::filesystem::path& path) const;

    static constexpr std::string_view kPresentationType = "application/vnd.oasis.opendocument.presentation";

private:
    std::string pagesXml() const;
    std::string manifestXml() const;

    std::vector<OdpSlideBuilder> m_slides;
    std::optional<std::string> m_mimeType{std::string(kPresentationType)};
    std::string m_manifestType{kPresentationType};
    bool m_manifest = true;
    bool m_encrypted = false;
    bool m_stored = false;
    std::vector<ZipEntry> m_overrides;
};

} // namespace orv::test
