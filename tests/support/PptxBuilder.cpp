#include "support/PptxBuilder.h"

#include <zip.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace orv::test {

namespace {

constexpr std::string_view kRootNamespaces =
    R"( xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main")"
    R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")"
    R"( xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main")";
constexpr std::string_view kExtensionNamespaces =
    R"( xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006")"
    R"( xmlns:p14="http://schemas.microsoft.com/office/powerpoint/2010/main")"
    R"( xmlns:a14="http://schemas.microsoft.com/office/drawing/2010/main")";
constexpr std::string_view kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr std::string_view kRelsNs = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr std::string_view kRelTypes = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string paragraphsXml(const std::vector<Paragraph>& paragraphs) {
    std::string out;
    for (const auto& paragraph : paragraphs) {
        out += "<a:p>";
        for (const auto& piece : paragraph.pieces) {
            switch (piece.kind) {
            case TextPiece::Kind::Run:
                out +=
                    "<a:r><a:rPr lang=\"en-US\" dirty=\"0\"/><a:t>" + XmlEscape(piece.text) + "</a:t></a:r>";
                break;
            case TextPiece::Kind::Break:
                out += "<a:br><a:rPr lang=\"en-US\"/></a:br>";
                break;
            case TextPiece::Kind::Field:
                out += "<a:fld id=\"{B6F15528-21DE-4FAA-801E-634DDDAF4B2B}\" type=\"slidenum\">"
                       "<a:rPr lang=\"en-US\"/><a:t>" +
                       XmlEscape(piece.text) + "</a:t></a:fld>";
                break;
            }
        }
        out += "<a:endParaRPr lang=\"en-US\" dirty=\"0\"/></a:p>";
    }
    return out;
}

std::string textBodyXml(const std::vector<Paragraph>& paragraphs) {
    if (paragraphs.empty())
        return {};
    return "<p:txBody><a:bodyPr wrap=\"square\" rtlCol=\"0\"><a:spAutoFit/></a:bodyPr><a:lstStyle/>" +
           paragraphsXml(paragraphs) + "</p:txBody>";
}

std::string cNvPr(int id, std::string_view name) {
    return "<p:cNvPr id=\"" + std::to_string(id) + "\" name=\"" + std::string(name) + " " +
           std::to_string(id) + "\"/>";
}

constexpr std::string_view kShapeProperties =
    "<p:spPr><a:xfrm><a:off x=\"838200\" y=\"365125\"/><a:ext cx=\"10515600\" cy=\"1325563\"/></a:xfrm>"
    "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></p:spPr>";

std::string relationshipsXml(const std::vector<std::pair<std::string, std::string>>& idAndTypeTarget) {
    std::string out{kXmlHead};
    out += "<Relationships xmlns=\"" + std::string(kRelsNs) + "\">";
    for (const auto& [id, rest] : idAndTypeTarget)
        out += "<Relationship Id=\"" + id + "\" " + rest + "/>";
    out += "</Relationships>";
    return out;
}

std::string relationship(std::string_view type, std::string_view target) {
    return "Type=\"" + std::string(kRelTypes) + std::string(type) + "\" Target=\"" + std::string(target) +
           "\"";
}

// Relationship ids count down from the last slide, so they follow neither the
// part names nor the presentation order.
std::string slideRelationshipId(int number, int count) {
    return "rId" + std::to_string(100 + count - number);
}

} // namespace

Paragraph::Paragraph(std::string_view text) {
    auto& out = pieces;
    std::size_t start = 0;
    while (true) {
        const auto vt = text.find('\v', start);
        const auto piece =
            text.substr(start, vt == std::string_view::npos ? std::string_view::npos : vt - start);
        if (!piece.empty())
            out.push_back(TextRun(std::string(piece)));
        if (vt == std::string_view::npos)
            break;
        out.push_back(LineBreak());
        start = vt + 1;
    }
}

std::string XmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string TextBoxXml(const std::vector<Paragraph>& paragraphs, int id) {
    return "<p:sp><p:nvSpPr>" + cNvPr(id, "TextBox") + "<p:cNvSpPr txBox=\"1\"/><p:nvPr/></p:nvSpPr>" +
           std::string(kShapeProperties) + textBodyXml(paragraphs) + "</p:sp>";
}

std::string PlaceholderXml(const std::vector<Paragraph>& paragraphs, std::string_view type, int id) {
    return "<p:sp><p:nvSpPr>" + cNvPr(id, "Placeholder") +
           "<p:cNvSpPr><a:spLocks noGrp=\"1\"/></p:cNvSpPr><p:nvPr><p:ph type=\"" + std::string(type) +
           "\"/></p:nvPr></p:nvSpPr><p:spPr/>" + textBodyXml(paragraphs) + "</p:sp>";
}

std::string AutoShapeXml(const std::vector<Paragraph>& paragraphs, int id) {
    return "<p:sp><p:nvSpPr>" + cNvPr(id, "Rectangle") + "<p:cNvSpPr/><p:nvPr/></p:nvSpPr>" +
           std::string(kShapeProperties) +
           "<p:style><a:lnRef idx=\"2\"><a:schemeClr val=\"accent1\"/></a:lnRef></p:style>" +
           textBodyXml(paragraphs) + "</p:sp>";
}

std::string GroupXml(const std::vector<std::string>& childShapesXml, int id) {
    std::string out =
        "<p:grpSp><p:nvGrpSpPr>" + cNvPr(id, "Group") + "<p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr><p:grpSpPr/>";
    for (const auto& child : childShapesXml)
        out += child;
    return out + "</p:grpSp>";
}

std::string TableXml(const std::vector<std::vector<std::string>>& rowsOfCells, int id) {
    std::size_t columns = 0;
    for (const auto& row : rowsOfCells)
        columns = std::max(columns, row.size());
    std::string out =
        "<p:graphicFrame><p:nvGraphicFramePr>" + cNvPr(id, "Table") +
        "<p:cNvGraphicFramePr><a:graphicFrameLocks noGrp=\"1\"/></p:cNvGraphicFramePr><p:nvPr/>"
        "</p:nvGraphicFramePr><p:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"8128000\" cy=\"741680\"/>"
        "</p:xfrm><a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/"
        "table\"><a:tbl><a:tblGrid>";
    for (std::size_t c = 0; c < columns; ++c)
        out += "<a:gridCol w=\"4064000\"/>";
    out += "</a:tblGrid>";
    for (const auto& row : rowsOfCells) {
        out += "<a:tr h=\"370840\">";
        for (const auto& cell : row)
            out += "<a:tc><a:txBody><a:bodyPr/><a:lstStyle/>" + paragraphsXml({Paragraph(cell)}) +
                   "</a:txBody><a:tcPr/></a:tc>";
        out += "</a:tr>";
    }
    return out + "</a:tbl></a:graphicData></a:graphic></p:graphicFrame>";
}

std::string PictureXml(std::string_view relationshipId, int id) {
    return "<p:pic><p:nvPicPr>" + cNvPr(id, "Picture") +
           "<p:cNvPicPr><a:picLocks noChangeAspect=\"1\"/></p:cNvPicPr><p:nvPr/></p:nvPicPr>"
           "<p:blipFill><a:blip r:embed=\"" +
           std::string(relationshipId) + "\"/><a:stretch><a:fillRect/></a:stretch></p:blipFill>" +
           std::string(kShapeProperties) + "</p:pic>";
}

std::string ConnectorXml(int id) {
    return "<p:cxnSp><p:nvCxnSpPr>" + cNvPr(id, "Straight Connector") +
           "<p:cNvCxnSpPr/><p:nvPr/></p:nvCxnSpPr><p:spPr><a:prstGeom prst=\"line\"><a:avLst/></a:prstGeom>"
           "</p:spPr></p:cxnSp>";
}

std::string AlternateContentXml(std::string_view requiredPrefixes, const std::string& choiceXml,
                                const std::string& fallbackXml) {
    std::string out = "<mc:AlternateContent><mc:Choice Requires=\"" + std::string(requiredPrefixes) + "\">" +
                      choiceXml + "</mc:Choice>";
    if (!fallbackXml.empty())
        out += "<mc:Fallback>" + fallbackXml + "</mc:Fallback>";
    return out + "</mc:AlternateContent>";
}

std::string ExpectedText(const std::vector<Paragraph>& paragraphs) {
    std::string out;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            out += '\r';
        for (const auto& piece : paragraphs[i].pieces)
            out += piece.kind == TextPiece::Kind::Break ? std::string("\v") : piece.text;
    }
    return out;
}

std::string WithAltText(std::string shapeXml, std::string_view title, std::string_view description) {
    const auto at = shapeXml.find("<p:cNvPr ");
    if (at == std::string::npos)
        return shapeXml;
    std::string attributes;
    if (!title.empty())
        attributes += "title=\"" + XmlEscape(title) + "\" ";
    if (!description.empty())
        attributes += "descr=\"" + XmlEscape(description) + "\" ";
    shapeXml.insert(at + 9, attributes);
    return shapeXml;
}

SlideBuilder& SlideBuilder::addTextBox(const std::vector<Paragraph>& paragraphs) {
    return addRawXml(TextBoxXml(paragraphs, nextShapeId()));
}

SlideBuilder& SlideBuilder::addPlaceholder(const std::vector<Paragraph>& paragraphs, std::string_view type) {
    return addRawXml(PlaceholderXml(paragraphs, type, nextShapeId()));
}

SlideBuilder& SlideBuilder::addShape(const std::vector<Paragraph>& paragraphs) {
    return addRawXml(AutoShapeXml(paragraphs, nextShapeId()));
}

SlideBuilder& SlideBuilder::addShapeWithoutText() {
    return addRawXml(AutoShapeXml({}, nextShapeId()));
}

SlideBuilder& SlideBuilder::addGroup(const std::vector<std::string>& textBoxTexts) {
    const int groupId = nextShapeId();
    std::vector<std::string> children;
    for (const auto& text : textBoxTexts)
        children.push_back(TextBoxXml({Paragraph(text)}, nextShapeId()));
    return addRawXml(GroupXml(children, groupId));
}

SlideBuilder& SlideBuilder::addTable(const std::vector<std::vector<std::string>>& rowsOfCells) {
    return addRawXml(TableXml(rowsOfCells, nextShapeId()));
}

SlideBuilder& SlideBuilder::addPicture(std::string bytes) {
    const std::string id = addMedia(std::move(bytes));
    return addRawXml(PictureXml(id, nextShapeId()));
}

std::string SlideBuilder::addMedia(std::string bytes) {
    Media media;
    media.relationshipId = "rId" + std::to_string(m_media.size() + 2); // rId1 is the layout's
    media.partName = "ppt/media/image_" + m_part + "_" + std::to_string(m_media.size() + 1) + ".png";
    media.bytes = std::move(bytes);
    m_media.push_back(std::move(media));
    return m_media.back().relationshipId;
}

SlideBuilder& SlideBuilder::addConnector() {
    return addRawXml(ConnectorXml(nextShapeId()));
}

SlideBuilder& SlideBuilder::addChart(const ChartText& chart) {
    Media part;
    part.relationshipId = "rId" + std::to_string(m_media.size() + 2);
    part.partName = "ppt/charts/chart_" + m_part + "_" + std::to_string(m_media.size() + 1) + ".xml";
    part.type = "chart";
    part.compress = true;
    const auto cache = [](const std::vector<std::string>& values) {
        std::string out = "<c:strCache><c:ptCount val=\"" + std::to_string(values.size()) + "\"/>";
        for (std::size_t i = 0; i < values.size(); ++i)
            out += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + XmlEscape(values[i]) + "</c:v></c:pt>";
        return out + "</c:strCache>";
    };
    part.bytes = std::string(kXmlHead) +
                 "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"" +
                 std::string(kRootNamespaces) + "><c:chart>";
    if (!chart.title.empty())
        part.bytes += "<c:title><c:tx><c:rich><a:bodyPr/><a:lstStyle/>" +
                      paragraphsXml({Paragraph(chart.title)}) +
                      "</c:rich></c:tx><c:overlay val=\"0\"/></c:title>";
    part.bytes += "<c:autoTitleDeleted val=\"0\"/><c:plotArea><c:layout/><c:barChart><c:barDir val=\"col\"/>";
    for (std::size_t i = 0; i < chart.series.size(); ++i) {
        part.bytes += "<c:ser><c:idx val=\"" + std::to_string(i) + "\"/><c:order val=\"" + std::to_string(i) +
                      "\"/><c:tx><c:strRef><c:f>Sheet1!$" + std::string(1, static_cast<char>('B' + i)) +
                      "$1</c:f>" + cache({chart.series[i]}) +
                      "</c:strRef></c:tx><c:cat><c:strRef><c:f>Sheet1!$A$2</c:f>" + cache(chart.categories) +
                      "</c:strRef></c:cat><c:val><c:numRef><c:f>Sheet1!$B$2</c:f>"
                      "<c:numCache><c:formatCode>General</c:formatCode><c:ptCount val=\"1\"/><c:pt idx=\"0\">"
                      "<c:v>4.3</c:v></c:pt></c:numCache></c:numRef></c:val></c:ser>";
    }
    part.bytes += "<c:axId val=\"1\"/><c:axId val=\"2\"/></c:barChart></c:plotArea></c:chart></c:chartSpace>";
    const int id = nextShapeId();
    addRawXml("<p:graphicFrame><p:nvGraphicFramePr>" + cNvPr(id, "Chart") +
              "<p:cNvGraphicFramePr/><p:nvPr/></p:nvGraphicFramePr><p:xfrm><a:off x=\"0\" y=\"0\"/>"
              "<a:ext cx=\"8128000\" cy=\"5418667\"/></p:xfrm><a:graphic><a:graphicData "
              "uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:chart "
              "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" r:id=\"" +
              part.relationshipId + "\"/></a:graphicData></a:graphic></p:graphicFrame>");
    m_media.push_back(std::move(part));
    return *this;
}

SlideBuilder& SlideBuilder::addEmbedded(const std::string& name, std::string bytes) {
    Media part;
    part.relationshipId = "rId" + std::to_string(m_media.size() + 2);
    part.partName = "ppt/embeddings/" + name;
    part.type = "package";
    part.compress = true;
    part.bytes = std::move(bytes);
    const std::string id = part.relationshipId;
    m_media.push_back(std::move(part));
    const int shapeId = nextShapeId();
    return addRawXml("<p:graphicFrame><p:nvGraphicFramePr>" + cNvPr(shapeId, "Object") +
                     "<p:cNvGraphicFramePr/><p:nvPr/></p:nvGraphicFramePr><p:xfrm/><a:graphic><a:graphicData "
                     "uri=\"http://schemas.openxmlformats.org/presentationml/2006/ole\"><p:oleObj "
                     "progId=\"Package\" r:id=\"" +
                     id + "\"><p:embed/></p:oleObj></a:graphicData></a:graphic></p:graphicFrame>");
}

SlideBuilder& SlideBuilder::addEmbeddedReference(const std::string& partName) {
    Media reference;
    reference.relationshipId = "rId" + std::to_string(m_media.size() + 2);
    reference.partName = partName;
    reference.type = "package";
    m_media.push_back(std::move(reference)); // no bytes: written by the page that embeds it
    return *this;
}

SlideBuilder& SlideBuilder::addRawXml(std::string xml) {
    m_shapes.push_back(std::move(xml));
    return *this;
}

std::string SlideBuilder::xml() const {
    std::string out{kXmlHead};
    out += "<p:" + m_root + std::string(kRootNamespaces) + std::string(kExtensionNamespaces) +
           " mc:Ignorable=\"p14 a14\"><p:cSld><p:spTree><p:nvGrpSpPr><p:cNvPr id=\"1\" name=\"\"/>"
           "<p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr><p:grpSpPr><a:xfrm><a:off x=\"0\" y=\"0\"/>"
           "<a:ext cx=\"0\" cy=\"0\"/></a:xfrm></p:grpSpPr>";
    for (const auto& shape : m_shapes)
        out += shape;
    out += "</p:spTree></p:cSld>" + m_tail + "</p:" + m_root + ">";
    return out;
}

PptxBuilder::PptxBuilder() : m_master(new SlideBuilder("slideMaster1", "sldMaster")) {
    m_master->m_tail = "<p:clrMap bg1=\"lt1\" tx1=\"dk1\" bg2=\"lt2\" tx2=\"dk2\" accent1=\"accent1\" "
                       "accent2=\"accent2\" accent3=\"accent3\" accent4=\"accent4\" accent5=\"accent5\" "
                       "accent6=\"accent6\" hlink=\"hlink\" folHlink=\"folHlink\"/>";
    addLayout();
}
PptxBuilder::~PptxBuilder() = default;

SlideBuilder& PptxBuilder::addSlide() {
    m_slides.push_back(
        std::unique_ptr<SlideBuilder>(new SlideBuilder("slide" + std::to_string(slideCount() + 1), "sld")));
    m_slides.back()->m_tail = "<p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr>";
    return *m_slides.back();
}

SlideBuilder& PptxBuilder::addLayout() {
    m_layouts.push_back(std::unique_ptr<SlideBuilder>(
        new SlideBuilder("slideLayout" + std::to_string(m_layouts.size() + 1), "sldLayout")));
    m_layouts.back()->m_tail = "<p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr>";
    return *m_layouts.back();
}

SlideBuilder& PptxBuilder::layout(int number) {
    return *m_layouts.at(static_cast<std::size_t>(number - 1));
}

SlideBuilder& PptxBuilder::notesMaster() {
    if (!m_notesMaster)
        m_notesMaster.reset(new SlideBuilder("notesMaster1", "notesMaster"));
    return *m_notesMaster;
}

SlideBuilder& PptxBuilder::handoutMaster() {
    if (!m_handoutMaster)
        m_handoutMaster.reset(new SlideBuilder("handoutMaster1", "handoutMaster"));
    return *m_handoutMaster;
}

SlideBuilder& PptxBuilder::slide(int number) {
    return *m_slides.at(static_cast<std::size_t>(number - 1));
}

void PptxBuilder::setPart(const std::string& name, std::string bytes, bool compress) {
    std::erase_if(m_overrides, [&](const ZipEntry& e) { return e.name == name; });
    std::erase(m_removed, name);
    m_overrides.push_back({name, std::move(bytes), compress});
}

void PptxBuilder::removePart(const std::string& name) {
    std::erase_if(m_overrides, [&](const ZipEntry& e) { return e.name == name; });
    m_removed.push_back(name);
}

std::vector<int> PptxBuilder::order() const {
    if (!m_order.empty())
        return m_order;
    std::vector<int> out;
    for (int i = 1; i <= slideCount(); ++i)
        out.push_back(i);
    return out;
}

std::string PptxBuilder::presentationXml() const {
    std::string out{kXmlHead};
    out += "<p:presentation" + std::string(kRootNamespaces) + " saveSubsetFonts=\"1\">";
    out += "<p:sldMasterIdLst><p:sldMasterId id=\"2147483648\" r:id=\"rIdM1\"/></p:sldMasterIdLst>";
    if (m_notesMaster)
        out += "<p:notesMasterIdLst><p:notesMasterId r:id=\"rIdNM\"/></p:notesMasterIdLst>";
    if (m_handoutMaster)
        out += "<p:handoutMasterIdLst><p:handoutMasterId r:id=\"rIdHM\"/></p:handoutMasterIdLst>";
    const auto numbers = order();
    if (!numbers.empty()) {
        out += "<p:sldIdLst>";
        int id = 256;
        for (int number : numbers)
            out += "<p:sldId id=\"" + std::to_string(id++) + "\" r:id=\"" +
                   slideRelationshipId(number, slideCount()) + "\"/>";
        out += "</p:sldIdLst>";
    }
    out += "<p:sldSz cx=\"12192000\" cy=\"6858000\"/><p:notesSz cx=\"6858000\" "
           "cy=\"9144000\"/></p:presentation>";
    return out;
}

std::string PptxBuilder::presentationRelsXml() const {
    std::vector<std::pair<std::string, std::string>> rels;
    for (int i = 1; i <= slideCount(); ++i)
        rels.emplace_back(slideRelationshipId(i, slideCount()),
                          relationship("slide", "slides/slide" + std::to_string(i) + ".xml"));
    rels.emplace_back("rId1", relationship("theme", "theme/theme1.xml"));
    rels.emplace_back("rIdM1", relationship("slideMaster", "slideMasters/slideMaster1.xml"));
    if (m_notesMaster)
        rels.emplace_back("rIdNM", relationship("notesMaster", "notesMasters/notesMaster1.xml"));
    if (m_handoutMaster)
        rels.emplace_back("rIdHM", relationship("handoutMaster", "handoutMasters/handoutMaster1.xml"));
    return relationshipsXml(rels);
}

std::string PptxBuilder::contentTypesXml() const {
    std::string out{kXmlHead};
    out += "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"png\" ContentType=\"image/png\"/>"
           "<Default Extension=\"rels\" "
           "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"/ppt/presentation.xml\" ContentType=\"" +
           m_mainContentType + "\"/>";
    for (int i = 1; i <= slideCount(); ++i)
        out +=
            "<Override PartName=\"/ppt/slides/slide" + std::to_string(i) +
            ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.presentationml.slide+xml\"/>";
    const auto overrideFor = [&](const SlideBuilder* page, std::string_view folder, std::string_view type) {
        if (page)
            out += "<Override PartName=\"/ppt/" + std::string(folder) + "/" + page->m_part +
                   ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.presentationml." +
                   std::string(type) + "+xml\"/>";
    };
    overrideFor(m_master.get(), "slideMasters", "slideMaster");
    for (const auto& layout : m_layouts)
        overrideFor(layout.get(), "slideLayouts", "slideLayout");
    overrideFor(m_notesMaster.get(), "notesMasters", "notesMaster");
    overrideFor(m_handoutMaster.get(), "handoutMasters", "handoutMaster");
    out += "<Override PartName=\"/docProps/app.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/></Types>";
    return out;
}

std::vector<ZipEntry> PptxBuilder::entries() const {
    std::vector<ZipEntry> out;
    out.push_back({"[Content_Types].xml", contentTypesXml()});
    out.push_back({"_rels/.rels",
                   relationshipsXml({{"rId1", relationship("officeDocument", "ppt/presentation.xml")},
                                     {"rId2", relationship("extended-properties", "docProps/app.xml")}})});
    out.push_back({"docProps/app.xml", std::string(kXmlHead) +
                                           "<Properties xmlns=\"http://schemas.openxmlformats.org/"
                                           "officeDocument/2006/extended-properties\"><Slides>" +
                                           std::to_string(slideCount()) + "</Slides></Properties>"});
    out.push_back({"ppt/presentation.xml", presentationXml()});
    out.push_back({"ppt/_rels/presentation.xml.rels", presentationRelsXml()});
    // A page, its own parts and its relationships (`first`, then its media).
    const auto writePage = [&](const SlideBuilder& page, std::string_view folder,
                               std::vector<std::pair<std::string, std::string>> rels) {
        const std::string name = page.m_part + ".xml";
        out.push_back({"ppt/" + std::string(folder) + "/" + name, page.xml()});
        for (const auto& media : page.m_media) {
            rels.emplace_back(media.relationshipId,
                              relationship(media.type, "../" + media.partName.substr(4)));
            if (media.type != "package" || media.compress) // a second reference writes no part
                out.push_back({media.partName, media.bytes, media.compress});
        }
        if (!rels.empty())
            out.push_back(
                {"ppt/" + std::string(folder) + "/_rels/" + name + ".rels", relationshipsXml(rels)});
    };
    for (const auto& slide : m_slides)
        writePage(*slide, "slides",
                  {{"rId1", relationship("slideLayout", "../slideLayouts/slideLayout1.xml")}});
    {
        // The master lists its layouts in its own part.
        SlideBuilder master = *m_master;
        std::vector<std::pair<std::string, std::string>> rels;
        master.m_tail += "<p:sldLayoutIdLst>";
        for (std::size_t i = 0; i < m_layouts.size(); ++i) {
            const std::string id = "rIdL" + std::to_string(i + 1);
            master.m_tail +=
                "<p:sldLayoutId id=\"" + std::to_string(2147483649U + i) + "\" r:id=\"" + id + "\"/>";
            rels.emplace_back(
                id, relationship("slideLayout", "../slideLayouts/" + m_layouts[i]->m_part + ".xml"));
        }
        master.m_tail += "</p:sldLayoutIdLst>";
        writePage(master, "slideMasters", std::move(rels));
    }
    for (const auto& layout : m_layouts)
        writePage(*layout, "slideLayouts",
                  {{"rId1", relationship("slideMaster", "../slideMasters/slideMaster1.xml")}});
    if (m_notesMaster)
        writePage(*m_notesMaster, "notesMasters", {});
    if (m_handoutMaster)
        writePage(*m_handoutMaster, "handoutMasters", {});
    for (const auto& name : m_removed)
        std::erase_if(out, [&](const ZipEntry& e) { return e.name == name; });
    for (const auto& replacement : m_overrides) {
        const auto it = std::find_if(out.begin(), out.end(),
                                     [&](const ZipEntry& e) { return e.name == replacement.name; });
        if (it != out.end())
            *it = replacement;
        else
            out.push_back(replacement);
    }
    return out;
}

std::string PptxBuilder::bytes() const {
    return ZipBytes(entries());
}

void PptxBuilder::writeTo(const std::filesystem::path& path) const {
    const auto data = bytes();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string ZipBytes(const std::vector<ZipEntry>& entries) {
    if (entries.empty()) // libzip writes nothing at all for an empty archive
        return std::string("PK\5\6", 4) + std::string(18, '\0');
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (memory == nullptr)
        throw std::runtime_error("cannot create a zip buffer");
    zip_t* archive = zip_open_from_source(memory, ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        zip_source_free(memory);
        throw std::runtime_error("cannot open a zip buffer");
    }
    zip_source_keep(memory); // the bytes are read back after zip_close
    for (const auto& entry : entries) {
        zip_source_t* data = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
        const zip_int64_t index =
            data == nullptr ? -1 : zip_file_add(archive, entry.name.c_str(), data, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(data);
            zip_discard(archive);
            zip_source_free(memory);
            throw std::runtime_error("cannot add " + entry.name + " to a zip");
        }
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                 entry.compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
        if (!entry.password.empty() && zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index),
                                                               ZIP_EM_AES_256, entry.password.c_str()) != 0) {
            zip_discard(archive);
            zip_source_free(memory);
            throw std::runtime_error("cannot encrypt " + entry.name + " in a zip");
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        zip_source_free(memory);
        throw std::runtime_error("cannot write a zip");
    }
    std::string out;
    zip_stat_t st;
    if (zip_source_stat(memory, &st) == 0 && zip_source_open(memory) == 0) {
        out.resize(st.size);
        const zip_int64_t n = zip_source_read(memory, out.data(), out.size());
        zip_source_close(memory);
        out.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    }
    zip_source_free(memory);
    return out;
}

} // namespace orv::test
