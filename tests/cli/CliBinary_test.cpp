#include "support/PptxBuilder.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Runs the built program with its output captured in files, so that stderr is
// no terminal (and no progress line may appear).
Outcome runProgram(const orv::test::TempDir& dir, const std::string& arguments) {
    const auto out = dir.path() / "stdout.bin";
    const auto err = dir.path() / "stderr.bin";
    const std::string command = std::string("'") + ORVANDEL_CLI_PATH + "' " + arguments + " >'" +
                                out.string() + "' 2>'" + err.string() + "' </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, orv::test::ReadFileBytes(out),
            orv::test::ReadFileBytes(err)};
}

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

TEST(CliProgram, ExitStatusForBadUsage) {
    orv::test::TempDir dir;
    EXPECT_EQ(runProgram(dir, "").status, 2);
    EXPECT_EQ(runProgram(dir, "--frobnicate x").status, 2);
    const auto help = runProgram(dir, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--comma"), std::string::npos);
}

TEST(CliProgram, ParallelRunOverRealPackagesPrintsTheSameBytes) {
    orv::test::TempDir dir;
    std::string arguments;
    for (int i = 0; i < 8; ++i) {
        orv::test::PptxBuilder deck;
        auto& first = deck.addSlide();
        first.addTextBox({"Contact: person" + std::to_string(i) + "@example.com", "Team@Example.com"});
        first.addPlaceholder({"title" + std::to_string(i % 3) + "@example.org"}, "title");
        deck.addSlide().addShape({"last" + std::to_string(i) + "@example.net"});
        const auto path = dir.path() / "decks" / ("deck" + std::to_string(i) + ".pptx");
        std::filesystem::create_directories(path.parent_path());
        deck.writeTo(path);
    }
    const auto damaged = dir.write("decks/damaged.pptx", "PK\x03\x04 not really a package");
    const auto folder = quoted(dir.path() / "decks");

    const auto probe = runProgram(dir, quoted(dir.path() / "decks" / "deck0.pptx"));
    if (probe.err.find("cannot be read yet") != std::string::npos)
        GTEST_SKIP() << "the package reader is not there yet";

    const auto one = runProgram(dir, "-j 1 " + folder);
    const auto three = runProgram(dir, "-j 3 " + folder);
    EXPECT_EQ(one.status, 1);
    EXPECT_EQ(three.status, 1);
    EXPECT_EQ(three.out, one.out);
    EXPECT_EQ(three.err, one.err);
    EXPECT_TRUE(
        one.out.starts_with("person0@example.com\nTeam@Example.com\ntitle0@example.org\nlast0@example.net\n"))
        << one.out;
    EXPECT_TRUE(one.err.starts_with(damaged.string() + ": ")) << one.err;
    EXPECT_EQ(one.err.find('\r'), std::string::npos) << "no progress line when stderr is no terminal";
    EXPECT_EQ(std::count(one.err.begin(), one.err.end(), '\n'), 1);
}

// With --ocr, the pictures on the slides are read where they stand, place
// picture; one that cannot be read is named and skipped while the rest of
// the deck is read. Without it, nothing of them.
TEST(CliProgram, OcrReadsThePicturesOnTheSlides) {
    orv::test::TempDir dir;
    const std::string logo = orv::test::ReadFileBytes(ORVANDEL_SOURCE_DIR "/tests/data/ocr/light.png");
    orv::test::PptxBuilder deck;
    for (int slide = 0; slide < 10; ++slide)
        deck.addSlide().addTextBox({"text" + std::to_string(slide) + "@example.com"}).addPicture(logo);
    std::string damaged = logo;
    damaged.resize(60);
    deck.addSlide().addPicture(damaged).addTextBox({"after@example.com"});
    const auto path = dir.path() / "deck.pptx";
    deck.writeTo(path);

    const auto plain = runProgram(dir, quoted(path));
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out.find("sales@example.com"), std::string::npos);

    const auto read = runProgram(dir, "--ocr --format csv " + quoted(path));
    EXPECT_EQ(read.status, 1) << "a picture was skipped";
    EXPECT_NE(read.out.find("text0@example.com," + path.string() + ",1,shape,"), std::string::npos)
        << read.out;
    EXPECT_NE(read.out.find("sales@example.com," + path.string() + ",1,picture,Picture 3"), std::string::npos)
        << read.out;
    EXPECT_NE(read.out.find("after@example.com"), std::string::npos) << read.out;
    EXPECT_NE(read.err.find("picture ppt/media/image_slide11_1.png skipped: The picture is damaged"),
              std::string::npos)
        << read.err;
}

} // namespace
