// The pictures of a run: what their text gives the harvest, each picture
// recognised once, and the bounds that skip and name a picture while the
// file goes on.
#include "extract/EmailExtraction.h"
#include "extract/ocr/PictureRun.h"
#include "support/FakePictures.h"
#include "support/ReaderPrograms.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes sample(const std::string& name) {
    return test::OcrSample(name);
}

// The addresses the harvest finds in a picture's text, or "skipped: WHY".
std::vector<std::string> addressesIn(PictureReader& reader, const Bytes& picture) {
    std::vector<std::string> found;
    try {
        SeenEmails seen;
        HarvestEmailsFromText(reader.read("picture", picture), seen,
                              {{}, [&](std::string_view address) { found.emplace_back(address); }});
    } catch (const Failure& failure) {
        found.push_back("skipped: " + failure.description());
    }
    return found;
}

class PictureRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::UseBuiltReaders(); }
};

TEST_F(PictureRun, PicturesGiveTheirAddressesOrAreSkippedAndNamed) {
    Bytes damaged = sample("light.png");
    damaged.resize(40);
    const std::vector<std::string> small{"olga19@example.com"};
    const struct {
        const char* name;
        Bytes picture;
        std::vector<std::string> found; // empty: nothing
        const char* skipped = nullptr;  // a part of the reason, when skipped
        bool mayMiss = false;           // small print: found or nothing, never another
    } cases[] = {
        {"clear print", sample("light.png"), {"sales@example.com"}},
        {"two lines", sample("lines.png"), {"team.lead@example.net"}},
        {"dark background", sample("dark.png"), {"help@example.org"}},
        {"JPEG", sample("photo.jpg"), {"jobs@example.com"}},
        {"small print", sample("small.png"), small, nullptr, true},
        {"damaged PNG", damaged, {}, "The picture is damaged"},
        {"declares 60,000 x 60,000", test::PngDeclaring(60'000, 60'000), {}, "declares 60000 x 60000 pixels"},
        {"vector drawing", Bytes{0xd7, 0xcd, 0xc6, 0x9a, 0, 0}, {}},
    };
    ocr::RecognitionRun run;
    const auto reader = run.readerFor("deck.pptx");
    for (const auto& c : cases) {
        const std::vector<std::string> found = addressesIn(*reader, c.picture);
        if (c.skipped) {
            ASSERT_EQ(found.size(), 1u) << c.name;
            EXPECT_NE(found[0].find(c.skipped), std::string::npos) << c.name << ": " << found[0];
        } else if (c.mayMiss && found.empty()) {
            SUCCEED() << c.name << " was not read";
        } else {
            EXPECT_EQ(found, c.found) << c.name;
        }
    }
    EXPECT_EQ(run.recognitions(), 5u) << "the damaged, oversized and vector pictures are never recognised";
}

TEST_F(PictureRun, APictureIsRecognisedOnceARunWhereverItIsMet) {
    std::atomic<int> calls = 0;
    ocr::RecognitionRun run([&](std::span<const std::uint8_t> picture, std::uint32_t) {
        ++calls;
        if (picture.size() < 100)
            throw Failure(FailureKind::Damaged, "The picture is damaged, or of a kind that cannot be read.");
        return std::vector<ocr::RecognisedWord>{{"logo@example.com", 95, -1, true}};
    });
    const Bytes logo = sample("light.png");
    Bytes broken = logo;
    broken.resize(90); // its header still reads
    for (const char* file : {"a.pptx", "b.pptx"}) {
        const auto reader = run.readerFor(file);
        for (int slide = 0; slide < 10; ++slide) {
            EXPECT_EQ(reader->read("slide", logo), "logo@example.com");
            EXPECT_THROW(reader->read("slide", broken), Failure);
        }
    }
    EXPECT_EQ(calls, 2) << "one logo, one damaged picture, each met twenty times";
    EXPECT_EQ(run.recognitions(), 1u);
}

TEST_F(PictureRun, AFileIsHeldToItsBoundsAndAStoppedRunReadsNoMore) {
    const auto words = [](std::span<const std::uint8_t>, std::uint32_t) {
        return std::vector<ocr::RecognisedWord>{{"a@example.com", 95, -1, true}};
    };
    const Bytes picture = sample("light.png");
    Bytes other = sample("dark.png");
    const auto bounded = [&](ocr::PictureBounds bounds, const char* says) {
        ocr::RecognitionRun run(words, bounds);
        const auto reader = run.readerFor("deck.pptx");
        EXPECT_EQ(reader->read("first", picture), "a@example.com") << says;
        try {
            reader->read("second", other);
            ADD_FAILURE() << "not refused: " << says;
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.kind(), FailureKind::OverLimit) << says;
            EXPECT_NE(failure.description().find(says), std::string::npos) << failure.description();
            EXPECT_EQ(failure.part(), "second");
        }
        // What was recognised already is still told: it costs nothing.
        EXPECT_EQ(reader->read("again", picture), "a@example.com") << says;
    };
    bounded({1}, "more than 1 different pictures");
    bounded({1000, 40'000'000, 60'000}, "more than 0 million pixels");
    ocr::PictureBounds noTime;
    noTime.fileSeconds = 0;
    {
        ocr::RecognitionRun run(words, noTime);
        EXPECT_THROW(run.readerFor("deck.pptx")->read("first", picture), Failure);
    }

    ocr::RecognitionRun run(words);
    const auto reader = run.readerFor("deck.pptx");
    EXPECT_EQ(reader->read("first", picture), "a@example.com");
    EXPECT_EQ(run.progress("deck.pptx").read, 1u);
    run.stop();
    try {
        reader->read("second", other);
        ADD_FAILURE() << "a stopped run read on";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.kind(), FailureKind::Unexpected) << "the file is not read on";
    }
}

TEST_F(PictureRun, APictureThatOverrunsItsDeadlineIsSkippedAndNamed) {
    ocr::PictureBounds bounds;
    bounds.pictureSeconds = 0;
    ocr::RecognitionRun run({}, bounds);
    const std::vector<std::string> found = addressesIn(*run.readerFor("deck.pptx"), sample("lines.png"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NE(found[0].find("recognising it takes longer than 0 s"), std::string::npos) << found[0];
}

// The rule of what text recognised words make: only an address word read
// surely, whose ends are not in doubt, gives an address.
TEST(RecognisedText, AddressWordsAreKeptOnlyWhenSure) {
    using W = ocr::RecognisedWord;
    const struct {
        const char* name;
        std::vector<W> words;
        const char* text;
    } cases[] = {
        {"sure", {{"Mail", 96, -1}, {"anna@example.com", 92, 0.3f, true}}, "Mail anna@example.com"},
        {"unsure address", {{"Mail", 96, -1}, {"annai@example.com", 80, 0.3f, true}}, "Mail"},
        {"unsure other word",
         {{"Mai1", 40, -1}, {"anna@example.com", 92, 0.3f, true}},
         "Mai1 anna@example.com"},
        {"lines", {{"a", 96, -1, true}, {"b", 96, -1, true}}, "a\rb"},
        {"cut at an underscore",
         {{"kim", 95, -1}, {"_lee@example.com", 92, 0.05f, true}},
         "kim_lee@example.com"},
        {"cut at the @", {{"sales", 95, -1}, {"@example.com", 92, 0.06f, true}}, "sales@example.com"},
        {"touching elsewhere", {{"kim", 95, -1}, {"lee@example.com", 92, 0.05f, true}}, "kim"},
        {"after a dot", {{"team.", 95, -1}, {"lead@example.fr", 92, 0.3f, true}}, "team."},
        {"before a dot", {{"r.patel@example.", 95, -1}, {"fr", 92, 0.3f, true}}, "fr"},
        {"vertical stroke", {{"|.garcia@example.com", 92, -1, true}}, "l.garcia@example.com"},
        {"capital I among lower case", {{"I.garcia@example.com", 92, -1, true}}, "l.garcia@example.com"},
        {"capital I among capitals", {{"Ian.Smith@Example.com", 92, -1, true}}, "Ian.Smith@Example.com"},
        {"a one before an initial's dot", {{"1.garcia@example.com", 92, -1, true}}, "l.garcia@example.com"},
        {"a one elsewhere", {{"olga19@example.com", 92, -1, true}}, "olga19@example.com"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ocr::RecognisedText(c.words), c.text) << c.name;
}

} // namespace
} // namespace orv
