#include "support/OfficeDocuments.h"

#include "base/Failure.h"
#include "extract/common/ByteSource.h"
#include "support/ReadBytes.h"

#include <algorithm>
#include <memory>

namespace orv::test {

namespace {

// The relationships' namespace (r:) and the base of their types.
struct Vocabulary {
    std::string_view relationships;
    std::string_view types;
};

constexpr Vocabulary kTransitional{"http://schemas.openxmlformats.org/officeDocument/2006/relationships",
                                   "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"};
constexpr Vocabulary kStrict{"http://purl.oclc.org/ooxml/officeDocument/relationships",
                             "http://purl.oclc.org/ooxml/officeDocument/relationships/"};

struct Relation {
    std::string id;
    std::string type; // the last segment
    std::string target;
    bool external = false;
};

std::string relationshipsXml(const std::vector<Relation>& relations, const Vocabulary& vocabulary) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (const auto& r : relations)
        xml += "<Relationship Id=\"" + r.id + "\" Type=\"" + std::string(vocabulary.types) + r.type +
               "\" Target=\"" + XmlEscape(r.target) + "\"" + (r.external ? " TargetMode=\"External\"" : "") +
               "/>";
    return xml + "</Relationships>";
}

struct TypedPart {
    std::string name;
    std::string type;
};

std::string contentTypesXml(const std::vector<TypedPart>& parts) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                      "<Default Extension=\"rels\" "
                      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
    for (const auto& part : parts)
        xml += "<Override PartName=\"/" + part.name + "\" ContentType=\"" + XmlEscape(part.type) + "\"/>";
    return xml + "</Types>";
}

std::string root(std::string_view prefixedName, std::string_view prefix, std::string_view mainNamespace,
                 const Vocabulary& vocabulary, const std::string& content) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<" + std::string(prefixedName) +
           " xmlns" + (prefix.empty() ? "" : ":" + std::string(prefix)) + "=\"" + std::string(mainNamespace) +
           "\" xmlns:r=\"" + std::string(vocabulary.relationships) +
           "\" xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">" + content + "</" +
           std::string(prefixedName) + ">";
}

constexpr std::string_view kSheetType = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
constexpr std::string_view kWordType = "application/vnd.openxmlformats-officedocument.wordprocessingml.";

} // namespace

std::string CellXml(std::string_view ref, std::string_view type, std::string_view value) {
    return "<c r=\"" + std::string(ref) + "\"" + (type.empty() ? "" : " t=\"" + std::string(type) + "\"") +
           "><v>" + XmlEscape(value) + "</v></c>";
}

std::string SharedStringCell(std::string_view ref, std::size_t index) {
    return CellXml(ref, "s", std::to_string(index));
}

std::string InlineStringCell(std::string_view ref, std::string_view text) {
    return "<c r=\"" + std::string(ref) + "\" t=\"inlineStr\"><is><t>" + XmlEscape(text) + "</t></is></c>";
}

std::string FormulaStringCell(std::string_view ref, std::string_view formula, std::string_view result) {
    return "<c r=\"" + std::string(ref) + "\" t=\"str\"><f>" + XmlEscape(formula) + "</f><v>" +
           XmlEscape(result) + "</v></c>";
}

std::string RowXml(const std::vector<std::string>& cells) {
    std::string xml = "<row>";
    for (const auto& cell : cells)
        xml += cell;
    return xml + "</row>";
}

std::vector<ZipEntry> WorkbookEntries(const Workbook& workbook) {
    const Vocabulary& vocabulary = workbook.strict ? kStrict : kTransitional;
    const std::string_view ns = workbook.strict ? "http://purl.oclc.org/ooxml/spreadsheetml/main"
                                                : "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    std::vector<ZipEntry> entries;
    std::vector<TypedPart> types{{"xl/workbook.xml", workbook.mainContentType.empty()
                                                         ? std::string(kSheetType) + "sheet.main+xml"
                                                         : workbook.mainContentType}};
    std::vector<Relation> relations;
    std::string list;
    const std::size_t count = workbook.sheets.size();
    for (std::size_t i = 0; i < count; ++i) {
        const WorkbookSheet& sheet = workbook.sheets[i];
        const std::string number = std::to_string(count - i);
        const std::string id = "rId" + std::to_string(count - i + 1);
        list += "<sheet name=\"" + XmlEscape(sheet.name) + "\" sheetId=\"" + std::to_string(i + 1) +
                "\" r:id=\"" + id + "\"/>";
        const std::string kind = sheet.chartSheet ? "chartsheet" : "worksheet";
        const std::string part =
            sheet.chartSheet ? "chartsheets/sheet" + number + ".xml" : "worksheets/sheet" + number + ".xml";
        relations.push_back({id, kind, part});
        types.push_back({"xl/" + part, std::string(kSheetType) + kind + "+xml"});
        if (sheet.chartSheet) {
            entries.emplace_back("xl/" + part, root("chartsheet", "", ns, vocabulary, "<sheetViews/>"));
            continue;
        }
        std::vector<Relation> sheetRelations;
        std::string links;
        for (std::size_t l = 0; l < sheet.links.size(); ++l) {
            const std::string linkId = "rIdLink" + std::to_string(l + 1);
            sheetRelations.push_back({linkId, "hyperlink", sheet.links[l], true});
            links += "<hyperlink ref=\"A1\" r:id=\"" + linkId + "\"/>";
        }
        if (!sheet.comments.empty()) {
            const std::string comments = "xl/comments" + number + ".xml";
            sheetRelations.push_back({"rIdComments", "comments", "../comments" + number + ".xml"});
            types.push_back({comments, std::string(kSheetType) + "comments+xml"});
            entries.emplace_back(comments, root("comments", "", ns, vocabulary,
                                                "<authors><author>A</author></authors><commentList>" +
                                                    sheet.comments + "</commentList>"));
        }
        entries.emplace_back("xl/" + part,
                             root("worksheet", "", ns, vocabulary,
                                  "<sheetData>" + sheet.rows + "</sheetData>" +
                                      (links.empty() ? "" : "<hyperlinks>" + links + "</hyperlinks>")));
        if (!sheetRelations.empty())
            entries.emplace_back("xl/worksheets/_rels/sheet" + number + ".xml.rels",
                                 relationshipsXml(sheetRelations, vocabulary));
    }
    std::reverse(relations.begin(), relations.end());
    if (!workbook.sharedStrings.empty()) {
        std::string items;
        for (const auto& item : workbook.sharedStrings)
            items += "<si>" + item + "</si>";
        entries.emplace_back("xl/sharedStrings.xml", root("sst", "", ns, vocabulary, items));
        relations.push_back({"rId1", "sharedStrings", "sharedStrings.xml"});
        types.push_back({"xl/sharedStrings.xml", std::string(kSheetType) + "sharedStrings+xml"});
    }
    entries.emplace(entries.begin(), "xl/_rels/workbook.xml.rels", relationshipsXml(relations, vocabulary));
    entries.emplace(entries.begin(), "xl/workbook.xml",
                    root("workbook", "", ns, vocabulary, "<sheets>" + list + "</sheets>"));
    entries.emplace(entries.begin(), "_rels/.rels",
                    relationshipsXml({{"rId1", "officeDocument", "xl/workbook.xml"}}, vocabulary));
    entries.emplace(entries.begin(), "[Content_Types].xml", contentTypesXml(types));
    return entries;
}

std::string WordParagraph(std::string_view text) {
    return "<w:p><w:r><w:t xml:space=\"preserve\">" + XmlEscape(text) + "</w:t></w:r></w:p>";
}

std::vector<ZipEntry> WordDocumentEntries(const WordDocument& document) {
    const Vocabulary& vocabulary = document.strict ? kStrict : kTransitional;
    const std::string_view ns = document.strict
                                    ? "http://purl.oclc.org/ooxml/wordprocessingml/main"
                                    : "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    std::vector<ZipEntry> entries;
    std::vector<TypedPart> types{{"word/document.xml", document.mainContentType.empty()
                                                           ? std::string(kWordType) + "document.main+xml"
                                                           : document.mainContentType}};
    std::vector<Relation> relations;
    const auto add = [&](const std::string& kind, const std::string& part, std::string_view rootName,
                         const std::string& content) {
        relations.push_back({"rId" + std::to_string(relations.size() + 1), kind, part});
        types.push_back({"word/" + part, std::string(kWordType) + kind + "+xml"});
        entries.emplace_back("word/" + part,
                             root("w:" + std::string(rootName), "w", ns, vocabulary, content));
    };
    const std::size_t pairs = std::max(document.headers.size(), document.footers.size());
    for (std::size_t i = 0; i < pairs; ++i) {
        if (i < document.headers.size())
            add("header", "header" + std::to_string(document.headers.size() - i) + ".xml", "hdr",
                document.headers[i]);
        if (i < document.footers.size())
            add("footer", "footer" + std::to_string(document.footers.size() - i) + ".xml", "ftr",
                document.footers[i]);
    }
    if (!document.comments.empty())
        add("comments", "comments.xml", "comments", document.comments);
    if (!document.endnotes.empty())
        add("endnotes", "endnotes.xml", "endnotes", document.endnotes);
    if (!document.footnotes.empty())
        add("footnotes", "footnotes.xml", "footnotes", document.footnotes);
    for (std::size_t l = 0; l < document.links.size(); ++l)
        relations.push_back({"link" + std::to_string(l + 1), "hyperlink", document.links[l], true});
    entries.emplace(entries.begin(), "word/_rels/document.xml.rels", relationshipsXml(relations, vocabulary));
    entries.emplace(entries.begin(), "word/document.xml",
                    root("w:document", "w", ns, vocabulary, "<w:body>" + document.body + "</w:body>"));
    entries.emplace(entries.begin(), "_rels/.rels",
                    relationshipsXml({{"rId1", "officeDocument", "word/document.xml"}}, vocabulary));
    entries.emplace(entries.begin(), "[Content_Types].xml", contentTypesXml(types));
    return entries;
}

std::vector<ZipEntry> WithPart(std::vector<ZipEntry> entries, const std::string& name, std::string bytes) {
    for (auto& entry : entries)
        if (entry.name == name) {
            entry.data = std::move(bytes);
            return entries;
        }
    entries.emplace_back(name, std::move(bytes));
    return entries;
}

std::vector<ZipEntry> WithoutPart(std::vector<ZipEntry> entries, const std::string& name) {
    std::erase_if(entries, [&](const ZipEntry& entry) { return entry.name == name; });
    return entries;
}

std::vector<std::string> ReadLines(const PresentationFormat& format, const std::string& bytes) {
    std::vector<std::string> lines;
    try {
        FormatProbe probe(std::make_unique<MemoryByteSource>(BytesOf(bytes)));
        auto document = format.open(probe, {});
        for (std::size_t page = 0; page < document->slideCount(); ++page) {
            const SlideContent slide = document->readSlide(page);
            const std::string number = std::to_string(page + 1) + "|";
            for (const auto& text : slide.allText)
                lines.push_back(number + std::string(TextPlaceName(text.place)) + "|" + text.name + "|" +
                                text.text);
            for (const auto& skipped : slide.skipped)
                lines.push_back(number + "skipped|" + skipped.part + "|" +
                                std::string(FailureKindName(skipped.kind)));
        }
    } catch (const Failure& failure) {
        lines.push_back("failed|" + std::string(FailureKindName(failure.kind())));
    }
    return lines;
}

int BidOn(const PresentationFormat& format, const std::string& bytes) {
    try {
        FormatProbe probe(std::make_unique<MemoryByteSource>(BytesOf(bytes)));
        return format.bid(probe);
    } catch (const Failure&) {
        return -1;
    }
}

} // namespace orv::test
