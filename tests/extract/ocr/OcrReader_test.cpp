// The text of pictures, recognised in the reader process: the addresses the
// samples show, and the refusals, after which the reader goes on.
#include "extract/ocr/OcrReader.h"
#include "support/FakePictures.h"
#include "support/ReaderPrograms.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes sample(const std::string& name) {
    return test::OcrSample(name);
}

// A grey picture of rows of glyph-like bars, which the engine takes seconds
// to read letter by letter.
Bytes glyphRows(int side) {
    const std::string head = "P5 " + std::to_string(side) + " " + std::to_string(side) + " 255\n";
    Bytes pgm(head.begin(), head.end());
    const std::size_t start = pgm.size();
    pgm.resize(start + static_cast<std::size_t>(side) * static_cast<std::size_t>(side), 255);
    std::uint32_t seed = 7;
    const auto next = [&seed](int range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(range));
    };
    for (int row = 20; row + 40 < side; row += 40)
        for (int x = 10; x + 30 < side; x += 12 + next(4) * 3)
            for (int bar = 2 + next(3); bar > 0; --bar) {
                const int left = x + next(8), top = row + next(20), width = 2 + next(4),
                          height = 6 + next(17);
                for (int y = top; y < top + height; ++y)
                    for (int i = left; i < left + width; ++i)
                        pgm[start + static_cast<std::size_t>(y) * static_cast<std::size_t>(side) +
                            static_cast<std::size_t>(i)] = 0;
            }
    return pgm;
}

// The recognised text, one line a line, and the confidence of the least
// sure word holding "@"; or the refusal's kind.
struct Read {
    std::vector<std::string> lines;
    float addressConfidence = -1;
    std::string refusal;
    std::string description;
};

Read recognise(const Bytes& picture, std::uint32_t seconds = 10) {
    Read read;
    try {
        std::string line;
        for (const ocr::RecognisedWord& word : ocr::RecognisePicture(picture, seconds)) {
            line += (line.empty() ? "" : " ") + word.text;
            if (word.text.find('@') != std::string::npos &&
                (read.addressConfidence < 0 || word.confidence < read.addressConfidence))
                read.addressConfidence = word.confidence;
            if (word.lineEnd)
                read.lines.push_back(std::exchange(line, {}));
        }
        EXPECT_EQ(line, "") << "the last word ends no line";
    } catch (const Failure& failure) {
        read.refusal = FailureKindName(failure.kind());
        read.description = failure.description();
    }
    return read;
}

pid_t readerPid() {
    return reader::ReaderProcess::ForThisThread(ocr::kReaderProgram).pid();
}

// Ends the reader and waits until it is gone, as a crash between pictures
// would leave it.
void killReader() {
    const pid_t pid = readerPid();
    ASSERT_GT(pid, 0);
    test::KillIdleReader(pid);
}

class OcrReader : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::UseBuiltReaders(); }
};

TEST_F(OcrReader, SamplesGiveTheirLinesAndTheAddressWithHighConfidence) {
    const struct {
        const char* file;
        std::vector<std::string> lines;
    } cases[] = {
        {"light.png", {"write to sales@example.com"}},
        {"dark.png", {"Contact: help@example.org"}},
        {"lines.png", {"Questions? Ask the team", "at team.lead@example.net today"}},
        {"photo.jpg", {"Mail jobs@example.com now"}},
    };
    for (const auto& c : cases) {
        const Read read = recognise(sample(c.file));
        EXPECT_EQ(read.refusal, "") << c.file << ": " << read.description;
        EXPECT_EQ(read.lines, c.lines) << c.file;
        EXPECT_GE(read.addressConfidence, 85.0f) << c.file;
    }
}

TEST_F(OcrReader, RefusalsLeaveTheReaderGoing) {
    Bytes truncated = sample("light.png");
    truncated.resize(truncated.size() / 2);
    Bytes scrambled = sample("photo.jpg");
    for (std::size_t i = 400; i < scrambled.size(); i += 7)
        scrambled[i] = static_cast<std::uint8_t>(scrambled[i] * 31 + 5);
    const std::string text = "mail me at text@example.com";
    const struct {
        const char* name;
        Bytes picture;
        std::uint32_t seconds;
        const char* refusal;
        const char* says;
    } cases[] = {
        {"truncated PNG", truncated, 10, "damaged", "damaged"},
        {"scrambled JPEG", scrambled, 10, "damaged", "damaged"},
        {"not a picture", Bytes(text.begin(), text.end()), 10, "damaged", "damaged"},
        {"empty", {}, 10, "damaged", "empty"},
        // Refused from its header: decoded, it would take 10 GiB.
        {"60,000 x 60,000 PNG", test::PngDeclaring(60'000, 60'000), 10, "over a limit",
         "60000 by 60000 pixels"},
        {"40,000 x 8 PNG", test::PngDeclaring(40'000, 8), 10, "over a limit", "side longer"},
        {"past its deadline", glyphRows(1600), 1, "over a limit", "recognising it takes longer than 1 s"},
        {"no time at all", sample("light.png"), 0, "over a limit", "longer than 0 s"},
    };
    ASSERT_EQ(recognise(sample("light.png")).refusal, "");
    const pid_t pid = readerPid();
    for (const auto& c : cases) {
        const Read read = recognise(c.picture, c.seconds);
        EXPECT_EQ(read.refusal, c.refusal) << c.name << ": " << read.description;
        EXPECT_NE(read.description.find(c.says), std::string::npos) << c.name << ": " << read.description;
        EXPECT_EQ(readerPid(), pid) << c.name << " ended the reader";
        EXPECT_EQ(recognise(sample("light.png")).lines,
                  std::vector<std::string>{"write to sales@example.com"})
            << "after " << c.name;
    }
}

TEST_F(OcrReader, AReaderGoneOrWithoutItsDataIsReplacedOrRefusesEveryPicture) {
    const std::vector<std::string> light{"write to sales@example.com"};
    ASSERT_EQ(recognise(sample("light.png")).lines, light);
    const pid_t first = readerPid();
    killReader();
    EXPECT_EQ(recognise(sample("dark.png")).lines, std::vector<std::string>{"Contact: help@example.org"});
    EXPECT_NE(readerPid(), first);

    // Without the English data, every picture is refused alike, as a fault
    // of the installation rather than of the picture.
    killReader();
    const char* set = std::getenv("TESSDATA_PREFIX");
    const std::string dataPath = set ? set : "";
    ::setenv("TESSDATA_PREFIX", ORVANDEL_SOURCE_DIR "/tests/data/ocr", 1);
    for (const char* file : {"light.png", "photo.jpg"}) {
        const Read read = recognise(sample(file));
        EXPECT_EQ(read.refusal, "input/output");
        EXPECT_NE(read.description.find("(tesseract-ocr-eng) is not installed"), std::string::npos)
            << read.description;
    }
    if (set)
        ::setenv("TESSDATA_PREFIX", dataPath.c_str(), 1);
    else
        ::unsetenv("TESSDATA_PREFIX");
    killReader();
    EXPECT_EQ(recognise(sample("light.png")).lines, light);
}

} // namespace
} // namespace orv
