#include "base/Failure.h"
#include "extract/PresentationReader.h"
#include "extract/common/ByteSource.h"
#include "extract/common/ZipPackage.h"
#include "support/HostileFiles.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"
#include "support/ReaderPrograms.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv {
namespace {

const std::string kSamples = ORVANDEL_SOURCE_DIR "/tests/data/keynote/";

// "slide:place:address" of each address harvested, or the failure's kind.
std::vector<std::string> harvest(const std::string& path, bool allText) {
    try {
        return test::PlacedAddressesIn(ReadPresentationFile(path, ReadOptions{allText}));
    } catch (const Failure& failure) {
        return {std::string(FailureKindName(failure.kind()))};
    }
}

// Writes every entry of the zip below `folder`, as a Mac keeps a package.
void unpack(const std::string& zipPath, const test::TempDir& dir, const std::string& folder) {
    FileByteSource source(zipPath);
    ZipPackage zip(source);
    for (std::uint64_t i = 0; i < zip.entryCount(); ++i) {
        const std::string name(zip.entryName(i));
        if (!name.ends_with("/"))
            dir.write(folder + "/" + name, std::string(zip.read(i, name).data.get(), zip.read(i, name).size));
    }
}

class KeynoteReader : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::UseBuiltReaders(); }
};

TEST_F(KeynoteReader, SlidesGiveTheirShapesAndOnlyAllTextTheRest) {
    const std::vector<std::string> slides = {"1:shape:title@eeeeeeeeeee.com",
                                             "2:shape:body@eeeeeeeeeeeeeeeeeeeeeeeeeee.com"};
    const std::vector<std::string> rest = {"2:notes:n@note1.com", "2:comment:c@comment1.com",
                                           "3:table:t@ab.com"};
    const auto withRest = [&](std::vector<std::string> more) {
        std::vector<std::string> all = slides;
        all.insert(all.end(), rest.begin(), rest.end());
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const struct {
        const char* file;
        bool allText;
        std::vector<std::string> addresses;
    } cases[] = {
        // The current format, and Keynote '09: slides in show order, the
        // notes, comments and tables only with all text, the master slides
        // after the slides as slide 0.
        {"planted2013.key", false, slides},
        {"planted2013.key", true, withRest({"0:master:m@mast.com"})},
        {"planted09.key", false, slides},
        {"planted09.key", true, withRest({})},
        {"master09.key", false, {}},
        {"master09.key", true, {"0:master:m@master.com"}},
        // A package folder zipped whole; its list items end paragraphs, so
        // the item's address stands apart from the item before.
        {"planted2018.key", false, {"2:shape:listitem@paragraphs.com"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + (c.allText ? " with all text" : ""));
        EXPECT_EQ(harvest(kSamples + c.file, c.allText), c.addresses);
    }
}

TEST_F(KeynoteReader, APackageFolderIsOneDeckInEachOfItsForms) {
    test::TempDir dir;
    // Index/ as a folder, Index.zip, and Keynote '09's index.apxl.
    unpack(kSamples + "planted2013.key", dir, "loose.key");
    {
        FileByteSource source(kSamples + "planted2018.key");
        ZipPackage zip(source);
        const PartBytes index = zip.read(*zip.find("Presentation.key/Index.zip"), "Index.zip");
        dir.write("zipped.key/Index.zip", std::string(index.data.get(), index.size));
        dir.write("zipped.key/Metadata/Properties.plist", "<plist/>");
    }
    unpack(kSamples + "master09.key", dir, "old.key");
    dir.write("plain.key/notes.txt", "no deck");
    const struct {
        const char* folder;
        bool allText;
        std::vector<std::string> addresses;
    } cases[] = {
        {"loose.key",
         false,
         {"1:shape:title@eeeeeeeeeee.com", "2:shape:body@eeeeeeeeeeeeeeeeeeeeeeeeeee.com"}},
        {"loose.key/",
         true,
         {"1:shape:title@eeeeeeeeeee.com", "2:shape:body@eeeeeeeeeeeeeeeeeeeeeeeeeee.com",
          "2:notes:n@note1.com", "2:comment:c@comment1.com", "3:table:t@ab.com", "0:master:m@mast.com"}},
        {"zipped.key", false, {"2:shape:listitem@paragraphs.com"}},
        {"old.key", true, {"0:master:m@master.com"}},
        // A folder so named without a deck inside is a folder.
        {"plain.key", false, {"input/output"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(harvest(dir.str() + "/" + c.folder, c.allText), c.addresses);
    }
}

TEST_F(KeynoteReader, DecksTheLibraryCannotReadOrHoldAreRefused) {
    test::TempDir dir;
    const std::string deck = test::ReadFileBytes(kSamples + "planted2013.key");
    const struct {
        const char* what;
        std::string bytes;
        std::string kind;
    } cases[] = {
        // Cut short: the zip's directory is gone.
        {"truncated", deck.substr(0, deck.size() / 2), "damaged"},
        // Its parts' bytes trampled, the directory intact.
        {"garbled",
         [&] {
             std::string bytes = deck;
             for (std::size_t i = 64; i + 64 < bytes.size() / 2; i += 7)
                 bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
             return bytes;
         }(),
         "damaged"},
        // Recognised by the parts inside, not by an Index.zip alone.
        {"an Index.zip of no deck",
         test::ZipBytes({{"Deck.key/Index.zip", test::ZipBytes({{"a.txt", "hi"}})}}), "not a presentation"},
        // The library passes over a broken slide part in silence.
        {"a slide part claiming 4 GiB", test::KeynoteWithChunkClaiming("Index/Slide-2.iwa", 4ull << 30),
         "damaged"},
        // The library goes on past XML its parser gave up on.
        {"nested past the parser's depth", test::Keynote09WithNestedSpans(300), "over a limit"},
        {"entities", test::Keynote09WithEntityExpansion(3), "damaged"},
        {"more slides than any deck", test::Keynote09WithSlides(50'000), "over a limit"},
        // A password-protected deck keeps a hint beside its parts.
        {"encrypted",
         [&] {
             FileByteSource source(kSamples + "planted2013.key");
             ZipPackage zip(source);
             std::vector<test::ZipEntry> entries;
             for (std::uint64_t i = 0; i < zip.entryCount(); ++i) {
                 const std::string name(zip.entryName(i));
                 const PartBytes part = zip.read(i, name);
                 entries.emplace_back(name, std::string(part.data.get(), part.size));
             }
             entries.emplace_back(".iwph", "hint");
             return test::ZipBytes(entries);
         }(),
         "encrypted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.write(std::string(c.what) + ".key", c.bytes).string();
        EXPECT_EQ(harvest(path, false), std::vector<std::string>{c.kind});
        // The next deck reads whole.
        EXPECT_EQ(harvest(kSamples + "planted2018.key", false),
                  std::vector<std::string>{"2:shape:listitem@paragraphs.com"});
    }
}

TEST_F(KeynoteReader, ADeckEmbeddedInAnotherIsReadWithAllText) {
    test::PptxBuilder deck;
    deck.addSlide()
        .addTextBox({"outer@example.com"})
        .addEmbedded("talk.key", test::ReadFileBytes(kSamples + "planted2018.key"));
    EXPECT_EQ(test::PlacedAddressesIn(ReadPresentationBytes(test::BytesOf(deck.bytes()), ReadOptions{true})),
              (std::vector<std::string>{"1:shape:outer@example.com", "0:embedded:listitem@paragraphs.com"}));
}

TEST_F(KeynoteReader, AMasterPartThatCannotBeReadIsSkippedAndNamed) {
    test::TempDir dir;
    const std::string path =
        dir.write("deck.key", test::KeynoteWithChunkClaiming("Index/MasterSlide-1.iwa", 4ull << 30)).string();
    const PresentationContent content = ReadPresentationFile(path, ReadOptions{true});
    EXPECT_EQ(test::PlacedAddressesIn(content).front(), "1:shape:title@eeeeeeeeeee.com");
    ASSERT_FALSE(content.masterPages.empty());
    ASSERT_EQ(content.masterPages[0].skipped.size(), 1u);
    EXPECT_EQ(content.masterPages[0].skipped[0].part, "Index/MasterSlide-1.iwa");
    // The default walk does not look at the masters.
    EXPECT_EQ(harvest(path, false).size(), 2u);
}

} // namespace
} // namespace orv
