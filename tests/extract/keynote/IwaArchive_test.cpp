#include "extract/keynote/IwaArchive.h"
#include "extract/keynote/IwaMasters.h"

#include "base/Failure.h"
#include "extract/common/ByteSource.h"
#include "extract/common/ZipPackage.h"
#include "support/IwaBuilder.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace orv::keynote {
namespace {

using test::BytesOf;
using test::IwaBuilder;

const std::string kData = std::string(ORVANDEL_SOURCE_DIR) + "/tests/data/keynote/iwa/";

struct PartCase {
    const char* name;
    std::string part;
    std::vector<std::string> texts;       // when read
    std::optional<test::Refusal> refusal; // when refused
    IwaBudget budget = {};
};

TEST(IwaArchive, PartsReadOrRefused) {
    const std::string textRecords = IwaBuilder{}.storage(7, "A\nB").records();
    // A raw snappy stream that declares 4 GiB - 1 of output and holds one literal.
    const std::string claims4GiB = std::string("\xFF\xFF\xFF\xFF\x0F", 5) + std::string("\x00x", 2);
    const std::string cutStream = test::Snappy(std::string(300, 'a') + "tail");
    const PartCase cases[] = {
        {"storage texts mapped, empty ones left out, in the order written",
         IwaBuilder{}
             .storage(9, "Para\nLine\xE2\x80\xA8"
                         "break\rtoo\ttab\xEF\xBF\xBC"
                         "\x04\x0E"
                         "cut\n")
             .storage(3, "")
             .storage(4, "bad \xFF byte\xE2\x80\xA9next\x05page\n\n")
             .build(),
         {"Para\rLine\vbreak\vtoo\ttabcut", "bad \xEF\xBF\xBD byte\rnext\rpage\r"},
         std::nullopt,
         {}},
        {"storage text in several fields is joined; other fields passed over",
         IwaBuilder{}
             .object(1, {{2001, test::VarintField(2, 5) + test::BytesField(3, "one ") +
                                    test::BytesField(9, "x") + test::BytesField(3, "two")}})
             .build(),
         {"one two"},
         std::nullopt,
         {}},
        {"a message of an unknown type is passed over unread; chunks of any size",
         IwaBuilder{}
             .storage(1, "before")
             .object(2, {{9999, std::string("\xFF\xFF\xFF", 3)}, {2001, test::StorageMessage("same object")}})
             .storage(3, "after")
             .build(5),
         {"before", "same object", "after"},
         std::nullopt,
         {}},
        {"an empty part holds nothing", "", {}, std::nullopt, {}},
        {"a chunk runs past the part",
         test::Chunk(test::Snappy(textRecords)) + test::Chunk(test::Snappy(textRecords)).substr(0, 6),
         {},
         test::Refusal(FailureKind::Damaged, "Index/T.iwa", 4 + test::Snappy(textRecords).size()),
         {}},
        {"a chunk of another kind",
         "\x01" + test::Chunk("").substr(1),
         {},
         test::Refusal(FailureKind::Damaged, "Index/T.iwa", 0),
         {}},
        {"a stream declaring 4 GiB is refused before anything is inflated",
         test::Chunk(claims4GiB),
         {},
         test::Refusal(FailureKind::OverLimit, "Index/T.iwa", 0),
         {}},
        {"a truncated stream",
         test::Chunk(cutStream.substr(0, cutStream.size() - 3)),
         {},
         test::Refusal(FailureKind::Damaged, "Index/T.iwa", 0),
         {}},
        {"a record length that is no varint",
         test::Chunk(test::Snappy(std::string(11, '\xFF'))),
         {},
         test::Refusal(FailureKind::Damaged, "Index/T.iwa"),
         {}},
        {"a record header past the end",
         test::Chunk(test::Snappy("\x40\x08\x01")),
         {},
         test::Refusal(FailureKind::Damaged, "Index/T.iwa"),
         {}},
        {"a message past the end",
         test::Chunk(test::Snappy(textRecords.substr(0, textRecords.size() - 1))),
         {},
         test::Refusal(FailureKind::Damaged, "Index/T.iwa"),
         {}},
        {"a field length past its message",
         IwaBuilder{}
             .object(1, {{2001, std::string("\x1A\x7F"
                                            "abc",
                                            5)}})
             .build(),
         {},
         test::Refusal(FailureKind::Damaged, "Index/T.iwa"),
         {}},
        {"the parts of one file inflate past the budget",
         IwaBuilder{}.storage(1, "text").build(),
         {},
         test::Refusal(FailureKind::OverLimit, "Index/T.iwa", 0),
         IwaBudget{4, 1000}},
        {"the texts of one file pass the budget",
         IwaBuilder{}.storage(1, "four").storage(2, "more").build(),
         {},
         test::Refusal(FailureKind::OverLimit, "Index/T.iwa"),
         IwaBudget{1000, 6}},
    };
    for (const PartCase& c : cases) {
        SCOPED_TRACE(c.name);
        IwaBudget budget = c.budget;
        try {
            EXPECT_EQ(ReadStorageTexts(BytesOf(c.part), "Index/T.iwa", budget), c.texts);
            EXPECT_FALSE(c.refusal);
        } catch (const Failure& failure) {
            ASSERT_TRUE(c.refusal) << failure.description();
            EXPECT_EQ(test::Refusal(failure.kind(), failure.part(), failure.offset()), *c.refusal)
                << failure.description();
        }
    }
}

// Each master as "part name: text | text", paragraph ends as "/".
std::vector<std::string> summary(const MasterTexts& read) {
    std::vector<std::string> out;
    for (const MasterText& master : read.masters) {
        std::string line = master.part + " " + master.name + ":";
        for (std::string text : master.texts) {
            std::replace(text.begin(), text.end(), '\r', '/');
            line += " " + text + " |";
        }
        out.push_back(line);
    }
    for (const SkippedPart& skipped : read.skipped)
        out.push_back("skipped " + skipped.part);
    return out;
}

MasterTexts readZipBytes(const std::string& bytes) {
    const MemoryByteSource source(BytesOf(bytes));
    ZipPackage package(source);
    return ReadMasterTexts(package);
}

TEST(IwaMasters, RealDecksInEveryForm) {
    const std::string body = "Body Level One/Body Level Two/Body Level Three/Body Level Four/Body Level Five";
    const std::string zip2013 = test::ReadFileBytes(kData + "masters2013.key");
    const std::string index2018 = test::ReadFileBytes(kData + "masters2018/Index.zip");

    // The theme's order, not the names'.
    const auto masters2013 = summary(readZipBytes(zip2013));
    ASSERT_EQ(masters2013.size(), 14u);
    EXPECT_EQ(masters2013[0], "Index/MasterSlide-6.iwa Title & Subtitle: Title Text | " + body + " |");
    EXPECT_EQ(masters2013[1], "Index/MasterSlide-2.iwa Title & Bullets: " + body + " | Title Text |");
    EXPECT_EQ(masters2013[13],
              "Index/MasterSlide-11.iwa Title & Bullets - Right: Title Text | " + body + " |");

    // A loose Index folder reads the same.
    test::TempDir loose;
    {
        const MemoryByteSource source(BytesOf(zip2013));
        ZipPackage package(source);
        for (std::uint64_t i = 0; i < package.entryCount(); ++i) {
            const std::string name(package.entryName(i));
            const PartBytes part = package.read(i, name);
            loose.write(name, std::string(part.data.get(), part.size));
        }
    }
    EXPECT_EQ(summary(ReadMasterTextsInFolder(loose.str())), masters2013);

    // A package folder with Index.zip, and that folder zipped whole.
    const auto masters2018 = summary(ReadMasterTextsInFolder(kData + "masters2018"));
    ASSERT_EQ(masters2018.size(), 12u);
    EXPECT_EQ(masters2018[9],
              "Index/MasterSlide-9237.iwa Kutipan: \xE2\x80\x93Johnny Appleseed | "
              "\xE2\x80\x9CKetikkan kutipan di sini.\xE2\x80\x9D  | Teks Judul | Level Badan Satu/Level "
              "Badan Dua/Level Badan Tiga/Level Badan Empat/Level Badan Lima |");
    EXPECT_EQ(summary(readZipBytes(test::ZipBytes({{"Presentation.key/Index.zip", index2018}}))),
              masters2018);

    // A folder or zip without any .iwa part has no masters.
    EXPECT_TRUE(summary(ReadMasterTextsInFolder(kData)).empty());
    EXPECT_TRUE(summary(readZipBytes(test::ZipBytes({{"index.apxl", "<x/>"}}))).empty());
}

TEST(IwaMasters, DamagedMasterSkippedOthersRead) {
    // No document part: the names' order; a damaged master is named and
    // skipped; a theme-listed order puts listed masters first.
    const std::string good =
        IwaBuilder{}.object(50, {{5, test::BytesField(10, "Plain")}}).storage(51, "x@y.z").build();
    const std::string other = IwaBuilder{}.object(60, {{5, ""}}).storage(61, "Other").build();
    const std::string document = IwaBuilder{}
                                     .object(1, {{1, test::ReferenceField(2, 2)}})
                                     .object(2, {{2, test::ReferenceField(2, 3)}})
                                     .object(3, {{10, test::ReferenceField(2, 4)}})
                                     .object(4, {{4, test::ReferenceField(2, 60)}})
                                     .build();
    const std::vector<test::ZipEntry> masters = {
        {"Index/MasterSlide-2.iwa", good},
        {"Index/MasterSlide-10.iwa", "\x01junk"},
        {"Index/TemplateSlide-3.iwa", other},
        {"Index/Slide-1.iwa", IwaBuilder{}.storage(1, "slide").build()}};
    const MasterTexts read = readZipBytes(test::ZipBytes(masters));
    EXPECT_EQ(summary(read), (std::vector<std::string>{"Index/MasterSlide-2.iwa Plain: x@y.z |",
                                                       "Index/TemplateSlide-3.iwa : Other |",
                                                       "skipped Index/MasterSlide-10.iwa"}));
    ASSERT_EQ(read.skipped.size(), 1u);
    EXPECT_EQ(read.skipped[0].kind, FailureKind::Damaged);

    auto withDocument = masters;
    withDocument.push_back({"Index/Document.iwa", document});
    EXPECT_EQ(summary(readZipBytes(test::ZipBytes(withDocument))),
              (std::vector<std::string>{"Index/TemplateSlide-3.iwa : Other |",
                                        "Index/MasterSlide-2.iwa Plain: x@y.z |",
                                        "skipped Index/MasterSlide-10.iwa"}));
}

} // namespace
} // namespace orv::keynote
