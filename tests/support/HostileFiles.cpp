#include "support/HostileFiles.h"

#include "support/CompoundFileBuilder.h"
#include "support/OdpBuilder.h"
#include "support/PptBuilder.h"
#include "support/PptxBuilder.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <memory>

namespace orv::test {

namespace {

std::uint32_t crc32(const std::string& data) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const unsigned char byte : data)
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void le16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void le32(std::string& out, std::uint32_t v) {
    le16(out, v & 0xFFFF);
    le16(out, v >> 16);
}
void le64(std::string& out, std::uint64_t v) {
    le32(out, static_cast<std::uint32_t>(v));
    le32(out, static_cast<std::uint32_t>(v >> 32));
}

constexpr std::string_view kSlideRoot =
    R"(<p:sld xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main")"
    R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")"
    R"( xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main")"
    R"( xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006")";

std::string slideXml(std::string_view attributes, const std::string& tree) {
    return std::string(kSlideRoot) + std::string(attributes) + "><p:cSld><p:spTree>" + tree +
           "</p:spTree></p:cSld></p:sld>";
}

// Text that deflates only a few times over, so that a large slide of it is
// not taken for a zip bomb: random letters from a two-letter alphabet.
std::string lowEntropyText(std::size_t bytes) {
    std::string out(bytes, 'a');
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (auto& c : out) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        c = (state >> 63) ? 'a' : 'b';
    }
    return out;
}

std::string relationshipsXml(const std::string& body) {
    return "<?xml version=\"1.0\"?><Relationships "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
           body + "</Relationships>";
}

std::string slideRelationship(const std::string& id, const std::string& target) {
    return "<Relationship Id=\"" + id +
           "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/slide\" Target=\"" +
           XmlEscape(target) + "\"/>";
}

// A one-slide deck whose slide relationship points at `target`.
std::string deckWithSlideTarget(const std::string& target) {
    PptxBuilder b;
    b.addSlide().addTextBox({"x@example.com"});
    b.setPart("ppt/_rels/presentation.xml.rels", relationshipsXml(slideRelationship("rId100", target)));
    return b.bytes();
}

std::vector<RawZipEntry> rawEntriesOf(const PptxBuilder& b, bool deflate = false) {
    std::vector<RawZipEntry> out;
    for (const auto& entry : b.entries())
        out.push_back({entry.name, entry.data, {}, false, deflate});
    return out;
}

} // namespace

std::string deflated(const std::string& data) {
    const std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(6), &libdeflate_free_compressor);
    std::string out(libdeflate_deflate_compress_bound(compressor.get(), data.size()), '\0');
    out.resize(
        libdeflate_deflate_compress(compressor.get(), data.data(), data.size(), out.data(), out.size()));
    return out;
}

std::string RawZipBytes(const std::vector<RawZipEntry>& entries) {
    std::string out;
    std::vector<std::uint64_t> offsets;
    std::vector<std::uint64_t> storedSizes;
    for (const auto& e : entries) {
        offsets.push_back(out.size());
        storedSizes.push_back(0);
        if (e.shareRecordOf)
            continue;
        const std::string stored = e.deflate ? deflated(e.data) : e.data;
        storedSizes.back() = stored.size();
        le32(out, 0x04034b50);
        le16(out, 20), le16(out, 0x0800), le16(out, e.deflate ? 8 : 0), le16(out, 0), le16(out, 0x21);
        le32(out, crc32(e.data)), le32(out, static_cast<std::uint32_t>(stored.size()));
        le32(out, static_cast<std::uint32_t>(e.data.size()));
        le16(out, static_cast<std::uint32_t>(e.name.size())), le16(out, 0);
        out += e.name;
        out += stored;
    }
    const std::uint64_t directory = out.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        const std::size_t owner = e.shareRecordOf ? *e.shareRecordOf : i;
        const auto& stored = entries[owner];
        const std::uint64_t offset = offsets[owner];
        le32(out, 0x02014b50);
        le16(out, 45), le16(out, 45), le16(out, 0x0800), le16(out, stored.deflate ? 8 : 0), le16(out, 0);
        le16(out, 0x21);
        le32(out, crc32(stored.data));
        le32(out, e.claimHugeSize ? 0xFFFFFFFFu : static_cast<std::uint32_t>(storedSizes[owner]));
        le32(out, e.claimHugeSize ? 0xFFFFFFFFu : static_cast<std::uint32_t>(stored.data.size()));
        le16(out, static_cast<std::uint32_t>(e.name.size()));
        le16(out, e.claimHugeSize ? 20 : 0);
        le16(out, 0), le16(out, 0), le16(out, 0), le32(out, 0);
        le32(out, static_cast<std::uint32_t>(offset));
        out += e.name;
        if (e.claimHugeSize) {
            le16(out, 0x0001), le16(out, 16);
            le64(out, ~0ull), le64(out, ~0ull);
        }
    }
    const std::uint64_t directorySize = out.size() - directory;
    const std::uint64_t count = entries.size();
    if (count > 0xFFFF) {
        const std::uint64_t zip64End = out.size();
        le32(out, 0x06064b50), le64(out, 44), le16(out, 45), le16(out, 45), le32(out, 0), le32(out, 0);
        le64(out, count), le64(out, count), le64(out, directorySize), le64(out, directory);
        le32(out, 0x07064b50), le32(out, 0), le64(out, zip64End), le32(out, 1);
    }
    const std::uint32_t shortCount = count > 0xFFFF ? 0xFFFF : static_cast<std::uint32_t>(count);
    le32(out, 0x06054b50), le16(out, 0), le16(out, 0), le16(out, shortCount), le16(out, shortCount);
    le32(out, static_cast<std::uint32_t>(directorySize)), le32(out, static_cast<std::uint32_t>(directory));
    le16(out, 0);
    return out;
}

std::string PackageWithZipEntries(std::size_t entries) {
    PptxBuilder b;
    b.addSlide().addTextBox({"x@example.com"});
    auto raw = rawEntriesOf(b);
    for (std::size_t i = raw.size(); i < entries; ++i)
        raw.push_back({"e/" + std::to_string(i), {}, {}, false, false});
    return RawZipBytes(raw);
}

std::string PackageWithSharedRecords(std::size_t slides, std::size_t shapes) {
    PptxBuilder b;
    for (std::size_t i = 0; i < slides; ++i)
        b.addSlide();
    b.setPart("ppt/slides/slide1.xml", slideXml("", Repeated("<p:cxnSp/>", shapes)));
    auto raw = rawEntriesOf(b, true);
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (!raw[i].name.starts_with("ppt/slides/slide"))
            continue;
        if (first)
            raw[i].shareRecordOf = first;
        else
            first = i;
    }
    return RawZipBytes(raw);
}

std::string PackageWithSlides(std::size_t slides) {
    PptxBuilder b;
    b.addSlide().addTextBox({"x@example.com"});
    std::string list;
    for (std::size_t i = 0; i < slides; ++i)
        list += "<p:sldId id=\"" + std::to_string(256 + i) + "\" r:id=\"rId100\"/>";
    b.setPart(
        "ppt/presentation.xml",
        "<p:presentation xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
        "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"><p:sldIdLst>" +
            list + "</p:sldIdLst></p:presentation>");
    return b.bytes();
}

std::string PackageWithShapes(std::size_t perSlide, std::size_t slides) {
    PptxBuilder b;
    const std::string xml = slideXml("", Repeated("<p:cxnSp/>", perSlide));
    for (std::size_t i = 1; i <= slides; ++i) {
        b.addSlide();
        b.setPart("ppt/slides/slide" + std::to_string(i) + ".xml", xml);
    }
    return RawZipBytes(rawEntriesOf(b, true));
}

std::string PackageWithSlideText(std::size_t bytes) {
    PptxBuilder b;
    b.addSlide();
    b.setPart("ppt/slides/slide1.xml",
              slideXml("", "<p:sp><p:txBody><a:p><a:r><a:t>" + lowEntropyText(bytes) +
                               "</a:t></a:r></a:p></p:txBody></p:sp>"));
    return RawZipBytes(rawEntriesOf(b, true));
}

std::string PackageEmbeddingCopies(std::size_t copies, int depth) {
    PptxBuilder innermost;
    innermost.addSlide().addTextBox({"deepest@example.com"});
    std::string deck = innermost.bytes();
    for (int level = 0; level < depth; ++level) {
        PptxBuilder b;
        auto& slide = b.addSlide();
        slide.addTextBox({"level" + std::to_string(depth - level) + "@example.com"});
        for (std::size_t i = 0; i < copies; ++i)
            slide.addEmbedded("copy" + std::to_string(i) + ".pptx", deck);
        deck = b.bytes();
    }
    return deck;
}

std::string PackageEmbeddingLargeDecks(std::size_t count, std::size_t bytesEach, std::size_t slides) {
    const std::string deck = PackageWithTextSlides(slides, bytesEach / slides);
    PptxBuilder b;
    auto& slide = b.addSlide();
    for (std::size_t i = 0; i < count; ++i)
        slide.addEmbedded("large" + std::to_string(i) + ".pptx", deck);
    return b.bytes();
}

std::string PackageReferringToMissingEmbeddings(std::size_t count) {
    PptxBuilder b;
    b.addSlide().addTextBox({"x@example.com"});
    std::string body;
    for (std::size_t i = 0; i < count; ++i)
        body += "<Relationship Id=\"e" + std::to_string(i) +
                "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/package\" "
                "Target=\"../embeddings/e" +
                std::to_string(i) + ".pptx\"/>";
    b.setPart("ppt/slides/_rels/slide1.xml.rels", relationshipsXml(body));
    return b.bytes();
}

namespace {

// A short block of letters repeated, broken by a random letter every
// kilobyte: deflate shrinks it a hundred times or so, far less than a run of
// one letter, so no part looks like a bomb.
std::string wellDeflatingText(std::size_t bytes) {
    const std::string block = lowEntropyText(64);
    const std::string breaks = lowEntropyText(bytes / 1024 + 1);
    std::string text;
    text.reserve(bytes + 1024);
    for (std::size_t k = 0; text.size() < bytes; ++k) {
        for (int i = 0; i < 16; ++i)
            text += block;
        text.back() = breaks[k] == 'a' ? 'c' : 'd';
    }
    text.resize(bytes);
    return text;
}

// An OpenDocument text document's office:body, `depth` levels of documents
// from `level` on, each showing `width` of the next, as a flat file holds
// them inline or, with `href`, as a package's sub-document refers to its own.
std::string nestedBody(std::size_t level, std::size_t depth, std::size_t width, bool href) {
    std::string body = "<office:text><text:p>level" + std::to_string(level) + "@example.com</text:p>";
    if (level < depth)
        for (std::size_t i = 1; i <= width; ++i) {
            const std::string name = "Object " + std::to_string(i);
            body += "<text:p><draw:frame draw:name=\"L" + std::to_string(level + 1) + " " + name + "\">";
            body += href ? "<draw:object xlink:href=\"./" + name + "\"/>"
                         : "<draw:object><office:document office:mimetype=\"application/"
                           "vnd.oasis.opendocument.text\"><office:body>" +
                               nestedBody(level + 1, depth, width, false) +
                               "</office:body></office:document></draw:object>";
            body += "</draw:frame></text:p>";
        }
    return body + "</office:text>";
}

// The sub-documents under `folder` ("Object 1"), level `level` of `depth`.
void addSubDocuments(OdpBuilder& b, const std::string& folder, std::size_t level, std::size_t depth,
                     std::size_t width) {
    b.setPart(folder + "/content.xml",
              "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
              "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
              "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
              "xmlns:xlink=\"http://www.w3.org/1999/xlink\"><office:body>" +
                  nestedBody(level, depth, width, true) + "</office:body></office:document-content>");
    if (level < depth)
        for (std::size_t i = 1; i <= width; ++i)
            addSubDocuments(b, folder + "/Object " + std::to_string(i), level + 1, depth, width);
}

} // namespace

std::string PackageWithLayoutText(std::size_t layouts, std::size_t bytes) {
    PptxBuilder b;
    b.addSlide().addTextBox({"keep@example.com"});
    const std::string text = wellDeflatingText(bytes);
    for (std::size_t i = 1; i <= layouts; ++i)
        (i == 1 ? b.layout(1) : b.addLayout()).addTextBox({text});
    return b.bytes();
}

std::string PackageWithAltText(std::size_t bytes) {
    PptxBuilder b;
    b.addSlide()
        .addTextBox({"keep@example.com"})
        .addRawXml(
            WithAltText(TextBoxXml({"shape@example.com"}, 3), "alt@example.com", wellDeflatingText(bytes)));
    return b.bytes();
}

std::string FlatOdpNestingDocuments(std::size_t depth, std::size_t width) {
    OdpBuilder b;
    b.addSlide().addTextBox({"keep@example.com"});
    b.slide(1).addRawXml("<draw:frame draw:name=\"L1\"><draw:object><office:document "
                         "office:mimetype=\"application/vnd.oasis.opendocument.text\"><office:body>" +
                         nestedBody(1, depth, width, false) +
                         "</office:body></office:document></draw:object></draw:frame>");
    return b.flatBytes();
}

std::string OdpNestingSubDocuments(std::size_t depth, std::size_t width) {
    OdpBuilder b;
    b.addSlide()
        .addTextBox({"keep@example.com"})
        .addRawXml("<draw:frame draw:name=\"L1\"><draw:object xlink:href=\"./Object 1\"/></draw:frame>");
    addSubDocuments(b, "Object 1", 1, depth, width);
    return b.bytes();
}

std::string PackageWithTextSlides(std::size_t slides, std::size_t bytesPerSlide) {
    const std::string text = wellDeflatingText(bytesPerSlide);
    PptxBuilder b;
    for (std::size_t i = 1; i <= slides; ++i) {
        b.addSlide();
        b.setPart("ppt/slides/slide" + std::to_string(i) + ".xml",
                  slideXml("", "<p:sp><p:txBody><a:p><a:r><a:t>s" + std::to_string(i) + "@example.com " +
                                   text + "</a:t></a:r></a:p></p:txBody></p:sp>"));
    }
    return RawZipBytes(rawEntriesOf(b, true));
}

std::string PackageWithDeepNesting(std::size_t depth) {
    PptxBuilder b;
    b.addSlide();
    b.setPart("ppt/slides/slide1.xml",
              slideXml(" xmlns:x=\"urn:x\"",
                       "<p:sp>" + Repeated("<x:e>", depth) + Repeated("</x:e>", depth) + "</p:sp>"));
    return RawZipBytes(rawEntriesOf(b, true));
}

std::string PackageWithAttributes(std::size_t attributes) {
    PptxBuilder b;
    b.addSlide();
    constexpr std::size_t perElement = 100;
    std::string element = "<x:e";
    for (std::size_t i = 0; i < perElement; ++i)
        element += " a" + std::to_string(i) + "=\"\"";
    element += "/>";
    b.setPart("ppt/slides/slide1.xml",
              slideXml(" xmlns:x=\"urn:x\"", Repeated(element, attributes / perElement + 1)));
    return RawZipBytes(rawEntriesOf(b, true));
}

std::string PackageWithRelationships(std::size_t relationships) {
    PptxBuilder b;
    b.addSlide().addTextBox({"x@example.com"});
    std::string body = slideRelationship("rId100", "slides/slide1.xml");
    for (std::size_t i = 1; i < relationships; ++i)
        body += slideRelationship("x" + std::to_string(i), "slides/slide1.xml");
    b.setPart("ppt/_rels/presentation.xml.rels", relationshipsXml(body));
    return b.bytes();
}

std::string PackageWithNamespaces(std::size_t declarations, std::size_t choices) {
    std::string bindings;
    std::string required;
    for (std::size_t i = 0; i < declarations; ++i) {
        bindings += " xmlns:n" + std::to_string(i) +
                    "=\"http://schemas.openxmlformats.org/presentationml/2006/main\"";
        required += "n" + std::to_string(i) + " ";
    }
    const std::string alternate = "<mc:AlternateContent><mc:Choice Requires=\"" + required +
                                  "\"><p:cxnSp/></mc:Choice></mc:AlternateContent>";
    PptxBuilder b;
    b.addSlide();
    b.setPart("ppt/slides/slide1.xml", slideXml(bindings, Repeated(alternate, choices)));
    return RawZipBytes(rawEntriesOf(b, true));
}

std::string PackageWithTextRuns(std::size_t slides, std::size_t runs, bool cdata) {
    // A number every hundred runs keeps a large part from looking like a bomb.
    std::string text;
    for (std::size_t i = 0; i < runs; ++i) {
        text += cdata ? (i % 2 == 0 ? "a" : "<![CDATA[b]]>") : "a<?\?>";
        if (i % 100 == 0)
            text += std::to_string(i * 7919 % 1'000'003);
    }
    PptxBuilder b;
    for (std::size_t i = 1; i <= slides; ++i) {
        b.addSlide();
        b.setPart(
            "ppt/slides/slide" + std::to_string(i) + ".xml",
            slideXml("", "<p:sp><p:txBody><a:p><a:r><a:t>" + text + "</a:t></a:r></a:p></p:txBody></p:sp>"));
    }
    return RawZipBytes(rawEntriesOf(b, true));
}

std::string PackageWithTagsAfterRoot(std::size_t tags) {
    std::string after;
    for (std::size_t i = 0; i < tags; ++i)
        after += "<a" + std::to_string(i % 1000) + ">";
    PptxBuilder b;
    b.addSlide();
    b.setPart("ppt/slides/slide1.xml", slideXml("", "") + after);
    return RawZipBytes(rawEntriesOf(b, true));
}

std::string PackageWithUtf16Slide(std::size_t characters) {
    // A few thousand characters over and over, as a suite would compress them.
    std::u16string pattern;
    for (std::size_t i = 0; i < 3000; ++i)
        pattern += static_cast<char16_t>(0x4E00 + (i * 7919 + i / 13) % 20'000);
    const std::string xml =
        slideXml("", "<p:sp><p:txBody><a:p><a:r><a:t>\x01</a:t></a:r></a:p></p:txBody></p:sp>");
    std::u16string utf16 = u"\uFEFF";
    for (const char c : xml) {
        if (c != '\x01') {
            utf16 += static_cast<char16_t>(c);
            continue;
        }
        for (std::size_t left = characters; left > 0;) {
            const std::size_t take = std::min(left, pattern.size());
            utf16.append(pattern, 0, take);
            left -= take;
        }
    }
    std::string bytes;
    bytes.reserve(utf16.size() * 2);
    for (const char16_t unit : utf16) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    PptxBuilder b;
    b.addSlide();
    b.setPart("ppt/slides/slide1.xml", std::move(bytes));
    return RawZipBytes(rawEntriesOf(b, true));
}

std::string PackageWithForeignRunProperties(std::size_t attributes) {
    std::string properties = "<x:rPr";
    for (std::size_t i = 0; i < attributes; ++i)
        properties += " a" + std::to_string(i) + "=\"\"";
    PptxBuilder b;
    b.addSlide();
    b.setPart(
        "ppt/slides/slide1.xml",
        slideXml(" xmlns:x=\"urn:x\"", "<p:sp><p:txBody><a:p><a:r>" + properties +
                                           "/><a:t>keep@example.com</a:t></a:r></a:p></p:txBody></p:sp>"));
    return RawZipBytes(rawEntriesOf(b, true));
}

std::string PackageWithCaseMismatchedNames(std::size_t slides) {
    PptxBuilder b;
    for (std::size_t i = 0; i < slides; ++i)
        b.addSlide().addShapeWithoutText();
    auto entries = b.entries();
    for (auto& entry : entries)
        if (entry.name.starts_with("ppt/slides/slide"))
            entry.name = "PPT/SLIDES/SLIDE" + entry.name.substr(16);
    return ZipBytes(entries);
}

std::string PackageWithForgedTarget() {
    return deckWithSlideTarget("x.xml\nquarterly.pptx: The file is empty.\x1b]0;owned\x07\xE9");
}

std::string PackageWithHugeTarget(std::size_t bytes) {
    return deckWithSlideTarget(std::string(bytes, 'y'));
}

std::string PackageWithHugePartSize() {
    PptxBuilder b;
    b.addSlide().addTextBox({"x@example.com"});
    auto raw = rawEntriesOf(b);
    for (auto& entry : raw)
        if (entry.name == "ppt/slides/slide1.xml")
            entry.claimHugeSize = true;
    return RawZipBytes(raw);
}

std::string BinaryWithRecordLength(std::uint32_t length) {
    PptDeck deck;
    PptSlide slide;
    slide.shapes = {PptShape::textBox(u"x@example.com")};
    deck.slides = {slide};
    auto streams = BuildPptStreams(deck);
    PutLe32(streams.document, streams.editOffsets.back() + 4, length);
    return PackPpt(streams);
}

std::string BinaryWithDamagedCurrentUser() {
    PptDeck deck;
    deck.slides.resize(1);
    auto streams = BuildPptStreams(deck);
    PutLe32(streams.currentUser, 12, 0x12345678);
    return PackPpt(streams);
}

std::string BinaryWithShapes(std::size_t perSlide, std::size_t slides) {
    PptDeck deck;
    PptSlide slide;
    slide.shapes.assign(perSlide, PptShape::of(PptShape::Kind::Line));
    deck.slides.assign(slides, slide);
    return BuildPpt(deck);
}

std::string Repeated(std::string_view unit, std::size_t times) {
    std::string out;
    out.reserve(unit.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += unit;
    return out;
}

} // namespace orv::test
