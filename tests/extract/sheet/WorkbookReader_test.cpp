// Workbooks as a deck embeds them: each worksheet's cell texts in row order,
// then its comments and links; damaged and hostile workbooks refused by kind.
#include "extract/sheet/WorkbookReader.h"
#include "support/OfficeDocuments.h"
#include "support/PptxBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv {
namespace {

using test::CellXml;
using test::FormulaStringCell;
using test::InlineStringCell;
using test::RowXml;
using test::SharedStringCell;
using test::Workbook;
using test::WorkbookEntries;
using test::WorkbookSheet;
using Lines = std::vector<std::string>;

std::string bytesOf(const Workbook& book) {
    return test::ZipBytes(WorkbookEntries(book));
}

std::string withPart(const Workbook& book, const std::string& name, std::string bytes) {
    return test::ZipBytes(test::WithPart(WorkbookEntries(book), name, std::move(bytes)));
}

// One sheet named "S" holding one row of cells.
Workbook oneSheet(std::vector<std::string> cells, std::vector<std::string> sharedStrings = {}) {
    return {std::move(sharedStrings), {{"S", RowXml(cells)}}};
}

// A sheet of `cells` cells, each naming the one shared string.
std::string hugeSheet(std::size_t cells) {
    std::string rows = "<row>";
    for (std::size_t i = 0; i < cells; ++i)
        rows += "<c t=\"s\"><v>0</v></c>";
    return withPart(
        oneSheet({}, {"<t>x</t>"}), "xl/worksheets/sheet1.xml",
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + rows +
            "</row></sheetData></worksheet>");
}

struct Case {
    const char* name;
    std::string bytes;
    Lines expected;
};

TEST(WorkbookReader, ReadsTheTextOfEachSheet) {
    const Workbook kinds = oneSheet(
        {SharedStringCell("A1", 0), CellXml("B1", "", "42"), InlineStringCell("C1", "inline\nsecond line"),
         FormulaStringCell("D1", "A1&\"!\"", "shared!"), CellXml("E1", "b", "1"), CellXml("F1", "e", "#N/A"),
         CellXml("G1", "d", "2024-01-01"), SharedStringCell("H1", 1)},
        {"<t>shared</t>",
         "<r><rPr><b/></rPr><t>ri</t></r><r><t>ch</t></r><rPh sb=\"0\" eb=\"1\"><t>yomi</t></rPh>"});
    Workbook order;
    order.sheets = {
        {"First", RowXml({InlineStringCell("A1", "one")})},
        {"Chart", "", {}, {}, true},
        {"Empty", ""},
        {"Last", RowXml({InlineStringCell("A1", "last")}) + RowXml({InlineStringCell("A2", "row 2")})}};
    Workbook extras = oneSheet({InlineStringCell("A1", "cell")});
    extras.sheets[0].comments =
        "<comment ref=\"A1\" authorId=\"0\"><text><r><t xml:space=\"preserve\">note </t>"
        "</r><r><t>to a@example.com</t></r></text></comment>";
    extras.sheets[0].links = {"mailto:b%40example.com?subject=x", "https://example.com/"};
    Workbook strict =
        oneSheet({SharedStringCell("A1", 0), InlineStringCell("B1", "inline")}, {"<t>shared</t>"});
    strict.strict = true;
    const Workbook damagedComments = extras;

    const Case cases[] = {
        {"cell kinds",
         bytesOf(kinds),
         {"1|shape|S|shared", "1|shape|S|inline\vsecond line", "1|shape|S|shared!", "1|shape|S|rich"}},
        {"sheets in list order, chart sheets left out",
         bytesOf(order),
         {"1|shape|First|one", "3|shape|Last|last", "3|shape|Last|row 2"}},
        {"comments and links after the cells",
         bytesOf(extras),
         {"1|shape|S|cell", "1|comment|S|note to a@example.com", "1|link|S|b@example.com"}},
        {"strict namespaces", bytesOf(strict), {"1|shape|S|shared", "1|shape|S|inline"}},
        {"empty workbook", bytesOf(Workbook{}), {}},
        {"damaged comments are skipped",
         withPart(damagedComments, "xl/comments1.xml", "<comments"),
         {"1|shape|S|cell", "1|link|S|b@example.com", "1|skipped|xl/comments1.xml|damaged"}},
        {"shared string out of range",
         bytesOf(oneSheet({SharedStringCell("A1", 1)}, {"<t>only</t>"})),
         {"failed|damaged"}},
        {"shared string index not a number",
         bytesOf(oneSheet({CellXml("A1", "s", "1x")}, {"<t>only</t>"})),
         {"failed|damaged"}},
        {"sheet part missing",
         test::ZipBytes(test::WithoutPart(WorkbookEntries(order), "xl/worksheets/sheet1.xml")),
         {"failed|damaged"}},
        {"sheet names no relationship",
         withPart(order, "xl/_rels/workbook.xml.rels",
                  "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>"),
         {"failed|damaged"}},
        {"workbook not well-formed", withPart(order, "xl/workbook.xml", "<workbook>"), {"failed|damaged"}},
        {"sheet is no worksheet",
         withPart(order, "xl/worksheets/sheet1.xml",
                  "<chartsheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"/>"),
         {"1|shape|First|one", "failed|damaged"}},
        {"a text document", test::ZipBytes(test::WordDocumentEntries({})), {"failed|not a presentation"}},
        {"a sheet of two million cells", hugeSheet(2'000'000), {"failed|over a limit"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::ReadLines(sheet::kFormat, c.bytes), c.expected) << c.name;
}

} // namespace
} // namespace orv
