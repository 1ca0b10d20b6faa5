#pragma once

// Writes workbooks (.xlsx) and text documents (.docx) for the tests of their
// readers: each part's content is given as markup, and the package around it
// (content types, relationships, the main part's lists) is written here.
// Entries may be replaced or dropped afterwards (WithPart, WithoutPart) to
// damage a package; ZipBytes() makes the bytes.
//
//   orv::test::Workbook book;
//   book.sharedStrings = {"<t>hello</t>"};
//   book.sheets = {{"Names", RowXml({SharedStringCell("A1", 0)})}};
//   const std::string bytes = ZipBytes(WorkbookEntries(book));

#include "extract/model/PresentationFormat.h"
#include "support/PptxBuilder.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orv::test {

// SpreadsheetML cells; `ref` is the cell's reference ("B2"). CellXml writes
// a value of any type ("" for a number, "b", "e", "d", "s").
std::string CellXml(std::string_view ref, std::string_view type, std::string_view value);
std::string SharedStringCell(std::string_view ref, std::size_t index);
std::string InlineStringCell(std::string_view ref, std::string_view text);
std::string FormulaStringCell(std::string_view ref, std::string_view formula, std::string_view result);
std::string RowXml(const std::vector<std::string>& cells);

struct WorkbookSheet {
    std::string name;
    std::string rows;                    // the sheetData's content
    std::string comments = {};           // the commentList's content; no comments part when empty
    std::vector<std::string> links = {}; // hyperlink targets, each on cell A1, relationships external
    bool chartSheet = false;             // a chart sheet: no cells, a part of its own kind
};

// Sheets are listed in the given order; their parts are numbered and their
// relationships ordered the other way round, so a reader that goes by part
// names or relationship order gets the order wrong.
struct Workbook {
    std::vector<std::string> sharedStrings = {}; // each <si>'s content; no part when empty
    std::vector<WorkbookSheet> sheets = {};
    bool strict = false;
    std::string mainContentType = {}; // the usual one when empty
};
std::vector<ZipEntry> WorkbookEntries(const Workbook& workbook);

// A WordprocessingML paragraph of one run of text.
std::string WordParagraph(std::string_view text);

// Headers and footers are written to parts numbered the other way round,
// and their relationships interleaved (header, footer, header ...).
struct WordDocument {
    std::string body;                      // the w:body's content
    std::vector<std::string> headers = {}; // each part's content
    std::vector<std::string> footers = {}; // each part's content
    std::string footnotes = {};            // the part's content; no part when empty
    std::string endnotes = {};             // the part's content; no part when empty
    std::string comments = {};             // the part's content; no part when empty
    std::vector<std::string> links = {};   // targets of the main part's relationships link1, link2 ...
    bool strict = false;
    std::string mainContentType = {}; // the usual one when empty
};
std::vector<ZipEntry> WordDocumentEntries(const WordDocument& document);

// The entries with the part `name` replaced by (or added as) `bytes`, or
// without it.
std::vector<ZipEntry> WithPart(std::vector<ZipEntry> entries, const std::string& name, std::string bytes);
std::vector<ZipEntry> WithoutPart(std::vector<ZipEntry> entries, const std::string& name);

// What the record's own open reads from the bytes (through a FormatProbe over
// them), page by page: each text as "<page>|<place>|<name>|<text>", each
// skipped piece as "<page>|skipped|<part>|<kind>", and a failure, last, as
// "failed|<kind>".
std::vector<std::string> ReadLines(const PresentationFormat& format, const std::string& bytes);
// The record's bid on the bytes, or -1 when it throws.
int BidOn(const PresentationFormat& format, const std::string& bytes);

} // namespace orv::test
