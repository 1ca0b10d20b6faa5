// Writes the fuzzers' seeds for the "all text" mode: a package, a binary
// presentation and an OpenDocument presentation (package and flat file) with
// text in every place the mode reads, and a package embedding decks three
// levels deep.
//
//   all_text_seeds FUZZ_CORPUS_DIR      (fuzz/corpus)
#include "support/AllTextDecks.h"
#include "support/HostileFiles.h"

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
        write(corpus / "odp_fuzz" / "every_place.odp", orv::test::OpenDocumentWithEveryPlace().bytes()) &&
        write(corpus / "odp_fuzz" / "every_place.fodp", orv::test::OpenDocumentWithEveryPlace().flatBytes());
    return ok ? 0 : 1;
}
