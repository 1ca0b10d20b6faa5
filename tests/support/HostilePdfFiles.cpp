// The PDF kinds of HostileFiles.h.
#include "support/HostileFiles.h"

#include "support/PdfBuilder.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace orv::test {

namespace {

std::string ref(int object) {
    return std::to_string(object) + " 0 R";
}

std::string shown(std::string_view address, int y = 700) {
    return "BT /F1 12 Tf 72 " + std::to_string(y) + " Td " + PdfString(address) + " Tj ET\n";
}

constexpr std::string_view kHelvetica =
    "<</Type/Font/Subtype/Type1/BaseFont/Helvetica/Encoding/WinAnsiEncoding>>";

// A catalog (object 1) and a page tree (object 2) whose one page (object 5)
// draws `content` in Helvetica as /F1; `pageEntries` go into the page's
// dictionary and may refer to object 6, the next one added.
PdfObjects onePage(const std::string& content, const std::string& pageEntries = {},
                   std::string_view font = kHelvetica) {
    PdfObjects objects;
    objects.add("<</Type/Catalog/Pages 2 0 R>>");
    const int pages = objects.reserve();
    const int fontObject = objects.add(std::string(font));
    const int stream = objects.add(PdfStream("", content, true));
    const int page = objects.add("<</Type/Page/Parent 2 0 R/MediaBox[0 0 612 792]/Resources<</Font<</F1 " +
                                 ref(fontObject) + ">>>>/Contents " + ref(stream) + pageEntries + ">>");
    objects.set(pages, "<</Type/Pages/Kids[" + ref(page) + "]/Count 1>>");
    return objects;
}

std::string written(const PdfObjects& objects, std::string_view trailerExtra = {}) {
    return objects.bytes(1, trailerExtra);
}

std::size_t startxref(const std::string& pdf) {
    const auto at = pdf.rfind("startxref\n");
    if (at == std::string::npos)
        throw std::logic_error("no startxref");
    return std::stoul(pdf.substr(at + 10));
}

std::string tenDigits(std::size_t value) {
    char out[16];
    std::snprintf(out, sizeof out, "%010zu", value);
    return out;
}

} // namespace

std::string PdfWithNestedObjects(std::size_t depth) {
    return written(onePage(shown("nested@example.com"),
                           "/Nested " + Repeated("[<</A ", depth / 2) + "null" + Repeated(">>]", depth / 2)));
}

std::string PdfWithNestedContentArrays(std::size_t depth) {
    return written(onePage(shown("before@example.com") + "BT /F1 12 Tf 72 650 Td " + Repeated("[", depth) +
                           "(deep@example.com)" + Repeated("]", depth) + " TJ ET\n"));
}

std::string PdfWithLoopingPageTree(bool throughAncestor) {
    PdfObjects objects;
    objects.add("<</Type/Catalog/Pages 2 0 R>>");
    const int pages = objects.reserve();
    const int font = objects.add(std::string(kHelvetica));
    const auto page = [&](std::string_view address, int parent) {
        const int content = objects.add(PdfStream("", shown(address), false));
        return objects.add("<</Type/Page/Parent " + ref(parent) +
                           "/MediaBox[0 0 612 792]/Resources<</Font<</F1 " + ref(font) + ">>>>/Contents " +
                           ref(content) + ">>");
    };
    const int first = page("loop@example.com", pages);
    if (!throughAncestor) {
        objects.set(pages, "<</Type/Pages/Kids[" + ref(first) + " " + ref(pages) + "]/Count 2>>");
    } else {
        const int inner = objects.reserve();
        const int second = page("inner@example.com", inner);
        objects.set(inner, "<</Type/Pages/Parent " + ref(pages) + "/Kids[" + ref(pages) + " " + ref(second) +
                               "]/Count 2>>");
        objects.set(pages, "<</Type/Pages/Kids[" + ref(first) + " " + ref(inner) + "]/Count 3>>");
    }
    return written(objects);
}

std::string PdfWithPages(std::size_t count) {
    PdfObjects objects;
    objects.add("<</Type/Catalog/Pages 2 0 R>>");
    objects.reserve();
    const int font = objects.add(std::string(kHelvetica));
    const int content = objects.add(PdfStream("", shown("page@example.com"), false));
    std::string kids;
    for (std::size_t i = 0; i < count; ++i)
        kids += ref(objects.add("<</Type/Page/Parent 2 0 R/Contents " + ref(content) + ">>")) + " ";
    // Size and font come from the tree's root, as a page may inherit them.
    objects.set(2, "<</Type/Pages/Kids[" + kids + "]/Count " + std::to_string(count) +
                       "/MediaBox[0 0 612 792]/Resources<</Font<</F1 " + ref(font) + ">>>>>>");
    return objects.packedBytes(1);
}

std::string PdfWithLinks(std::size_t count) {
    PdfObjects objects = onePage(shown("links@example.com"), "/Annots 6 0 R");
    const int list = objects.reserve();
    std::string annotations;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t y = 40 + i % 700;
        annotations += ref(objects.add("<</Type/Annot/Subtype/Link/Rect[72 " + std::to_string(y) + " 200 " +
                                       std::to_string(y + 12) + "]/A<</S/URI/URI (mailto:l" +
                                       std::to_string(i) + "@example.com)>>>>")) +
                       " ";
    }
    objects.set(list, "[" + annotations + "]");
    return objects.packedBytes(1);
}

std::string PdfWithTextOperators(std::size_t inflatedBytes) {
    std::string content = "BT /F1 12 Tf\n";
    content.reserve(inflatedBytes + 64);
    for (std::size_t line = 0; content.size() < inflatedBytes; ++line)
        content += "1 0 0 1 72 " + std::to_string(60 + line % 50 * 14) + " Tm (t" +
                   std::to_string(line % 50) + "@example.com) Tj\n";
    content += "ET\n";
    return written(onePage(content));
}

std::string PdfWithOneCharacterFont(char target, std::size_t textBytes) {
    // Every one-byte code to `target`, a hundred codes to a block at most.
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned char>(target));
    std::string cmap = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                       "/CMapName /OneCharacter def /CMapType 2 def\n"
                       "1 begincodespacerange <00> <FF> endcodespacerange\n";
    for (int first = 0; first < 256; first += 100) {
        const int last = std::min(first + 100, 256);
        cmap += std::to_string(last - first) + " beginbfchar\n";
        for (int code = first; code < last; ++code) {
            char entry[32];
            std::snprintf(entry, sizeof entry, "<%02X> <%s>\n", code, hex);
            cmap += entry;
        }
        cmap += "endbfchar\n";
    }
    cmap += "endcmap CMapName currentdict /CMap defineresource pop end end\n";

    // Lines of addresses, which a reader that ignored the map would find,
    // drawn over and over in the same 60 places so that all stay on the page.
    std::string content = "BT /F1 10 Tf\n";
    content.reserve(textBytes + textBytes / 4);
    for (std::size_t shownBytes = 0, i = 0; shownBytes < textBytes; ++i) {
        std::string line;
        while (line.size() < 100)
            line += "u" + std::to_string(i * 7 + line.size()) + "@example.com ";
        shownBytes += line.size();
        content += "1 0 0 1 36 " + std::to_string(40 + i % 60 * 12) + " Tm " + PdfString(line) + " Tj\n";
    }
    content += "ET\n";

    PdfObjects objects =
        onePage(content, {}, "<</Type/Font/Subtype/Type1/BaseFont/Helvetica/ToUnicode 6 0 R>>");
    objects.add(PdfStream("", cmap, true)); // object 6
    return written(objects);
}

std::string PdfWithXrefIntoItself() {
    const PdfObjects objects = onePage(shown("xref@example.com"));
    const std::size_t xref = startxref(written(objects));
    std::string pdf = written(objects, "/Prev " + std::to_string(xref));
    // Each entry is 20 bytes; the first, object 0's, follows "xref\n0 N\n".
    std::size_t entry = pdf.find('\n', xref + 5) + 1 + 20;
    for (int i = 0; i < objects.count(); ++i, entry += 20)
        pdf.replace(entry, 10, tenDigits(xref));
    return pdf;
}

std::string PdfWithXrefChain(std::size_t sections, bool loop) {
    const PdfObjects objects = onePage(shown("chain@example.com"));
    const std::string placeholder = "/Prev 0000000000";
    std::string pdf = written(objects, loop ? placeholder : "");
    std::size_t previous = startxref(pdf);
    pdf.resize(pdf.rfind("startxref\n"));
    const std::string size = std::to_string(objects.count() + 1);
    for (std::size_t i = 0; i < sections; ++i) {
        const std::size_t here = pdf.size();
        pdf += "xref\n0 1\n0000000000 65535 f \ntrailer\n<</Size " + size + "/Root 1 0 R/Prev " +
               std::to_string(previous) + ">>\n";
        previous = here;
    }
    if (loop) // the oldest section's /Prev is the newest one
        pdf.replace(pdf.find(placeholder), placeholder.size(), "/Prev " + tenDigits(previous));
    return pdf + "startxref\n" + std::to_string(previous) + "\n%%EOF\n";
}

} // namespace orv::test
