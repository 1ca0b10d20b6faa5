#include "base/Failure.h"
#include "extract/PresentationReader.h"
#include "extract/ppt/CompoundFile.h"
#include "support/CompoundFileBuilder.h"
#include "support/PptBuilder.h"
#include "support/ReadBytes.h"

#include <gtest/gtest.h>

#include <functional>
#include <span>

namespace orv {
namespace {

using ppt::CompoundFile;
using test::CompoundFileBuilder;

std::string patterned(std::size_t size, char seed) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>(seed + i * 7 + i / 251);
    return s;
}

TEST(CompoundFile, StreamsReadBackInEveryLayout) {
    const std::size_t sizes[] = {0, 1, 63, 64, 65, 4095, 4096, 4097, 70000};
    struct Row {
        const char* name;
        CompoundFileBuilder::Options options;
    };
    const Row rows[] = {
        {"512-byte sectors", {}},
        {"4096-byte sectors", {true, 1}},
        {"allocation list in extension sectors", {false, 300}},
    };
    for (const Row& row : rows) {
        CompoundFileBuilder builder;
        for (std::size_t i = 0; i < std::size(sizes); ++i)
            builder.addStream(u"s" + std::u16string(1, static_cast<char16_t>(u'a' + i)),
                              patterned(sizes[i], static_cast<char>(i)));
        const std::string file = builder.build(row.options);
        if (row.options.minFatSectors > 109) {
            EXPECT_FALSE(builder.layout().extensionSectors.empty());
        }
        const MemoryByteSource source(test::BytesOf(file));
        const CompoundFile compound(source);
        EXPECT_EQ(compound.rootChildren().size(), std::size(sizes)) << row.name;
        for (std::size_t i = 0; i < std::size(sizes); ++i) {
            const auto index =
                compound.findRootEntry(u"S" + std::u16string(1, static_cast<char16_t>(u'A' + i)));
            ASSERT_TRUE(index) << row.name << " stream " << i;
            const auto stream = compound.openStream(*index);
            std::string got(stream->size(), '\0');
            stream->read(0, std::span(reinterpret_cast<std::uint8_t*>(got.data()), got.size()));
            EXPECT_EQ(got, patterned(sizes[i], static_cast<char>(i))) << row.name << " stream " << i;
        }
    }
}

TEST(CompoundFile, ForeignAndProtectedContents) {
    struct Row {
        const char* name;
        std::vector<std::u16string> streams;
        FailureKind expected;
    };
    const Row rows[] = {
        {"Word document", {u"WordDocument", u"1Table"}, FailureKind::NotPresentation},
        {"Excel workbook", {u"Workbook"}, FailureKind::NotPresentation},
        {"older Excel workbook", {u"Book"}, FailureKind::NotPresentation},
        {"encrypted package", {u"EncryptionInfo", u"EncryptedPackage"}, FailureKind::Encrypted},
        {"PowerPoint 4", {u"PP40"}, FailureKind::NotPresentation},
        {"no current user", {u"PowerPoint Document"}, FailureKind::NotPresentation},
        {"something else", {u"Contents"}, FailureKind::NotPresentation},
        {"empty container", {}, FailureKind::NotPresentation},
    };
    for (const Row& row : rows) {
        CompoundFileBuilder builder;
        for (const auto& name : row.streams)
            builder.addStream(name, std::string(100, 'x'));
        const std::string bytes = builder.build();
        EXPECT_EQ(test::RefusalOf(bytes), test::Refusal{row.expected})
            << row.name << ": " << test::FailureOf(bytes);
    }
}

// A file saved for both PowerPoint 95 and 97 keeps the 97 streams in a
// storage beside the older ones; without that storage the older form is the
// older version, not damage.
TEST(CompoundFile, OlderCurrentUserAndDualFormatFiles) {
    test::PptSlide slide;
    slide.shapes = {test::PptShape::textBox(u"dual@example.com")};
    test::PptDeck deck;
    deck.slides = {slide};
    const auto streams = test::BuildPptStreams(deck);
    std::string older;
    test::AppendLe32(older, 4);
    older += "User";
    const std::string oldDocument(600, '\x01');
    struct Row {
        const char* name;
        std::vector<std::pair<std::u16string, std::string>> streams;
        std::optional<test::Refusal> refusal;
    };
    const Row rows[] = {
        {"dual format",
         {{u"Current User", older},
          {u"PowerPoint Document", oldDocument},
          {u"PP97_DUALSTORAGE/Current User", streams.currentUser},
          {u"PP97_DUALSTORAGE/PowerPoint Document", streams.document}},
         std::nullopt},
        {"PowerPoint 95",
         {{u"Current User", older}, {u"PowerPoint Document", oldDocument}},
         test::Refusal{FailureKind::NotPresentation}},
        {"dual storage without its document",
         {{u"Current User", older},
          {u"PowerPoint Document", oldDocument},
          {u"PP97_DUALSTORAGE/Current User", streams.currentUser}},
         test::Refusal{FailureKind::NotPresentation}},
        {"older form cut short",
         {{u"Current User", older.substr(0, 7)}, {u"PowerPoint Document", streams.document}},
         test::Refusal{FailureKind::Damaged}},
    };
    for (const Row& row : rows) {
        CompoundFileBuilder builder;
        for (const auto& [name, bytes] : row.streams)
            builder.addStream(name, bytes);
        const std::string bytes = builder.build();
        EXPECT_EQ(test::RefusalOf(bytes), row.refusal) << row.name << ": " << test::FailureOf(bytes);
        if (!row.refusal) {
            EXPECT_EQ(test::AddressesIn(test::ReadBytes(bytes)),
                      std::vector<std::string>{"dual@example.com"});
        }
    }
}

// A presentation whose document stream lies in regular sectors, damaged in
// one place per row; every row must end in a plain failure.
TEST(CompoundFile, DamagedContainers) {
    test::PptSlide slide;
    slide.shapes = {test::PptShape::textBox(std::u16string(3000, u'x'))};
    test::PptDeck deck;
    deck.slides = {slide};
    const auto streams = test::BuildPptStreams(deck);
    CompoundFileBuilder builder;
    builder.addStream(u"Current User", streams.currentUser)
        .addStream(u"PowerPoint Document", streams.document);
    const std::string good = builder.build();
    ASSERT_EQ(test::FailureOf(good), test::kNoFailure);
    const auto& layout = builder.layout();
    const std::uint32_t docStart = layout.streamStart.at(u"PowerPoint Document");
    auto fatEntry = [&](std::uint32_t sector) {
        return builder.sectorOffset(layout.fatSectors[sector / 128]) + 4 * (sector % 128);
    };
    auto dirEntry = [&](std::uint32_t index) {
        return builder.sectorOffset(layout.directoryStart) + 128 * index;
    };

    using Damage = std::function<void(std::string&)>;
    const std::pair<const char*, Damage> rows[] = {
        {"stream chain loops", [&](std::string& f) { test::PutLe32(f, fatEntry(docStart + 2), docStart); }},
        {"stream chain ends early",
         [&](std::string& f) { test::PutLe32(f, fatEntry(docStart + 1), 0xFFFFFFFE); }},
        {"stream sector outside file",
         [&](std::string& f) { test::PutLe32(f, fatEntry(docStart), 0x00FFFFFF); }},
        {"stream starts outside file",
         [&](std::string& f) {
             test::PutLe32(f, dirEntry(layout.directoryIndex.at(u"PowerPoint Document")) + 116, 0x00FFFFFF);
         }},
        {"stream larger than file",
         [&](std::string& f) {
             test::PutLe32(f, dirEntry(layout.directoryIndex.at(u"PowerPoint Document")) + 120, 0x7FFFFFFF);
         }},
        {"directory chain loops",
         [&](std::string& f) { test::PutLe32(f, fatEntry(layout.directoryStart), layout.directoryStart); }},
        {"directory tree loops", [&](std::string& f) { test::PutLe32(f, dirEntry(2) + 72, 1); }},
        {"directory names missing entry", [&](std::string& f) { test::PutLe32(f, dirEntry(1) + 72, 5000); }},
        {"no root entry", [&](std::string& f) { f[dirEntry(0) + 66] = 1; }},
        {"small-stream chain loops",
         [&](std::string& f) {
             test::PutLe32(f, builder.sectorOffset(layout.miniFatStart), 0);
             test::PutLe32(f, dirEntry(layout.directoryIndex.at(u"Current User")) + 120, 130);
         }},
        {"allocation sector outside file", [&](std::string& f) { test::PutLe32(f, 76, 0x00FFFFFF); }},
        {"too many allocation sectors", [&](std::string& f) { test::PutLe32(f, 44, 0x00FFFFFF); }},
        {"extension list outside file",
         [&](std::string& f) {
             test::PutLe32(f, 44, 2);
             test::PutLe32(f, 68, 0x00FFFFFF);
         }},
        {"unknown sector size", [&](std::string& f) { test::PutLe16(f, 30, 10); }},
        {"wrong byte order", [&](std::string& f) { test::PutLe16(f, 28, 0xFEFF); }},
        {"truncated to half", [&](std::string& f) { f.resize(f.size() / 2); }},
        {"truncated to header", [&](std::string& f) { f.resize(512); }},
        {"shorter than header", [&](std::string& f) { f.resize(100); }},
    };
    for (const auto& [name, damage] : rows) {
        std::string file = good;
        damage(file);
        const auto refusal = test::RefusalOf(file);
        ASSERT_TRUE(refusal) << name;
        EXPECT_EQ(refusal->kind, FailureKind::Damaged) << name << ": " << test::FailureOf(file);
    }
}

TEST(CompoundFile, ExtensionListLoop) {
    CompoundFileBuilder builder;
    builder.addStream(u"PowerPoint Document", std::string(5000, 'x'));
    std::string file = builder.build({false, 300});
    const auto& ext = builder.layout().extensionSectors;
    ASSERT_EQ(ext.size(), 2u);
    test::PutLe32(file, builder.sectorOffset(ext[0]) + 508, ext[0]);
    EXPECT_NE(test::FailureOf(file).find("loop"), std::string::npos) << test::FailureOf(file);
}

} // namespace
} // namespace orv
