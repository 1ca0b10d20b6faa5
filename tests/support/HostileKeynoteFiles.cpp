#include "extract/common/ByteSource.h"
#include "extract/common/ZipPackage.h"
#include "support/HostileFiles.h"
#include "support/IwaBuilder.h"
#include "support/PptxBuilder.h"

#include <map>

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

// The current-format sample with `parts` replacing or joining its own.
std::string deckWithParts(const std::map<std::string, std::string>& parts) {
    FileByteSource source(ORVANDEL_SOURCE_DIR "/tests/data/keynote/planted2013.key");
    ZipPackage zip(source);
    std::vector<ZipEntry> entries;
    for (std::uint64_t i = 0; i < zip.entryCount(); ++i) {
        const std::string name(zip.entryName(i));
        if (parts.count(name))
            continue;
        const PartBytes part = zip.read(i, name);
        entries.emplace_back(name, std::string(part.data.get(), part.size));
    }
    for (const auto& [name, bytes] : parts)
        entries.emplace_back(name, bytes);
    return ZipBytes(entries);
}

} // namespace

std::string KeynoteWithChunkClaiming(const std::string& part, std::uint64_t inflatedBytes) {
    // A snappy stream's length comes first, as a varint.
    std::string stream;
    std::uint64_t value = inflatedBytes;
    for (; value >= 0x80; value >>= 7)
        stream += static_cast<char>((value & 0x7F) | 0x80);
    stream += static_cast<char>(value);
    stream += std::string(16, '\0');
    return deckWithParts({{part, Chunk(stream)}});
}

std::string KeynoteWithPartInflating(const std::string& part, std::size_t inflatedBytes) {
    IwaBuilder builder;
    builder.storage(1, "m@mast.com " + Repeated("a", inflatedBytes));
    return deckWithParts({{part, builder.build()}});
}

std::string KeynoteWithObjects(const std::string& part, std::size_t count) {
    IwaBuilder builder;
    builder.storage(1, "m@mast.com");
    for (std::size_t i = 0; i < count; ++i)
        builder.storage(2 + i, "");
    return deckWithParts({{part, builder.build()}});
}

std::string KeynoteWithMasterParts(std::size_t count) {
    std::map<std::string, std::string> parts;
    for (std::size_t i = 0; i < count; ++i) {
        IwaBuilder builder;
        builder.storage(1, "m" + std::to_string(i) + "@mast.com");
        parts.emplace("Index/MasterSlide-" + std::to_string(1000 + i) + ".iwa", builder.build());
    }
    return deckWithParts(parts);
}

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
