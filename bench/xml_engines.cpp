// Times the two XML engines on the parts the readers parse, apart from
// inflating and from the readers' own walks:
//
//   xml_engines ENGINE MODE CORPUS_DIR [FILES] [PASSES]
//
// ENGINE is "pugixml" (its in-place parse, as the readers used it for package
// parts), "tree" (the program's own in-place parser, XmlTree, keeping every
// element) or "reader" (XmlTree by the rules the readers parse these parts
// with, skipping what their default walk passes over). MODE is
// "parse", "walk" (the parse followed by a walk that visits every element,
// takes its local name, and for XmlTree its namespace, and adds up its
// character data) or "copy" (neither: only copying each part into the
// parse buffer, which the other modes also do). The parts are the slide parts
// of the packages (*.pptx) and the content parts of the OpenDocument files
// (*.odp) of CORPUS_DIR, inflated once before timing. Prints MB/s of XML, best
// of the passes; under valgrind --tool=callgrind, the difference of two
// modes' instruction counts is the cost of the step between them.
#include "extract/common/XmlPart.h"
#include "extract/common/XmlTree.h"
#include "extract/common/ZipPackage.h"
#include "extract/odf/OpenDocumentReader.h"
#include "extract/ooxml/PackageReader.h"

#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Part {
    std::string bytes;
    orv::XmlRules rules;
    orv::XmlRules readerRules;
};

std::vector<Part> loadParts(const std::filesystem::path& dir, std::size_t maxFiles) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".pptx" || entry.path().extension() == ".odp")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    files.resize(std::min(files.size(), maxFiles));
    std::vector<Part> parts;
    for (const auto& file : files) {
        const orv::FileByteSource source(file.string());
        orv::ZipPackage zip(source);
        const bool odp = file.extension() == ".odp";
        for (int n = 1;; ++n) {
            const std::string name = odp ? "content.xml" : "ppt/slides/slide" + std::to_string(n) + ".xml";
            const auto index = zip.findExact(name);
            if (!index)
                break;
            const auto bytes = zip.read(*index, name);
            parts.push_back(
                {std::string(bytes.data.get(), bytes.size),
                 odp ? orv::XmlRules{orv::ClassifyOpenDocument, false, {}, {}} : orv::PackagePartRules(),
                 odp ? orv::odf::ContentRules(false) : orv::ooxml::ShapeTreeRules(false)});
            if (odp)
                break;
        }
    }
    return parts;
}

std::size_t walkPugi(pugi::xml_node element) {
    std::size_t sum = 0;
    for (auto child = element.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            sum += std::strlen(child.value());
            continue;
        }
        if (child.type() != pugi::node_element)
            continue;
        const std::string_view name = child.name();
        sum += name.size() - std::min(name.size(), name.find(':') + 1);
        sum += std::strlen(child.value());
        sum += walkPugi(child);
    }
    return sum;
}

std::size_t walkTree(const orv::XmlTree& xml) {
    std::size_t sum = 0;
    for (auto node = xml.root(); node < xml.subtreeEnd(xml.root()); ++node)
        sum += xml.isText(node) ? xml.text(node).size()
                                : static_cast<std::size_t>(xml.ns(node)) + xml.local(node).size();
    return sum;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: xml_engines pugixml|tree|reader parse|walk|copy CORPUS_DIR [FILES] [PASSES]\n");
        return 2;
    }
    const std::string engine = argv[1];
    const std::string mode = argv[2];
    const std::size_t maxFiles = argc > 4 ? std::stoul(argv[4]) : 100000;
    const int passes = argc > 5 ? std::stoi(argv[5]) : 1;
    const auto parts = loadParts(argv[3], maxFiles);
    std::size_t bytes = 0;
    for (const auto& part : parts)
        bytes += part.bytes.size();
    std::vector<char> buffer;
    const bool walk = mode == "walk";
    std::size_t checksum = 0;
    double best = 0;
    for (int pass = 0; pass < passes; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        for (const auto& part : parts) {
            buffer.assign(part.bytes.begin(), part.bytes.end());
            buffer.push_back('\0');
            if (mode == "copy") {
                checksum += static_cast<unsigned char>(buffer[buffer.size() / 2]);
            } else if (engine == "pugixml") {
                pugi::xml_document document;
                const unsigned options = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol |
                                         pugi::parse_ws_pcdata_single | pugi::parse_embed_pcdata |
                                         pugi::parse_doctype;
                if (!document.load_buffer_inplace(buffer.data(), buffer.size() - 1, options))
                    return 1;
                if (walk)
                    checksum += walkPugi(document.document_element());
            } else {
                orv::XmlTree xml;
                xml.parse(buffer.data(), buffer.size() - 1,
                          engine == "reader" ? part.readerRules : part.rules, {"the part", "no", "part"});
                if (walk)
                    checksum += walkTree(xml);
            }
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = std::max(best, static_cast<double>(bytes) / seconds / 1e6);
    }
    std::printf("%-8s %-6s %5zu parts %8.1f MB/s of XML, best of %d (%.1f MB, checksum %zu)\n",
                engine.c_str(), mode.c_str(), parts.size(), best, passes, static_cast<double>(bytes) / 1e6,
                checksum);
    return 0;
}
