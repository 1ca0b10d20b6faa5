#pragma once

// Presentations built to exhaust a reader: each kind takes the size that
// matters as a parameter, so tests make files just over a limit and the
// benchmark's generator makes large ones. Package parts are XML strings
// written with PptxBuilder or, where the zip itself must lie, RawZipBytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv::test {

// `unit` `times` over, made at once: the bulk of a hostile file.
std::string Repeated(std::string_view unit, std::size_t times);

// A zip written byte by byte, every entry stored (no compression), so that
// its directory can say what no honest writer would.
struct RawZipEntry {
    std::string name;
    std::string data;
    std::optional<std::size_t> shareRecordOf; // the directory points at that entry's local record
    bool claimHugeSize = false;               // zip64 sizes of 2^64 - 1 in the directory
    bool deflate = false;
};
std::string RawZipBytes(const std::vector<RawZipEntry>& entries);

// One package per kind.
std::string PackageWithZipEntries(std::size_t entries); // a good deck plus empty entries
// Every slide entry shares one record: a slide of `shapes` empty shapes.
std::string PackageWithSharedRecords(std::size_t slides, std::size_t shapes = 1);
std::string PackageWithSlides(std::size_t slides); // a slide list naming that many slides
std::string PackageWithShapes(std::size_t perSlide, std::size_t slides); // shapes without text
std::string PackageWithSlideText(std::size_t bytes); // one shape, one run of this much text
std::string PackageWithTextSlides(std::size_t slides, std::size_t bytesPerSlide); // deflated well
std::string PackageWithDeepNesting(std::size_t depth);           // nested elements in one shape
std::string PackageWithAttributes(std::size_t attributes);       // on empty shapes of one slide
std::string PackageWithRelationships(std::size_t relationships); // in the main part's relationships
std::string PackageWithNamespaces(std::size_t declarations, std::size_t choices); // on the root with 4 more
// Runs of character data in one text of a shape, `runs` on each of
// `slides` slides: letters between processing instructions, or (`cdata`)
// letters and CDATA sections by turns.
std::string PackageWithTextRuns(std::size_t slides, std::size_t runs, bool cdata);
std::string PackageWithTagsAfterRoot(std::size_t tags);    // start tags never closed, after the slide's
std::string PackageWithUtf16Slide(std::size_t characters); // CJK text on a slide written in UTF-16
// A run's properties in a namespace no walk skips, with this many
// attributes, beside the address keep@example.com.
std::string PackageWithForeignRunProperties(std::size_t attributes);
std::string PackageWithCaseMismatchedNames(std::size_t slides); // directory names in other letter case
std::string PackageWithForgedTarget();                          // control characters in a slide target
std::string PackageWithHugeTarget(std::size_t bytes);           // a slide target of this length
std::string PackageWithHugePartSize();                          // zip64 size 2^64 - 1 on a slide
// Embedded documents (read with all text only): `copies` copies of a deck on
// one slide, each embedding `copies` copies of one ... `depth` levels down.
std::string PackageEmbeddingCopies(std::size_t copies, int depth);
// `count` embedded decks, each with `slides` slides of text, deflated well,
// that inflate to `bytesEach` in all.
std::string PackageEmbeddingLargeDecks(std::size_t count, std::size_t bytesEach, std::size_t slides = 4);
// A slide whose relationships name `count` embedded packages, each a part of
// its own that the package does not hold.
std::string PackageReferringToMissingEmbeddings(std::size_t count);
// What only all text reads, each beside a slide showing keep@example.com:
// `layouts` layouts, each one shape of `bytes` of text, deflated well;
std::string PackageWithLayoutText(std::size_t layouts, std::size_t bytes);
// a shape whose alternative text (its description) is `bytes` long.
std::string PackageWithAltText(std::size_t bytes);
// OpenDocument documents embedded in one another, `depth` levels, each
// showing `width` documents of its own (level N's text "levelN@example.com"):
// inline in a flat file, or as sub-documents in sub-documents of a package
// ("Object 1/Object 1/content.xml").
std::string FlatOdpNestingDocuments(std::size_t depth, std::size_t width);
std::string OdpNestingSubDocuments(std::size_t depth, std::size_t width);
std::string BinaryWithRecordLength(std::uint32_t length); // newest edit record's length field
std::string BinaryWithDamagedCurrentUser();
std::string BinaryWithShapes(std::size_t perSlide, std::size_t slides);

// PDF files (HostilePdfFiles.cpp), each with a page showing an address
// unless the kind is about having none.
std::string PdfWithNestedObjects(std::size_t depth);       // arrays and dictionaries by turns, in the page
std::string PdfWithNestedContentArrays(std::size_t depth); // arrays in one operand of the page's text
// A page tree node whose kids hold the node itself, or (`throughAncestor`)
// a node below it whose kids hold it.
std::string PdfWithLoopingPageTree(bool throughAncestor);
std::string PdfWithPages(std::size_t count); // in object streams, sharing one content stream
std::string PdfWithLinks(std::size_t count); // on one page, each to another address
// One page whose content stream inflates to `inflatedBytes` of text shown
// line by line, a few hundred KB deflated.
std::string PdfWithTextOperators(std::size_t inflatedBytes);
// A font whose ToUnicode map sends every code to `target`, showing
// `textBytes` of addresses.
std::string PdfWithOneCharacterFont(char target, std::size_t textBytes);
// Every object's cross-reference offset points at the table itself, as does
// the trailer's /Prev.
std::string PdfWithXrefIntoItself();
// `sections` empty cross-reference sections after the real one, each the
// next one's /Prev; with `loop`, the real one's /Prev is the newest.
std::string PdfWithXrefChain(std::size_t sections, bool loop);

// Keynote '09 decks (HostileKeynoteFiles.cpp), made from the sample
// tests/data/keynote/planted09.key, whose first slide shows an address.
std::string Keynote09WithSlides(std::size_t count);           // empty slides after the sample's
std::string Keynote09WithText(std::size_t bytes);             // the first title's text so long
std::string Keynote09WithNestedSpans(std::size_t depth);      // in the first title
std::string Keynote09WithEntityExpansion(std::size_t levels); // ten references a level, in the title
// Decks of the current format, made from tests/data/keynote/planted2013.key,
// one part replaced or added: `part` is "Index/MasterSlide-1.iwa" for the
// master slides read here, "Index/Slide-2.iwa" (the first slide, with the
// address) for the library's.
std::string KeynoteWithChunkClaiming(const std::string& part, std::uint64_t inflatedBytes); // nothing follows
std::string KeynoteWithPartInflating(const std::string& part, std::size_t inflatedBytes);   // one storage
std::string KeynoteWithObjects(const std::string& part, std::size_t count);                 // empty storages
std::string KeynoteWithMasterParts(std::size_t count); // each a storage with an address

} // namespace orv::test
