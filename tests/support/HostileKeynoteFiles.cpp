#include "extract/common/ByteSource.h"
#include "extract/common/ZipPackage.h"
#include "support/HostileFiles.h"
#include "support/PptxBuilder.h"

#include <stdexcept>

namespace orv::test {

namespace {

// The sample's index.apxl.
std::string sampleApxl() {
    FileByteSource source(ORVANDEL_SOURCE_DIR "/tests/data/keynote/planted09.key");
    ZipPackage zip(source);
    const PartBytes part = zip.read(*zip.find("index.apxl"), "index.apxl");
    return std::string(part.data.get(), part.size);
}

std::string deckWith(const std::string& apxl) {
    return ZipBytes({ZipEntry("index.apxl", apxl)});
}

// The sample with `text` in place of its first title's address.
std::string withTitle(const std::string& text) {
    std::string apxl = sampleApxl();
    const std::string title = "title@eeeeeeeeeee.com";
    const auto at = apxl.find(title);
    if (at == std::string::npos)
        throw std::runtime_error("the Keynote sample has lost its title");
    apxl.replace(at, title.size(), text);
    return apxl;
}

} // namespace

std::string Keynote09WithSlides(std::size_t count) {
    std::string apxl = sampleApxl();
    const std::string end = "</key:slide-list>";
    const auto at = apxl.find(end);
    if (at == std::string::npos)
        throw std::runtime_error("the Keynote sample has lost its slide list");
    apxl.insert(at, Repeated("<key:slide key:depth=\"0\"/>", count));
    return deckWith(apxl);
}

std::string Keynote09WithText(std::size_t bytes) {
    return deckWith(withTitle("title@eeeeeeeeeee.com " + Repeated("a", bytes)));
}

std::string Keynote09WithNestedSpans(std::size_t depth) {
    return deckWith(
        withTitle(Repeated("<sf:span>", depth) + "title@eeeeeeeeeee.com" + Repeated("</sf:span>", depth)));
}

std::string Keynote09WithEntityExpansion(std::size_t levels) {
    std::string apxl = withTitle("&e" + std::to_string(levels) + ";");
    std::string doctype = "<!DOCTYPE key:presentation [<!ENTITY e0 \"title@eeeeeeeeeee.com \">";
    for (std::size_t level = 1; level <= levels; ++level)
        doctype += "<!ENTITY e" + std::to_string(level) + " \"" +
                   Repeated("&e" + std::to_string(level - 1) + ";", 10) + "\">";
    doctype += "]>";
    const auto root = apxl.find("<key:presentation");
    if (root == std::string::npos)
        throw std::runtime_error("the Keynote sample has lost its root");
    apxl.insert(root, doctype);
    return deckWith(apxl);
}

} // namespace orv::test
