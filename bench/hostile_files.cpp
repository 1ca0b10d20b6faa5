// Writes presentations built to exhaust a reader, one file per kind, each at
// most a few megabytes, for bench/run_hostile_bench.sh:
//
//   hostile_files OUT_DIR
//
// Next to them it writes good.pptx and good.pdf, which the script reads after
// each one.
#include "support/HostileFiles.h"
#include "support/OdpBuilder.h"
#include "support/PdfBuilder.h"
#include "support/PptxBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace orv::test;

struct Kind {
    const char* name;
    std::function<std::string()> make;
};

std::string manySlides(std::size_t count) {
    PptxBuilder b;
    for (std::size_t i = 0; i < count; ++i)
        b.addSlide().addTextBox({"s" + std::to_string(i) + "@example.com"});
    return b.bytes();
}

// OpenDocument decks with one slide holding `xml`, as a package or flat.
std::string odpWith(const std::string& xml, bool flat = false) {
    OdpBuilder b;
    b.addSlide().addRawXml(xml);
    b.addSlide().addTextBox({"after@example.com"});
    return flat ? b.flatBytes() : b.bytes();
}

std::string repeated(const std::string& unit, std::size_t count) {
    std::string out;
    out.reserve(unit.size() * count);
    for (std::size_t i = 0; i < count; ++i)
        out += unit;
    return out;
}

std::string odpNested(std::size_t depth, bool flat = false) {
    return odpWith("<draw:custom-shape><text:p>" + repeated("<text:span>", depth) + "x" +
                       repeated("</text:span>", depth) + "</text:p></draw:custom-shape>",
                   flat);
}

std::string odpElements(std::size_t count) {
    std::string elements;
    for (std::size_t i = 0; i < count; ++i) {
        elements += "<a/>";
        if (i % 100 == 0) // text that keeps the part within the compression ratio
            elements += std::to_string(i * 7919 % 1'000'003);
    }
    return odpWith(elements);
}

std::string odpAttributes(std::size_t count) {
    std::string attributes;
    for (std::size_t i = 0; i < count; ++i)
        attributes += " a" + std::to_string(i) + "=\"\"";
    return odpWith("<draw:custom-shape" + attributes + "/>");
}

std::string odpNamespaces(std::size_t prefixes, std::size_t elements) {
    std::string declarations;
    for (std::size_t i = 0; i < prefixes; ++i)
        declarations += " xmlns:p" + std::to_string(i) + "=\"urn:p" + std::to_string(i) + "\"";
    return odpWith(
        repeated("<draw:custom-shape" + declarations + "><text:p>x</text:p></draw:custom-shape>", elements));
}

// Nested spans that each declare `prefixes` prefixes, and inside them `inner`
// spans that each declare one more: a name look-up that walked the bindings
// in scope would walk them all for every inner span.
std::string odpNamespaceChain(std::size_t outer, std::size_t prefixes, std::size_t inner, bool flat = false) {
    std::string declarations;
    for (std::size_t i = 0; i < prefixes; ++i)
        declarations += " xmlns:c" + std::to_string(i) + "=\"urn:c" + std::to_string(i) + "\"";
    return odpWith("<draw:custom-shape><text:p>" + repeated("<text:span" + declarations + ">", outer) +
                       repeated("<text:span xmlns:q=\"urn:q\">x<text:s/></text:span>", inner) +
                       repeated("</text:span>", outer) + "</text:p></draw:custom-shape>",
                   flat);
}

// `pages` slides, each asking for `spaces` spaces in a few bytes.
std::string odpSpacesOnEveryPage(std::size_t pages, std::size_t spaces) {
    OdpBuilder b;
    for (std::size_t i = 0; i < pages; ++i)
        b.addSlide().addRawXml("<draw:custom-shape><text:p>a<text:s text:c=\"" + std::to_string(spaces) +
                               "\"/>b</text:p></draw:custom-shape>");
    return b.bytes();
}

// One slide with `count` links, each to another address.
std::string odpLinks(std::size_t count) {
    std::string links;
    for (std::size_t i = 0; i < count; ++i)
        links += "<text:a xlink:href=\"mailto:a" + std::to_string(i) + "@example.com\">x</text:a>";
    return odpWith("<draw:custom-shape><text:p>" + links + "</text:p></draw:custom-shape>");
}

// A deck whose content part is UTF-16 and holds a shape of `chars` characters.
std::string odpUtf16Content(std::size_t chars) {
    // A few thousand letters over and over: compressed as an office suite
    // would, well below a zip bomb's ratio.
    std::string pattern;
    for (std::size_t i = 0; i < 3000; ++i)
        pattern += static_cast<char>('a' + (i * 7919 + i / 13) % 26);
    std::string text;
    text.reserve(chars);
    while (text.size() < chars)
        text += pattern;
    text.resize(chars);
    OdpBuilder b;
    b.addSlide().addRawXml("<draw:custom-shape><text:p>" + text + "</text:p></draw:custom-shape>");
    const std::string utf8 = b.contentXml();
    std::string utf16 = "\xFF\xFE";
    utf16.reserve(2 + utf8.size() * 2);
    for (const char c : utf8) {
        utf16 += c;
        utf16 += '\0';
    }
    b.setPart("content.xml", std::move(utf16));
    return b.bytes();
}

// Runs of text and CDATA sections by turns in one shape.
std::string odpCdataRuns(std::size_t runs) {
    std::string text;
    for (std::size_t i = 0; i < runs; ++i) {
        text += i % 2 == 0 ? "a" : "<![CDATA[b]]>";
        if (i % 100 == 0)
            text += std::to_string(i * 7919 % 1'000'003);
    }
    return odpWith("<draw:custom-shape><text:p>" + text + "</text:p></draw:custom-shape>");
}

// Start tags never closed after the content's document element.
std::string odpTagsAfterRoot(std::size_t tags) {
    OdpBuilder b;
    b.addSlide().addTextBox({"x@example.com"});
    std::string content = b.contentXml();
    for (std::size_t i = 0; i < tags; ++i)
        content += "<a" + std::to_string(i % 1000) + ">";
    b.setPart("content.xml", std::move(content));
    return b.bytes();
}

// An element named as the skipped notes but in the drawing namespace.
std::string odpForeignNotes(std::size_t attributes) {
    std::string notes = "<draw:notes";
    for (std::size_t i = 0; i < attributes; ++i)
        notes += " a" + std::to_string(i) + "=\"\"";
    return odpWith(notes + "/><draw:custom-shape><text:p>keep@example.com</text:p></draw:custom-shape>");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: hostile_files OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    const std::vector<Kind> kinds = {
        {"zip-entries-50000.pptx", [] { return PackageWithZipEntries(50'000); }},
        {"embeds-16-copies-3-deep.pptx", [] { return PackageEmbeddingCopies(16, 3); }},
        {"embeds-40-decks-of-30MiB.pptx", [] { return PackageEmbeddingLargeDecks(40, 30u << 20); }},
        {"embeds-40-decks-of-15MiB.pptx", [] { return PackageEmbeddingLargeDecks(40, 15u << 20); }},
        {"embeds-16-decks-of-2x16MiB.pptx",
         [] { return PackageEmbeddingLargeDecks(16, 2 * ((16u << 20) - 8192), 2); }},
        {"layouts-8x60MiB.pptx", [] { return PackageWithLayoutText(8, 60u << 20); }},
        {"text-16MiB.pptx", [] { return PackageWithSlideText(16u << 20); }},
        {"alt-text-17MiB.pptx", [] { return PackageWithAltText(17u << 20); }},
        {"odp-inline-documents-6-deep.fodp", [] { return FlatOdpNestingDocuments(6, 1); }},
        {"odp-inline-documents-21.fodp", [] { return FlatOdpNestingDocuments(2, 20); }},
        {"odp-subdocuments-6-deep.odp", [] { return OdpNestingSubDocuments(6, 1); }},
        {"embeds-100000-missing-parts.pptx", [] { return PackageReferringToMissingEmbeddings(100'000); }},
        {"shared-records-300x4MiB.pptx", [] { return PackageWithSharedRecords(300, 400'000); }},
        {"shared-records-10000.pptx", [] { return PackageWithSharedRecords(10'000); }},
        {"slide-list-50001.pptx", [] { return PackageWithSlides(50'001); }},
        {"slides-3000.pptx", [] { return manySlides(3000); }},
        {"shapes-100001-on-a-slide.pptx", [] { return PackageWithShapes(100'001, 1); }},
        {"shapes-40x100000.pptx", [] { return PackageWithShapes(100'000, 40); }},
        {"shapes-9x100000.pptx", [] { return PackageWithShapes(100'000, 9); }},
        {"text-16MiB-plus-1.pptx", [] { return PackageWithSlideText((16u << 20) + 1); }},
        {"text-40x12MiB.pptx", [] { return PackageWithTextSlides(40, 12u << 20); }},
        {"attributes-1400000.pptx", [] { return PackageWithAttributes(1'400'000); }},
        {"attributes-12000000.pptx", [] { return PackageWithAttributes(12'000'000); }},
        {"text-runs-8x6000000.pptx", [] { return PackageWithTextRuns(8, 6'000'000, false); }},
        {"text-runs-8x1499900.pptx", [] { return PackageWithTextRuns(8, 1'499'900, false); }},
        {"text-runs-58x1499900.pptx", [] { return PackageWithTextRuns(58, 1'499'900, false); }},
        {"cdata-runs-8x1499900.pptx", [] { return PackageWithTextRuns(8, 1'499'900, true); }},
        {"tags-after-root-7000000.pptx", [] { return PackageWithTagsAfterRoot(7'000'000); }},
        {"utf16-cjk-slide-63MiB.pptx", [] { return PackageWithUtf16Slide(33'000'000); }},
        {"utf16-cjk-slide-43MiB.pptx", [] { return PackageWithUtf16Slide(22'300'000); }},
        {"foreign-rPr-800000.pptx", [] { return PackageWithForeignRunProperties(800'000); }},
        {"relationships-100001.pptx", [] { return PackageWithRelationships(100'001); }},
        {"namespaces-996x2000.pptx", [] { return PackageWithNamespaces(996, 2000); }},
        {"case-mismatched-3000.pptx", [] { return PackageWithCaseMismatchedNames(3000); }},
        {"deep-nesting-700000.pptx", [] { return PackageWithDeepNesting(700'000); }},
        {"forged-target.pptx", [] { return PackageWithForgedTarget(); }},
        {"huge-target-1MB.pptx", [] { return PackageWithHugeTarget(1'000'000); }},
        {"zip64-size-2^64-1.pptx", [] { return PackageWithHugePartSize(); }},
        {"record-length-FFFFFFFF.ppt", [] { return BinaryWithRecordLength(0xFFFFFFFF); }},
        {"damaged-current-user.ppt", [] { return BinaryWithDamagedCurrentUser(); }},
        {"binary-shapes-100001.ppt", [] { return BinaryWithShapes(100'001, 1); }},
        {"binary-shapes-10x10000.ppt", [] { return BinaryWithShapes(10'000, 10); }},
        {"odp-deep-nesting-700000.odp", [] { return odpNested(700'000); }},
        {"odp-deep-nesting-200000.fodp", [] { return odpNested(200'000, true); }},
        {"odp-elements-1600000.odp", [] { return odpElements(1'600'000); }},
        {"odp-attributes-1400000.odp", [] { return odpAttributes(1'400'000); }},
        {"odp-shapes-100001.odp", [] { return odpWith(repeated("<draw:rect/>", 100'001)); }},
        {"odp-text-16MiB-plus-1.odp",
         [] {
             return odpWith("<draw:rect><text:p>" + std::string((16u << 20) + 1, 'x') +
                            "</text:p></draw:rect>");
         }},
        {"odp-spaces-2^64.odp",
         [] {
             return odpWith(
                 "<draw:rect><text:p><text:s text:c=\"18446744073709551615\"/></text:p></draw:rect>");
         }},
        {"odp-namespaces-1001x2000.odp", [] { return odpNamespaces(1001, 2000); }},
        {"odp-namespace-chain-95x1000.odp", [] { return odpNamespaceChain(95, 1000, 100'000); }},
        {"odp-namespace-chain-95x1000.fodp", [] { return odpNamespaceChain(95, 1000, 40'000, true); }},
        {"odp-spaces-50000-pages.odp", [] { return odpSpacesOnEveryPage(50'000, 16'777'152); }},
        {"odp-links-100000.odp", [] { return odpLinks(100'000); }},
        {"odp-utf16-content-63MiB.odp", [] { return odpUtf16Content(33'000'000); }},
        {"odp-cdata-runs-1499900.odp", [] { return odpCdataRuns(1'499'900); }},
        {"odp-tags-after-root-7000000.odp", [] { return odpTagsAfterRoot(7'000'000); }},
        {"odp-foreign-notes-800000.odp", [] { return odpForeignNotes(800'000); }},
        {"odp-references-7000000.odp",
         [] {
             return odpWith("<draw:rect><text:p>" + repeated("&#x1F600;", 7'000'000) +
                            "</text:p></draw:rect>");
         }},
        {"key09-slides-100000.key", [] { return Keynote09WithSlides(100'000); }},
        {"key09-text-100MiB.key", [] { return Keynote09WithText(100u << 20); }},
        {"key09-nested-spans-100000.key", [] { return Keynote09WithNestedSpans(100'000); }},
        {"key09-entities-10x9.key", [] { return Keynote09WithEntityExpansion(9); }},
        {"key-master-chunk-claims-4GiB.key",
         [] { return KeynoteWithChunkClaiming("Index/MasterSlide-1.iwa", 4ull << 30); }},
        {"key-slide-chunk-claims-4GiB.key",
         [] { return KeynoteWithChunkClaiming("Index/Slide-2.iwa", 4ull << 30); }},
        {"key-master-inflates-100MiB.key",
         [] { return KeynoteWithPartInflating("Index/MasterSlide-1.iwa", 100u << 20); }},
        {"key-slide-inflates-100MiB.key",
         [] { return KeynoteWithPartInflating("Index/Slide-2.iwa", 100u << 20); }},
        {"key-master-objects-1000001.key",
         [] { return KeynoteWithObjects("Index/MasterSlide-1.iwa", 1'000'001); }},
        {"key-slide-objects-1000001.key", [] { return KeynoteWithObjects("Index/Slide-2.iwa", 1'000'001); }},
        {"key-master-parts-20000.key", [] { return KeynoteWithMasterParts(20'000); }},
        {"pdf-nested-objects-100000.pdf", [] { return PdfWithNestedObjects(100'000); }},
        {"pdf-nested-content-arrays-100000.pdf", [] { return PdfWithNestedContentArrays(100'000); }},
        {"pdf-page-tree-kids-itself.pdf", [] { return PdfWithLoopingPageTree(false); }},
        {"pdf-page-tree-kids-ancestor.pdf", [] { return PdfWithLoopingPageTree(true); }},
        {"pdf-pages-100000.pdf", [] { return PdfWithPages(100'000); }},
        {"pdf-links-100000.pdf", [] { return PdfWithLinks(100'000); }},
        {"pdf-text-operators-100MiB.pdf", [] { return PdfWithTextOperators(100u << 20); }},
        {"pdf-tounicode-all-at-20MiB.pdf", [] { return PdfWithOneCharacterFont('@', 20u << 20); }},
        {"pdf-tounicode-all-a-20MiB.pdf", [] { return PdfWithOneCharacterFont('a', 20u << 20); }},
        {"pdf-xref-into-itself.pdf", [] { return PdfWithXrefIntoItself(); }},
        {"pdf-xref-prev-cycle.pdf", [] { return PdfWithXrefChain(1, true); }},
        {"pdf-xref-prev-loop-50000.pdf", [] { return PdfWithXrefChain(50'000, true); }},
        {"pdf-xref-prev-chain-50000.pdf", [] { return PdfWithXrefChain(50'000, false); }},
    };
    for (const Kind& kind : kinds) {
        const std::string bytes = kind.make();
        std::ofstream(out / kind.name, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::printf("%-34s %9zu bytes\n", kind.name, bytes.size());
    }
    PptxBuilder good;
    good.addSlide().addTextBox({"good@example.com"});
    good.writeTo(out / "good.pptx");
    PdfBuilder goodPdf;
    goodPdf.addPage().text(72, 700, 12, "pdf.good@example.com");
    goodPdf.writeTo(out / "good.pdf");
    std::filesystem::copy_file(ORVANDEL_SOURCE_DIR "/tests/data/keynote/planted2018.key", out / "good.key",
                               std::filesystem::copy_options::overwrite_existing);
    // A name that would forge a line if printed raw, holding an empty file.
    std::ofstream(out / "evil.pptx\nquarterly.pptx");
    return 0;
}
