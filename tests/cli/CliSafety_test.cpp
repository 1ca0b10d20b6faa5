#include "cli/CliRun.h"
#include "extract/PresentationReader.h"

#include "support/CliInProcess.h"
#include "support/PptxBuilder.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace orv {
namespace {

test::CliOutcome runCli(const std::vector<std::string>& args) {
    return test::RunCliInProcess(args, OpenPresentationFile);
}

// Every diagnostic is one line of printable text well under a kilobyte.
void expectSafeLines(const std::string& err, std::size_t lines) {
    std::size_t count = 0;
    std::istringstream stream(err);
    for (std::string line; std::getline(stream, line); ++count) {
        EXPECT_LT(line.size(), 1000u) << line.substr(0, 200);
        for (const char c : line)
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << line;
    }
    EXPECT_EQ(count, lines) << err;
}

std::string goodDeck() {
    test::PptxBuilder b;
    b.addSlide().addTextBox({"good@example.com"});
    return b.bytes();
}

// A package whose one slide relationship points at `target`.
std::string deckWithSlideTarget(const std::string& target) {
    test::PptxBuilder b;
    b.addSlide().addTextBox({"x@example.com"});
    b.setPart("ppt/_rels/presentation.xml.rels",
              "<?xml version=\"1.0\"?><Relationships "
              "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId100\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
              "relationships/slide\" Target=\"" +
                  target + "\"/></Relationships>");
    return b.bytes();
}

TEST(CliSafety, TextFromAFileCannotForgeOrFloodTheDiagnostics) {
    const test::TempDir dir;
    const auto good = dir.write("good.pptx", goodDeck()).string();
    const auto forged =
        dir.write("forged.pptx", deckWithSlideTarget("x.xml\nquarterly.pptx: The file is empty.\x1b]0;t\x07"))
            .string();
    const auto huge = dir.write("huge.pptx", deckWithSlideTarget(std::string(200'000, 'y'))).string();
    const auto latin = dir.write("latin.pptx", deckWithSlideTarget("caf\xE9.xml")).string();
    const auto r = runCli({forged, huge, latin, good});
    EXPECT_EQ(r.status, kCliSomeUnreadable);
    EXPECT_EQ(r.out, "good@example.com\n");
    expectSafeLines(r.err, 3);
    EXPECT_NE(r.err.find("x.xml\\nquarterly.pptx: The file is empty.\\x1b]0;t\\x07"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("caf\\xE9.xml"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("yyy\xE2\x80\xA6"), std::string::npos) << "cut with an ellipsis";
}

TEST(CliSafety, PathsAreEscaped) {
    const test::TempDir dir;
    const auto evil = dir.write("evil.pptx\nquarterly.pptx", "").string();
    const auto odd = dir.write("caf\xE9\x1b[2J.pptx", "").string();
    const auto r = runCli({evil, odd});
    EXPECT_EQ(r.status, kCliSomeUnreadable);
    expectSafeLines(r.err, 2);
    EXPECT_NE(r.err.find("evil.pptx\\nquarterly.pptx: The file is empty."), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("caf\\xE9\\x1b[2J.pptx: The file is empty."), std::string::npos) << r.err;
}

TEST(CliSafety, SkippedFoldersAreNamedAndFailTheRun) {
    const test::TempDir dir;
    dir.write("deck/ok/a.pptx", goodDeck());
    dir.write("deck/line\nfeed/b.pptx", goodDeck());
    dir.write("deck/what?/c.pptx", goodDeck());
    dir.write("deck/caf\xE9/d.pptx", goodDeck());
    const std::string deep = "deck/" + std::string(200, 'n') + "/" + std::string(100, 'm');
    dir.write(deep + "/f.pptx", goodDeck());
    dir.write(deep + "/below/g.pptx", goodDeck());
    const auto deck = (dir.path() / "deck").string();
    const auto r = runCli({deck});
    EXPECT_EQ(r.status, kCliSomeUnreadable);
    EXPECT_EQ(r.out, "good@example.com\n");
    expectSafeLines(r.err, 4);
    EXPECT_NE(r.err.find((dir.path() / deep).string() + "/: its sub-folders are skipped"), std::string::npos)
        << r.err;
    for (const std::string& name : std::vector<std::string>{
             "line\\nfeed/",
             "what?/",
             "caf\\xE9/",
         })
        EXPECT_NE(r.err.find(deck + "/" + name + ": skipped: "), std::string::npos) << name << "\n" << r.err;

    // A folder with nothing skipped says nothing.
    const auto clean = runCli({(dir.path() / "deck" / "ok").string()});
    EXPECT_EQ(clean.status, kCliAllRead);
    EXPECT_EQ(clean.err, "");
}

// Keeps only what was flushed: what a killed process leaves behind.
class FlushedOnly : public std::stringbuf {
public:
    std::string flushed;

protected:
    int sync() override {
        flushed = str();
        return 0;
    }
};

// Read one at a time (-j 1), a file's addresses are out before the next file
// is opened.
TEST(CliSafety, EachFilesAddressesAreFlushedBeforeTheNextFileIsRead) {
    const test::TempDir dir;
    const auto a = dir.write("a.pptx", "").string();
    const auto b = dir.write("b.pptx", "").string();
    FlushedOnly buffer;
    std::ostream out(&buffer);
    std::ostringstream err;
    std::string flushedBeforeB;
    const auto read = [&](const std::string& path) {
        if (path == b)
            flushedBeforeB = buffer.flushed;
        PresentationContent content;
        content.slides.emplace_back().shapes.push_back({true, path == a ? "a@example.com" : "b@example.com"});
        return content;
    };
    const std::vector<std::string> args{"-j", "1", a, b};
    EXPECT_EQ(RunCliArguments(args, out, err, false, test::OpenerOf(read)), kCliAllRead);
    EXPECT_EQ(flushedBeforeB, "a@example.com\n");
}

} // namespace
} // namespace orv
