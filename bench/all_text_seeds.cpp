// Writes the fuzzers' seeds for the "all text" mode: a package, a binary
// presentation and an OpenDocument presentation (package and flat file) with
// text in every place the mode reads, a package embedding decks three
// levels deep, and decks whose pictures stand in every place pictures are
// read (the fuzzers also read them with the pictures requested).
//
//   all_text_seeds FUZZ_CORPUS_DIR      (fuzz/corpus)
#include "support/AllTextDecks.h"
#include "support/HostileFiles.h"
#include "support/OdpBuilder.h"
#include "support/PptBuilder.h"
#include "support/PptxBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

bool write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

// A picture, a text box filled with a picture, a picture kept in its store
// entry, a bitmap and one whose entry places it past the stream's end.
std::string binaryWithPictures() {
    using orv::test::PptShape;
    orv::test::PptDeck deck;
    deck.pictures = {{0xF01E, "SHOWS:picture@example.com"},
                     {0xF01D, "SHOWS:fill@example.com", 0x46B},
                     {0xF01E, "SHOWS:entry@example.com", 0x6E0, true},
                     {0xF01F, std::string(40, '\x08')},
                     {0xF01E, "SHOWS:lost", 0x6E0, false, 0x7FFFFFFF}};
    PptShape filled = PptShape::textBox(u"card@example.com");
    filled.fillPicture = 2;
    orv::test::PptSlide slide;
    slide.shapes = {PptShape::pictureOf(1, u"Logo"), filled, PptShape::pictureOf(3),
                    PptShape::of(PptShape::Kind::Group, {PptShape::pictureOf(4)}), PptShape::pictureOf(5)};
    deck.slides = {slide};
    return orv::test::BuildPpt(deck);
}

// A package with a picture at the top level, a picture fill, a picture in a
// group, one on the master and a damaged one; the same places in an
// OpenDocument package, a frame with a replacement picture among them.
std::string packageWithPictures() {
    orv::test::PptxBuilder b;
    auto& s = b.addSlide().addPicture("shown@example.com").addPicture("DAMAGED");
    const std::string fill = s.addMedia("fill@example.com");
    s.addRawXml(R"(<p:sp><p:nvSpPr><p:cNvPr id="30" name="Filled"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr><p:spPr>)"
                R"(<a:blipFill><a:blip r:embed=")" +
                fill + R"("/></a:blipFill></p:spPr></p:sp>)");
    s.addRawXml(orv::test::GroupXml({orv::test::PictureXml(fill, 31)}, 32));
    b.master().addPicture("master@example.com");
    return b.bytes();
}

std::string openDocumentWithPictures() {
    orv::test::OdpBuilder b;
    b.setPart("Pictures/a.png", "shown@example.com");
    b.setPart("Pictures/b.svg", "<svg/>");
    const std::string frame = R"(<draw:frame draw:name="P"><draw:image xlink:href="Pictures/a.png"/>)"
                              R"(<draw:image xlink:href="Pictures/b.svg"/></draw:frame>)";
    b.addSlide().addRawXml(frame + "<draw:g>" + frame + "</draw:g><presentation:notes>" + frame +
                           "</presentation:notes>");
    b.addMasterPage("M").addRawXml(frame);
    return b.bytes();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: all_text_seeds FUZZ_CORPUS_DIR\n");
        return 2;
    }
    const std::filesystem::path corpus = argv[1];
    const bool ok =
        write(corpus / "ooxml_fuzz" / "every_place.pptx", orv::test::PackageWithEveryPlace()) &&
        write(corpus / "ooxml_fuzz" / "embedded_decks.pptx", orv::test::PackageEmbeddingCopies(2, 3)) &&
        write(corpus / "ppt_fuzz" / "every_place.ppt", orv::test::BinaryWithEveryPlace()) &&
        write(corpus / "ppt_fuzz" / "pictures.ppt", binaryWithPictures()) &&
        write(corpus / "odp_fuzz" / "every_place.odp", orv::test::OpenDocumentWithEveryPlace().bytes()) &&
        write(corpus / "odp_fuzz" / "every_place.fodp",
              orv::test::OpenDocumentWithEveryPlace().flatBytes()) &&
        write(corpus / "ooxml_fuzz" / "pictures.pptx", packageWithPictures()) &&
        write(corpus / "odp_fuzz" / "pictures.odp", openDocumentWithPictures());
    return ok ? 0 : 1;
}
