#include "support/OdpBuilder.h"

#include <fstream>
#include <stdexcept>

namespace orv::test {

namespace {

constexpr std::string_view kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr std::string_view kNamespaces =
    R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
    R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
    R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
    R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
    R"( xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0")"
    R"( xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")"
    R"( xmlns:xlink="http://www.w3.org/1999/xlink")"
    R"( xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0")"
    R"( xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0")"
    R"( xmlns:dr3d="urn:oasis:names:tc:opendocument:xmlns:dr3d:1.0")"
    R"( xmlns:dc="http://purl.org/dc/elements/1.1/")"
    R"( xmlns:officeooo="http://openoffice.org/2009/office")";
constexpr std::string_view kChartNamespace =
    R"( xmlns:chart="urn:oasis:names:tc:opendocument:xmlns:chart:1.0")";
constexpr std::string_view kGeometry = R"( svg:x="2cm" svg:y="2cm" svg:width="20cm" svg:height="3cm")";

// A run's text with spaces that a reader must keep written as elements.
std::string runXml(const std::string& text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\t') {
            out += "<text:tab/>";
            ++i;
        } else if (c == ' ') {
            std::size_t end = i;
            while (end < text.size() && text[end] == ' ')
                ++end;
            std::size_t count = end - i;
            const bool rawAllowed = i > 0 && end < text.size() && text[end] != '\t';
            if (rawAllowed) {
                out += ' ';
                --count;
            }
            if (count > 0)
                out += count == 1 ? "<text:s/>" : "<text:s text:c=\"" + std::to_string(count) + "\"/>";
            i = end;
        } else {
            const std::size_t end = text.find_first_of(" \t", i);
            out += XmlEscape(text.substr(i, end == std::string::npos ? std::string::npos : end - i));
            i = end == std::string::npos ? text.size() : end;
        }
    }
    return out;
}

std::string nameAttribute(std::string_view name) {
    return name.empty() ? std::string() : " draw:name=\"" + XmlEscape(std::string(name)) + "\"";
}

std::string frame(std::string_view attributes, const std::string& content) {
    return "<draw:frame" + std::string(attributes) + std::string(kGeometry) + ">" + content + "</draw:frame>";
}

std::string textBox(const std::vector<Paragraph>& paragraphs) {
    return "<draw:text-box>" + OdfParagraphsXml(paragraphs) + "</draw:text-box>";
}

std::string paragraph(std::string_view text) {
    return "<text:p>" + XmlEscape(text) + "</text:p>";
}

// What a frame's draw:object is in the package, where object `number` is a
// sub-document of its own.
std::string objectReference(int number) {
    return "<draw:object xlink:href=\"./Object " + std::to_string(number) +
           "\" xlink:type=\"simple\" xlink:show=\"embed\" xlink:actuate=\"onLoad\"/>";
}

// The markup with each object reference replaced by the object inline, as a
// flat file holds it.
std::string withObjectsInline(std::string xml, const std::vector<OdfObject>& objects) {
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const std::string reference = objectReference(static_cast<int>(i + 1));
        const std::string inlined = "<draw:object><office:document" + std::string(kChartNamespace) +
                                    " office:version=\"1.3\" office:mimetype=\"" +
                                    XmlEscape(objects[i].mediaType) + "\"><office:body>" +
                                    objects[i].bodyXml + "</office:body></office:document></draw:object>";
        for (auto at = xml.find(reference); at != std::string::npos;
             at = xml.find(reference, at + inlined.size()))
            xml.replace(at, reference.size(), inlined);
    }
    return xml;
}

} // namespace

std::string OdfParagraphsXml(const std::vector<Paragraph>& paragraphs) {
    std::string out;
    for (const auto& paragraph : paragraphs) {
        out += "<text:p text:style-name=\"P1\">";
        for (const auto& piece : paragraph.pieces) {
            switch (piece.kind) {
            case TextPiece::Kind::Run:
                out += "<text:span text:style-name=\"T1\">" + runXml(piece.text) + "</text:span>";
                break;
            case TextPiece::Kind::Break:
                out += "<text:line-break/>";
                break;
            case TextPiece::Kind::Field:
                out += "<text:page-number text:select-page=\"current\">" + XmlEscape(piece.text) +
                       "</text:page-number>";
                break;
            }
        }
        out += "</text:p>";
    }
    return out;
}

std::string OdfTextBoxXml(const std::vector<Paragraph>& paragraphs, std::string_view name) {
    return frame(nameAttribute(name) + R"( draw:style-name="gr1" draw:text-style-name="P2")",
                 textBox(paragraphs));
}

std::string OdfGroupXml(const std::vector<std::string>& childShapesXml, std::string_view name) {
    std::string xml = "<draw:g" + nameAttribute(name) + ">";
    for (const auto& child : childShapesXml)
        xml += child;
    return xml + "</draw:g>";
}

std::string OdfTableXml(const std::vector<std::vector<std::string>>& rowsOfCells, std::string_view name) {
    std::string xml = "<table:table><table:table-column table:number-columns-repeated=\"" +
                      std::to_string(rowsOfCells.empty() ? 1 : rowsOfCells.front().size()) + "\"/>";
    for (const auto& row : rowsOfCells) {
        xml += "<table:table-row>";
        for (const auto& cell : row)
            xml += "<table:table-cell>" + OdfParagraphsXml({cell}) + "</table:table-cell>";
        xml += "</table:table-row>";
    }
    return frame(nameAttribute(name) + " draw:style-name=\"standard\"", xml + "</table:table>");
}

std::string OdfAltTextXml(std::string_view title, std::string_view description) {
    return (title.empty() ? "" : "<svg:title>" + XmlEscape(title) + "</svg:title>") +
           (description.empty() ? "" : "<svg:desc>" + XmlEscape(description) + "</svg:desc>");
}

std::string OdfClickXml(std::string_view href) {
    return R"(<office:event-listeners><presentation:event-listener script:event-name="dom:click" )"
           R"(presentation:action="show" xlink:href=")" +
           XmlEscape(href) +
           R"(" xlink:type="simple" xlink:show="embed" xlink:actuate="onRequest" )"
           R"(xmlns:script="urn:oasis:names:tc:opendocument:xmlns:script:1.0"/></office:event-listeners>)";
}

std::string OdfChartBodyXml(const OdfChartTexts& chart) {
    const auto title = [](std::string_view element, std::string_view text) {
        return text.empty() ? std::string()
                            : "<chart:" + std::string(element) + ">" + paragraph(text) +
                                  "</chart:" + std::string(element) + ">";
    };
    std::string xml =
        R"(<office:chart><chart:chart chart:class="chart:bar">)" + title("title", chart.title) +
        title("subtitle", chart.subtitle) +
        R"(<chart:plot-area chart:data-source-has-labels="both"><chart:axis chart:dimension="x">)" +
        title("title", chart.xAxisTitle) + R"(</chart:axis><chart:axis chart:dimension="y">)" +
        title("title", chart.yAxisTitle) + "</chart:axis>";
    for (std::size_t i = 0; i < chart.series.size(); ++i)
        xml += R"(<chart:series chart:class="chart:bar"/>)";
    xml += R"(</chart:plot-area><table:table table:name="local-table"><table:table-header-columns>)"
           R"(<table:table-column/></table:table-header-columns><table:table-columns><table:table-column )"
           R"(table:number-columns-repeated=")" +
           std::to_string(chart.series.size()) +
           R"("/></table:table-columns><table:table-header-rows><table:table-row><table:table-cell>)"
           "<text:p/></table:table-cell>";
    const auto cell = [](std::string_view text) {
        return R"(<table:table-cell office:value-type="string">)" + paragraph(text) + "</table:table-cell>";
    };
    for (const auto& name : chart.series)
        xml += cell(name);
    xml += "</table:table-row></table:table-header-rows><table:table-rows>";
    for (std::size_t row = 0; row < chart.categories.size(); ++row) {
        xml += "<table:table-row>" + cell(chart.categories[row]);
        for (std::size_t column = 0; column < chart.series.size(); ++column) {
            const std::string value = std::to_string(row * 10 + column);
            xml += R"(<table:table-cell office:value-type="float" office:value=")" + value + "\">" +
                   paragraph(value) + "</table:table-cell>";
        }
        xml += "</table:table-row>";
    }
    return xml + "</table:table-rows></table:table></chart:chart></office:chart>";
}

std::string OdfObjectFrameXml(int number, std::string_view name, std::string_view afterXml) {
    return frame(nameAttribute(name) + R"( draw:style-name="gr2")",
                 objectReference(number) + std::string(afterXml));
}

OdpSlideBuilder& OdpSlideBuilder::addTextBox(const std::vector<Paragraph>& paragraphs) {
    return addRawXml(frame(R"( draw:style-name="gr1" draw:text-style-name="P2")", textBox(paragraphs)));
}

OdpSlideBuilder& OdpSlideBuilder::addPlaceholder(const std::vector<Paragraph>& paragraphs,
                                                 std::string_view cls) {
    return addRawXml(frame(" presentation:style-name=\"pr1\" presentation:class=\"" + std::string(cls) + "\"",
                           textBox(paragraphs)));
}

OdpSlideBuilder& OdpSlideBuilder::addEmptyPlaceholder(std::string_view cls, std::string_view prompt) {
    return addRawXml(
        frame(" presentation:class=\"" + std::string(cls) + "\" presentation:placeholder=\"true\"",
              textBox({std::string(prompt)})));
}

OdpSlideBuilder& OdpSlideBuilder::addShape(const std::vector<Paragraph>& paragraphs) {
    return addRawXml("<draw:custom-shape draw:style-name=\"gr2\"" + std::string(kGeometry) + ">" +
                     OdfParagraphsXml(paragraphs) +
                     "<draw:enhanced-geometry svg:viewBox=\"0 0 21600 21600\" draw:type=\"rectangle\"/>"
                     "</draw:custom-shape>");
}

OdpSlideBuilder& OdpSlideBuilder::addGroup(const std::vector<std::string>& textBoxTexts) {
    std::string xml = "<draw:g>";
    for (const auto& text : textBoxTexts)
        xml += frame("", textBox({text}));
    return addRawXml(xml + "</draw:g>");
}

OdpSlideBuilder& OdpSlideBuilder::addTable(const std::vector<std::vector<std::string>>& rowsOfCells) {
    return addRawXml(OdfTableXml(rowsOfCells));
}

OdpSlideBuilder& OdpSlideBuilder::addPicture() {
    return addRawXml(frame("", "<draw:image xlink:href=\"Pictures/missing.png\" xlink:type=\"simple\">"
                               "<text:p>caption@example.com</text:p></draw:image>"));
}

OdpSlideBuilder& OdpSlideBuilder::addConnector() {
    return addRawXml(
        R"(<draw:connector draw:type="standard" svg:x1="1cm" svg:y1="1cm" svg:x2="5cm" svg:y2="5cm">)"
        "<text:p>connector@example.com</text:p></draw:connector>");
}

OdpSlideBuilder& OdpSlideBuilder::addLine() {
    return addRawXml(R"(<draw:line svg:x1="1cm" svg:y1="1cm" svg:x2="5cm" svg:y2="1cm">)"
                     "<text:p>line@example.com</text:p></draw:line>");
}

OdpSlideBuilder& OdpSlideBuilder::addNotes(const std::string& text) {
    return addRawXml("<presentation:notes><draw:page-thumbnail/>" +
                     frame(" presentation:class=\"notes\"", textBox({text})) + "</presentation:notes>");
}

OdpSlideBuilder& OdpSlideBuilder::addComment(const std::vector<Paragraph>& paragraphs, bool extension) {
    const std::string element = extension ? "officeooo:annotation" : "office:annotation";
    return addRawXml("<" + element + R"( svg:x="1cm" svg:y="1cm" svg:width="5cm" svg:height="3cm">)" +
                     "<dc:creator>A. Writer</dc:creator><dc:date>2024-01-02T03:04:05</dc:date>" +
                     OdfParagraphsXml(paragraphs) + "</" + element + ">");
}

OdpSlideBuilder& OdpSlideBuilder::addRawXml(std::string xml) {
    m_children.push_back(std::move(xml));
    return *this;
}

std::string OdpSlideBuilder::xml(int number) const {
    const std::string footer = m_footer.empty()
                                   ? std::string()
                                   : " presentation:use-footer-name=\"ftr" + std::to_string(number) + "\"";
    return "<draw:page draw:name=\"page" + std::to_string(number) +
           "\" draw:style-name=\"dp1\" draw:master-page-name=\"Default\"" + footer + ">" + childrenXml() +
           "</draw:page>";
}

std::string OdpSlideBuilder::childrenXml() const {
    std::string out;
    for (const auto& child : m_children)
        out += child;
    return out;
}

OdpSlideBuilder& OdpBuilder::addSlide() {
    return m_slides.emplace_back();
}

OdpSlideBuilder& OdpBuilder::slide(int number) {
    return m_slides.at(static_cast<std::size_t>(number - 1));
}

OdpSlideBuilder& OdpBuilder::addMasterPage(std::string name) {
    return m_masters.emplace_back(std::move(name), OdpSlideBuilder()).second;
}

OdpSlideBuilder& OdpBuilder::handoutMaster() {
    if (!m_handout)
        m_handout.emplace();
    return *m_handout;
}

int OdpBuilder::addObject(OdfObject object) {
    m_objects.push_back(std::move(object));
    return static_cast<int>(m_objects.size());
}

void OdpBuilder::setPart(const std::string& name, std::string bytes) {
    std::erase_if(m_overrides, [&](const ZipEntry& e) { return e.name == name; });
    m_overrides.emplace_back(name, std::move(bytes));
}

std::string OdpBuilder::pagesXml() const {
    std::string out;
    for (std::size_t i = 0; i < m_slides.size(); ++i)
        if (!m_slides[i].footer().empty())
            out += "<presentation:footer-decl presentation:name=\"ftr" + std::to_string(i + 1) + "\">" +
                   XmlEscape(m_slides[i].footer()) + "</presentation:footer-decl>";
    for (std::size_t i = 0; i < m_slides.size(); ++i)
        out += m_slides[i].xml(static_cast<int>(i + 1));
    return out;
}

std::string OdpBuilder::contentXml() const {
    return std::string(kXmlHead) + "<office:document-content" + std::string(kNamespaces) +
           " office:version=\"1.3\"><office:automatic-styles/><office:body><office:presentation>" +
           pagesXml() +
           "<presentation:settings presentation:mouse-visible=\"false\"/>"
           "</office:presentation></office:body></office:document-content>";
}

std::string OdpBuilder::masterStylesXml() const {
    if (!hasMasters())
        return {};
    std::string xml = "<office:master-styles>";
    if (m_handout)
        xml += R"(<style:handout-master style:page-layout-name="PM0">)" + m_handout->childrenXml() +
               "</style:handout-master>";
    for (const auto& [name, master] : m_masters)
        xml += "<style:master-page style:name=\"" + XmlEscape(name) + R"(" style:page-layout-name="PM1">)" +
               master.childrenXml() + "</style:master-page>";
    return xml + "</office:master-styles>";
}

std::string OdpBuilder::stylesXml() const {
    return std::string(kXmlHead) + "<office:document-styles" + std::string(kNamespaces) +
           " office:version=\"1.3\"><office:styles/><office:automatic-styles/>" + masterStylesXml() +
           "</office:document-styles>";
}

std::string OdpBuilder::manifestXml() const {
    const std::string encryption =
        m_encrypted
            ? "<manifest:encryption-data manifest:checksum-type=\"SHA1/1K\" manifest:checksum=\"AA==\">"
              "<manifest:algorithm manifest:algorithm-name=\"Blowfish CFB\" "
              "manifest:initialisation-vector=\"AA==\"/></manifest:encryption-data>"
            : "";
    std::string otherEntries;
    const auto entry = [&](const std::string& path, std::string_view type) {
        otherEntries += "<manifest:file-entry manifest:full-path=\"" + XmlEscape(path) +
                        "\" manifest:media-type=\"" + XmlEscape(type) + "\"/>";
    };
    if (hasMasters())
        entry("styles.xml", "text/xml");
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        const std::string folder = "Object " + std::to_string(i + 1) + "/";
        entry(folder + "content.xml", "text/xml");
        entry(folder, m_objects[i].mediaType);
    }
    return std::string(kXmlHead) +
           "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
           "manifest:version=\"1.3\">"
           "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.3\" manifest:media-type=\"" +
           XmlEscape(m_manifestType) +
           "\"/>"
           "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\">" +
           encryption + "</manifest:file-entry>" + otherEntries + "</manifest:manifest>";
}

std::string OdpBuilder::bytes() const {
    std::vector<ZipEntry> entries;
    if (m_mimeType)
        entries.emplace_back("mimetype", *m_mimeType, false);
    entries.emplace_back("content.xml", contentXml(), !m_stored);
    if (hasMasters())
        entries.emplace_back("styles.xml", stylesXml(), !m_stored);
    for (std::size_t i = 0; i < m_objects.size(); ++i)
        entries.emplace_back("Object " + std::to_string(i + 1) + "/content.xml",
                             std::string(kXmlHead) + "<office:document-content" + std::string(kNamespaces) +
                                 std::string(kChartNamespace) + " office:version=\"1.3\"><office:body>" +
                                 m_objects[i].bodyXml + "</office:body></office:document-content>",
                             !m_stored);
    if (m_manifest)
        entries.emplace_back("META-INF/manifest.xml", manifestXml(), !m_stored);
    for (const auto& o : m_overrides) {
        std::erase_if(entries, [&](const ZipEntry& e) { return e.name == o.name; });
        entries.push_back(o);
    }
    return ZipBytes(entries);
}

std::string OdpBuilder::flatBytes() const {
    return std::string(kXmlHead) + "<office:document" + std::string(kNamespaces) +
           " office:version=\"1.3\" office:mimetype=\"" + XmlEscape(m_mimeType.value_or("")) + "\">" +
           withObjectsInline(masterStylesXml() + "<office:body><office:presentation>" + pagesXml(),
                             m_objects) +
           "</office:presentation></office:body></office:document>";
}

void OdpBuilder::writeTo(const std::filesystem::path& path) const {
    std::ofstream out(path, std::ios::binary);
    const std::string data = path.extension() == ".fodp" ? flatBytes() : bytes();
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace orv::test
