#include "extract/sheet/WorkbookReader.h"

#include "base/SafeText.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/XmlPart.h"
#include "extract/common/ZipPackage.h"
#include "extract/ooxml/PackageParts.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <unordered_set>
#include <vector>

namespace orv::sheet {

namespace {

using ooxml::FindPart;
using ooxml::IsRelationshipType;
using ooxml::ReadXmlPart;
using ooxml::Relationship;
using ooxml::RelationshipsPartName;
using ooxml::ResolvePartName;

constexpr std::string_view kExtensions[] = {"xlsx", "xlsm"};
constexpr std::string_view kMimeTypes[] = {
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet",
    "application/vnd.ms-excel.sheet.macroEnabled.12",
};

// SpreadsheetML, transitional and strict, beside the package vocabularies.
Ns classifyWorkbookPart(std::string_view uri) {
    if (uri == "http://schemas.openxmlformats.org/spreadsheetml/2006/main" ||
        uri == "http://purl.oclc.org/ooxml/spreadsheetml/main")
        return Ns::Spreadsheet;
    return ClassifyOfficeOpenXml(uri);
}

// What no walk of a sheet, shared-string list or comments part reads: the
// formulas (a result stored as text is in the cell's value), the sheet's
// layout and formatting, and the phonetic readings of strings.
constexpr SkippedElement kSkipped[] = {
    {Ns::Spreadsheet, "f"},
    {Ns::Spreadsheet, "sheetPr"},
    {Ns::Spreadsheet, "dimension"},
    {Ns::Spreadsheet, "sheetViews"},
    {Ns::Spreadsheet, "sheetFormatPr"},
    {Ns::Spreadsheet, "cols"},
    {Ns::Spreadsheet, "conditionalFormatting"},
    {Ns::Spreadsheet, "dataValidations"},
    {Ns::Spreadsheet, "rPr"},
    {Ns::Spreadsheet, "rPh"},
    {Ns::Spreadsheet, "phoneticPr"},
    {Ns::Spreadsheet, "extLst"},
};

XmlRules workbookRules() {
    XmlRules rules = PackagePartRules();
    rules.classify = classifyWorkbookPart;
    rules.skip = kSkipped;
    return rules;
}

bool isElement(const XmlTree& xml, XmlTree::Id node, std::string_view local) {
    if (xml.isText(node) || xml.local(node) != local)
        return false;
    RequireDeclarationsInLimit(xml, node);
    return xml.ns(node) == Ns::Spreadsheet;
}

// The child elements of `parent` that are `local` in SpreadsheetML.
template <typename Visit>
void forEachChild(const XmlTree& xml, XmlTree::Id parent, std::string_view local, Visit&& visit) {
    for (auto child = xml.firstChild(parent); child != XmlTree::kNone; child = xml.nextSibling(child))
        if (isElement(xml, child, local))
            visit(child);
}

// The text of a string item (a shared string, an inline string, a
// comment's text): its plain text, or its rich runs' texts in order, a line
// break inside as VT. Phonetic runs are not in the tree.
std::string stringItemText(const XmlTree& xml, XmlTree::Id item) {
    std::string text;
    for (auto child = xml.firstChild(item); child != XmlTree::kNone; child = xml.nextSibling(child)) {
        if (isElement(xml, child, "t")) {
            AppendText(xml, child, text);
        } else if (isElement(xml, child, "r")) {
            if (const auto t = ChildElement(xml, child, Ns::Spreadsheet, "t"); t != XmlTree::kNone)
                AppendText(xml, t, text);
        }
    }
    std::replace(text.begin(), text.end(), '\n', '\v');
    return text;
}

bool isWorkbookRoot(const XmlTree& xml) {
    RequireDeclarationsInLimit(xml, xml.root());
    return xml.ns(xml.root()) == Ns::Spreadsheet && xml.local(xml.root()) == "workbook";
}

// A zip whose main document is declared a workbook; or, declared as no other
// office format, whose main document's root is one.
int bid(FormatProbe& probe) {
    static constexpr std::string_view marks[] = {"spreadsheetml.sheet.main",
                                                 "ms-excel.sheet.macroenabled.main"};
    return ooxml::BidByMainDocument(probe.zip(), marks, [](ZipPackage& zip, const std::string& main) {
        const auto workbook = ReadXmlPart(zip, main, workbookRules());
        return workbook && isWorkbookRoot(workbook->tree);
    });
}

struct Sheet {
    std::string name; // as the workbook names it
    std::string part;
};

// A workbook held open: the sheet list and the shared strings are read when
// opening, each sheet's part is inflated, parsed, read and dropped when asked
// for.
class WorkbookDocument final : public PresentationDocument {
public:
    WorkbookDocument(std::unique_ptr<ByteSource> source, std::unique_ptr<ZipPackage> zip, ReadOptions options)
        : m_source(std::move(source)), m_zip(std::move(zip)), m_options(std::move(options)) {
        const auto main = ooxml::FindMainPart(*m_zip);
        if (!main)
            ThrowNotPresentation("the package names no main document");
        const auto workbook = ReadXmlPart(*m_zip, *main, workbookRules());
        if (!workbook)
            ThrowDamaged("its main part " + FileText(*main) + " is missing", *main);
        if (!isWorkbookRoot(workbook->tree))
            ThrowNotPresentation("its main document is no workbook");
        const auto relations = ooxml::ReadPartRelations(*m_zip, *main);
        listSheets(*workbook, relations);
        readSharedStrings(*main, relations);
    }

    std::size_t slideCount() const override { return m_sheets.size(); }

    SlideContent readSlide(std::size_t index) override {
        const Sheet& sheet = m_sheets.at(index);
        m_budget.nextSlide();
        // Its text bounded, while it is parsed, by what the page it is placed
        // on has room for.
        const auto part = ReadXmlPart(*m_zip, sheet.part, PartRules(workbookRules(), m_budget, m_options));
        if (!part)
            ThrowDamaged("the worksheet part " + FileText(sheet.part) + " is missing", sheet.part);
        const XmlTree& xml = part->tree;
        if (!isElement(xml, xml.root(), "worksheet"))
            ThrowDamaged("the part " + FileText(sheet.part) + ", listed as the sheet " +
                             FileText(sheet.name) + ", is not a worksheet",
                         sheet.part);
        SlideContent slide;
        slide.allTextRead = true;
        readCells(*part, sheet, slide);
        ooxml::PartRelations relations;
        if (!ReadAllTextPiece(slide, RelationshipsPartName(sheet.part),
                              [&] { relations = ooxml::ReadPartRelations(*m_zip, sheet.part); }))
            return slide;
        for (const auto& r : relations.list) {
            if (r.external || !IsRelationshipType(r.type, "comments"))
                continue;
            if (const auto comments = ResolvePartName(sheet.part, r.target))
                ReadAllTextPiece(slide, *comments, [&] { readComments(*comments, sheet, slide); });
        }
        ReadAllTextPiece(slide, sheet.part + ", links", [&] { readLinks(*part, relations, sheet, slide); });
        return slide;
    }

private:
    // The worksheets of the sheet list, in its order. A sheet that names no
    // relationship of the workbook, or a worksheet outside the package or
    // missing from it, is damage; other kinds of sheet are passed over.
    void listSheets(const XmlPart& workbook, const ooxml::PartRelations& relations) {
        const XmlTree& xml = workbook.tree;
        const auto list = ChildElement(xml, xml.root(), Ns::Spreadsheet, "sheets");
        if (list == XmlTree::kNone)
            return;
        std::unordered_set<std::string> seen;
        std::size_t number = 0;
        forEachChild(xml, list, "sheet", [&](XmlTree::Id entry) {
            const std::string ordinal = "sheet " + std::to_string(++number);
            const auto id = xml.attribute(entry, Ns::Relationships, "id");
            const auto it = id.found ? relations.byId.find(id.text) : relations.byId.end();
            if (it == relations.byId.end())
                ThrowDamaged(ordinal + " of the workbook names no relationship of " + FileText(workbook.name),
                             workbook.name, xml.site(entry).offset);
            const Relationship& r = *it->second;
            if (!IsRelationshipType(r.type, "worksheet"))
                return;
            if (r.external)
                ThrowDamaged(ordinal + " of the workbook points outside the package", workbook.name);
            auto name = ResolvePartName(workbook.name, r.target);
            if (!name)
                ThrowDamaged(ordinal + " of the workbook points at \"" + FileText(r.target) +
                                 "\", which names no part",
                             workbook.name);
            // A sheet listed twice would be read twice; a hostile list could
            // repeat one large sheet without end.
            if (!seen.insert(ooxml::LowerAscii(*name)).second)
                ThrowDamaged("the sheet list names the part " + FileText(*name) + " more than once",
                             workbook.name);
            if (!FindPart(*m_zip, *name))
                ThrowDamaged("the worksheet part " + FileText(*name) + " is missing", *name);
            if (m_sheets.size() == limits::kMaxSlides)
                ThrowOverLimit("its sheet list names more than " + std::to_string(limits::kMaxSlides) +
                                   " sheets",
                               workbook.name);
            m_sheets.push_back({std::string(xml.attributeNamed(entry, "name").text), std::move(*name)});
        });
    }

    void readSharedStrings(const std::string& mainName, const ooxml::PartRelations& relations) {
        for (const auto& r : relations.list) {
            if (r.external || !IsRelationshipType(r.type, "sharedStrings"))
                continue;
            const auto name = ResolvePartName(mainName, r.target);
            const auto part = name ? ReadXmlPart(*m_zip, *name, workbookRules()) : std::nullopt;
            if (!part)
                continue;
            const XmlTree& xml = part->tree;
            if (!isElement(xml, xml.root(), "sst"))
                ThrowDamaged("the part " + FileText(part->name) + " holds no shared strings", part->name);
            forEachChild(xml, xml.root(), "si",
                         [&](XmlTree::Id item) { m_sharedStrings.push_back(stringItemText(xml, item)); });
            return;
        }
    }

    void place(SlideContent& slide, TextPlace where, const Sheet& sheet, std::string text) {
        PlaceText(slide, m_budget, std::nullopt, where, sheet.name, std::move(text));
    }

    // The cells' texts, row by row; each cell is told by its type.
    void readCells(const XmlPart& part, const Sheet& sheet, SlideContent& slide) {
        const XmlTree& xml = part.tree;
        const auto data = ChildElement(xml, xml.root(), Ns::Spreadsheet, "sheetData");
        if (data == XmlTree::kNone)
            return;
        forEachChild(xml, data, "row", [&](XmlTree::Id row) {
            forEachChild(xml, row, "c", [&](XmlTree::Id cell) {
                const auto type = xml.attributeNamed(cell, "t").text;
                if (type == "inlineStr") {
                    if (const auto item = ChildElement(xml, cell, Ns::Spreadsheet, "is");
                        item != XmlTree::kNone)
                        place(slide, TextPlace::Shape, sheet, stringItemText(xml, item));
                    return;
                }
                if (type != "s" && type != "str")
                    return;
                const auto value = ChildElement(xml, cell, Ns::Spreadsheet, "v");
                if (value == XmlTree::kNone)
                    return;
                std::string text;
                AppendText(xml, value, text);
                if (type == "str") {
                    std::replace(text.begin(), text.end(), '\n', '\v');
                    place(slide, TextPlace::Shape, sheet, std::move(text));
                    return;
                }
                const std::string& shared = sharedString(text, part, xml.site(cell));
                // Counted before it is copied: a hostile sheet can name one
                // long string in every cell.
                m_budget.checkText(shared.size(), xml.site(cell));
                place(slide, TextPlace::Shape, sheet, shared);
            });
        });
    }

    const std::string& sharedString(std::string_view index, const XmlPart& part, FaultSite site) const {
        std::size_t at = 0;
        const auto [end, error] = std::from_chars(index.data(), index.data() + index.size(), at);
        if (error != std::errc() || end != index.data() + index.size() || at >= m_sharedStrings.size())
            ThrowDamaged("a cell of the part " + FileText(part.name) + " names the shared string \"" +
                             FileText(index) + "\", which the workbook does not hold",
                         part.name, site.offset);
        return m_sharedStrings[at];
    }

    // The text of each comment of a comments part, in document order.
    void readComments(const std::string& name, const Sheet& sheet, SlideContent& slide) {
        const auto part = ReadXmlPart(*m_zip, name, workbookRules());
        if (!part)
            return;
        const XmlTree& xml = part->tree;
        if (!isElement(xml, xml.root(), "comments"))
            ThrowDamaged("the part " + FileText(name) + " holds no comments", name);
        const auto list = ChildElement(xml, xml.root(), Ns::Spreadsheet, "commentList");
        if (list == XmlTree::kNone)
            return;
        forEachChild(xml, list, "comment", [&](XmlTree::Id comment) {
            if (const auto text = ChildElement(xml, comment, Ns::Spreadsheet, "text"); text != XmlTree::kNone)
                place(slide, TextPlace::Comment, sheet, stringItemText(xml, text));
        });
    }

    // The addresses of the sheet's mailto: links, each link once.
    void readLinks(const XmlPart& part, const ooxml::PartRelations& relations, const Sheet& sheet,
                   SlideContent& slide) {
        const XmlTree& xml = part.tree;
        const auto links = ChildElement(xml, xml.root(), Ns::Spreadsheet, "hyperlinks");
        if (links == XmlTree::kNone)
            return;
        std::unordered_set<std::string_view> done;
        forEachChild(xml, links, "hyperlink", [&](XmlTree::Id link) {
            const auto id = xml.attribute(link, Ns::Relationships, "id");
            if (!id.found || !done.insert(id.text).second)
                return;
            if (auto address = ooxml::MailtoLinkAddress(relations, id.text))
                place(slide, TextPlace::Link, sheet, std::move(*address));
        });
    }

    std::unique_ptr<ByteSource> m_source;
    std::unique_ptr<ZipPackage> m_zip;
    std::vector<Sheet> m_sheets;
    std::vector<std::string> m_sharedStrings;
    ShapeBudget m_budget;
    ReadOptions m_options; // the embedding page's budget bounds each part's text
};

std::unique_ptr<PresentationDocument> open(FormatProbe& probe, ReadOptions options) {
    auto zip = probe.takeZip();
    if (!zip)
        ThrowNotPresentation("it is no zip archive");
    return std::make_unique<WorkbookDocument>(probe.takeSource(), std::move(zip), std::move(options));
}

} // namespace

const PresentationFormat kFormat{"workbook", "spreadsheet", kExtensions, kMimeTypes, bid, open};

} // namespace orv::sheet
