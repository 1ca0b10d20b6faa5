// Structured output, lists of files and the merge of shard outputs, byte for
// byte, with real presentations written by the test builders.
#include "cli/CliOutput.h"
#include "cli/CliRun.h"

#include "extract/PresentationReader.h"
#include "support/CliInProcess.h"
#include "support/PptBuilder.h"
#include "support/PptxBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <tuple>

#include <sstream>

namespace orv {
namespace {

test::CliOutcome run(const std::vector<std::string>& args) {
    return test::RunCliInProcess(args, OpenPresentationFile);
}

class CliFormatsTest : public testing::Test {
protected:
    // A package: slide 1 a text box, a group and a second text box; slide 2
    // a table. The binary one: two slides with a text box each.
    void SetUp() override {
        test::PptxBuilder b;
        auto& s = b.addSlide();
        s.addTextBox({"Ann@example.com"});
        s.addGroup({"grouped@example.com ann@EXAMPLE.com"});
        s.addRawXml(
            R"(<p:sp><p:nvSpPr><p:cNvPr id="9" name="Box, &quot;A&quot;&#10;é"/><p:cNvSpPr/><p:nvPr/>)"
            R"(</p:nvSpPr><p:spPr/><p:txBody><a:bodyPr/><a:p><a:r><a:t>named@example.com</a:t></a:r>)"
            R"(</a:p></p:txBody></p:sp>)");
        b.addSlide().addTable({{"cell@example.com"}});
        m_package = m_dir.write("deck, \"one\"\né.pptx", b.bytes()).string();
        test::PptDeck deck;
        deck.slides = {
            test::PptSlide{{test::PptShape::textBox(u"bin@example.com")}, {}, false, {}, {}, {}, {}},
            test::PptSlide{
                {test::PptShape::textBox(u"ann@example.com last@example.com")}, {}, false, {}, {}, {}, {}}};
        m_binary = m_dir.write("two.ppt", test::BuildPpt(deck)).string();
    }
    test::TempDir m_dir;
    std::string m_package;
    std::string m_binary;
};

TEST_F(CliFormatsTest, CsvAndJsonLinesGiveEachAddressWhereFirstFound) {
    const std::string quoted = "\"" + m_dir.str() + "/deck, \"\"one\"\"\né.pptx\"";
    EXPECT_EQ(run({"--format", "csv", m_package, m_binary}).out, "address,file,slide,place,name\r\n"
                                                                 "Ann@example.com," +
                                                                     quoted +
                                                                     ",1,shape,TextBox 2\r\n"
                                                                     "named@example.com," +
                                                                     quoted +
                                                                     ",1,shape,\"Box, \"\"A\"\"\né\"\r\n"
                                                                     "bin@example.com," +
                                                                     m_binary +
                                                                     ",1,shape,\r\n"
                                                                     "last@example.com," +
                                                                     m_binary + ",2,shape,\r\n");
    const std::string file = "\"" + m_dir.str() + "/deck, \\\"one\\\"\\né.pptx\"";
    EXPECT_EQ(run({"--all-text", "--format=jsonl", m_package}).out,
              "{\"address\":\"Ann@example.com\",\"file\":" + file +
                  ",\"slide\":1,\"place\":\"shape\",\"name\":\"TextBox 2\"}\n"
                  "{\"address\":\"grouped@example.com\",\"file\":" +
                  file +
                  ",\"slide\":1,\"place\":\"group\",\"name\":\"TextBox 4\"}\n"
                  "{\"address\":\"named@example.com\",\"file\":" +
                  file +
                  ",\"slide\":1,\"place\":\"shape\",\"name\":\"Box, \\\"A\\\"\\né\"}\n"
                  "{\"address\":\"cell@example.com\",\"file\":" +
                  file + ",\"slide\":2,\"place\":\"table\",\"name\":\"Table 2\"}\n");
    // Text and comma formats are today's, with all text off; --comma is kept.
    EXPECT_EQ(run({"--format", "text", m_package}).out, "Ann@example.com\nnamed@example.com\n");
    EXPECT_EQ(run({"--comma", m_package}).out, run({"--format", "comma", m_package}).out);
    EXPECT_EQ(run({"--comma", m_package}).out, "Ann@example.com,named@example.com,\r\n");
}

TEST(CliOutput, JsonFieldsNeverCarryControlsOrBadBytes) {
    EXPECT_EQ(JsonString("\x1b\t\"\\\xc2\x85\xc3"), "\"\\u001b\\t\\\"\\\\\\u0085\xEF\xBF\xBD\"");
    EXPECT_EQ(CutRecordName(std::string(1023, 'a') + "\xC3\xA9").size(), 1023u);
    // Layout controls are escaped in JSON, and read back as they were.
    EXPECT_EQ(JsonString("a\u2028b\u2029\u202Ac\u202E\u2066\u2069\u2067"),
              R"("a\u2028b\u2029\u202ac\u202e\u2066\u2069\u2067")");
}

// What JsonLine writes, ParseJsonLine reads back; any other line is refused
// with what is wrong with it.
TEST(CliOutput, ShardLinesAreRecordsOrRefusedWithTheirFault) {
    const AddressRecord address{"a@b.cd", "/x/\"y\"\n\xF0\x9F\x98\x80\u202E", 7, TextPlace::Comment,
                                "\x01name"};
    const ErrorRecord failure{"notes skipped: \x1b", FailureKind::OverLimit, "/x/\ty", "ppt/notes.xml"};
    std::string error;
    for (const TextPlace place : kTextPlaces) { // every place, and slide 0 for what is outside the slides
        AddressRecord record = address;
        record.place = place;
        record.slide = place == TextPlace::Master || place == TextPlace::Layout ? 0 : address.slide;
        const auto back = ParseJsonLine(JsonLine(record), error);
        ASSERT_TRUE(back && std::holds_alternative<AddressRecord>(*back)) << error;
        const auto& a = std::get<AddressRecord>(*back);
        EXPECT_EQ(std::tie(a.address, a.file, a.slide, a.place, a.name),
                  std::tie(record.address, record.file, record.slide, record.place, record.name));
    }
    const auto again = ParseJsonLine(JsonLine(failure), error);
    ASSERT_TRUE(again && std::holds_alternative<ErrorRecord>(*again)) << error;
    const auto& f = std::get<ErrorRecord>(*again);
    EXPECT_EQ(std::tie(f.error, f.kind, f.file, f.part),
              std::tie(failure.error, failure.kind, failure.file, failure.part));
    EXPECT_EQ(
        JsonLine(failure),
        R"({"error":"notes skipped: \u001b","kind":"over a limit","file":"/x/\ty","part":"ppt/notes.xml"})");

    const std::string rest = R"(,"file":"f","slide":1,"place":"shape"})";
    for (const auto& [line, why] : std::vector<std::pair<std::string, std::string>>{
             {"", "a record must be a JSON object"},
             {"[]", "a record must be a JSON object"},
             {R"({"address":"a@b.cd"})", "the record lacks one of address, file, slide, place"},
             {R"({"address":1)" + rest, "the field address is not a valid string"},
             {R"({"address":"a@b.cd","file":"f","slide":-1,"place":"shape"})",
              "the slide is not a whole number"},
             {R"({"address":"a@b.cd","file":"f","slide":1.5,"place":"shape"})",
              "the slide is not a whole number"},
             {R"({"address":"a@b.cd","file":"f","slide":1,"place":"roof"})", "the place is none of"},
             {R"({"address":"a@b.cd")" + rest + " x", "there is more after the record"},
             {R"({"address":"a\q")" + rest, "the field address is not a valid string"},
             {R"({"address":"a@b.cd","address":"x@y.zz")" + rest, "the field address appears twice"},
             {R"({"address":"a@b.cd","x":"1","x":"2")" + rest, "the field x appears twice"},
             {R"({"error":"e","kind":"damaged"})", "the error record lacks one of error, kind, file"},
             {R"({"error":"e","kind":"bad","file":"f"})", "the kind is none of"},
             {R"({"error":"e","kind":"damaged","address":"a@b.cd")" + rest,
              "a record is an address or an error, not both"},
         }) {
        EXPECT_FALSE(ParseJsonLine(line, error)) << line;
        EXPECT_EQ(error.substr(0, why.size()), why) << line;
    }
}

TEST_F(CliFormatsTest, FilesFromTakesLinesOrNulSeparatedNames) {
    const std::string odd = m_dir.write("line\nbreak.pptx", test::PptxBuilder().bytes()).string();
    test::PptxBuilder plainDeck;
    plainDeck.addSlide().addTextBox({"plain@example.com"});
    const std::string plain = m_dir.write("plain.pptx", plainDeck.bytes()).string();
    const std::string lines = m_dir.write("list.txt", m_binary + "\n\n" + plain + "\n").string();
    EXPECT_EQ(run({"--files-from", lines}).out,
              "bin@example.com\nann@example.com\nlast@example.com\nplain@example.com\n");
    const std::string nul = m_dir.write("list0", m_package + '\0' + odd + '\0' + m_binary).string();
    const auto r = run({"--files-from", nul, "-0"});
    EXPECT_EQ(r.status, kCliAllRead) << r.err;
    EXPECT_EQ(r.out, run({m_package, odd, m_binary}).out);
}

TEST_F(CliFormatsTest, MergeOfShardsGivesTheBytesOfOneRun) {
    const std::vector<std::string> all = {m_binary, m_package, m_binary};
    for (const char* format : {"text", "comma", "csv", "jsonl"}) {
        std::vector<std::string> merge = {"--merge", "--format", format};
        for (std::size_t i = 0; i < all.size(); ++i) {
            const auto shard = run({"--all-text", "--format", "jsonl", all[i]});
            merge.push_back(m_dir.write("shard" + std::to_string(i), shard.out).string());
        }
        const auto merged = run(merge);
        EXPECT_EQ(merged.status, kCliAllRead) << merged.err;
        EXPECT_EQ(merged.out, run({"--all-text", "--format", format, all[0], all[1], all[2]}).out) << format;
    }
}

// A damaged file gives nothing, a piece only --all-text reads is skipped and
// named, each trouble is a line on stderr and a record in JSON Lines, and
// shards merged say all of it as one run over the whole list does.
TEST_F(CliFormatsTest, FailuresAreWholeNamedAndCarriedThroughShards) {
    test::PptxBuilder damaged;
    damaged.addSlide().addTextBox({"shared@example.com first@example.com"});
    damaged.addSlide();
    damaged.setPart("ppt/slides/slide2.xml", "<p:sld><unclosed>");
    test::PptxBuilder notes;
    notes.addSlide().addTextBox({"top@example.com"});
    notes.setPart("ppt/slides/_rels/slide1.xml.rels",
                  R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                  R"(<Relationship Id="rN" Type="http://schemas.openxmlformats.org/officeDocument/2006/)"
                  R"(relationships/notesSlide" Target="../notesSlides/notesSlide1.xml"/></Relationships>)");
    notes.setPart("ppt/notesSlides/notesSlide1.xml", "<p:notes><p:cSld>");
    test::PptxBuilder later;
    later.addSlide().addTextBox({"Shared@example.com"});
    const std::vector<std::string> files{m_dir.write("damaged.pptx", damaged.bytes()).string(),
                                         m_dir.write("notes.pptx", notes.bytes()).string(),
                                         m_dir.write("later.pptx", later.bytes()).string()};

    const auto broken = [](const std::string& part) {
        return "The presentation is damaged: the part " + part +
               " is not well-formed XML (Start-end tags mismatch at byte 17).";
    };
    const std::string slide = "ppt/slides/slide2.xml", notesPage = "ppt/notesSlides/notesSlide1.xml";
    const auto whole = run({"--all-text", files[0], files[1], files[2]});
    EXPECT_EQ(whole.status, kCliSomeUnreadable);
    EXPECT_EQ(whole.out, "top@example.com\nShared@example.com\n");
    EXPECT_EQ(whole.err, files[0] + ": " + broken(slide) + "\n" + files[1] + ": " + notesPage +
                             " skipped: " + broken(notesPage) + "\n");
    const auto error = [](const std::string& message, const std::string& file, const std::string& part) {
        return R"({"error":")" + message + R"(","kind":"damaged","file":")" + file + R"(","part":")" + part +
               "\"}\n";
    };
    const auto address = [](const std::string& text, const std::string& file) {
        return R"({"address":")" + text + R"(","file":")" + file +
               R"(","slide":1,"place":"shape","name":"TextBox 2"})" + "\n";
    };
    EXPECT_EQ(run({"--all-text", "--format", "jsonl", files[0], files[1], files[2]}).out,
              error(broken(slide), files[0], slide) + address("top@example.com", files[1]) +
                  error(notesPage + " skipped: " + broken(notesPage), files[1], notesPage) +
                  address("Shared@example.com", files[2]));

    // A name that is not UTF-8 comes back on stderr as one run shows it,
    // though JSON can hold it only with U+FFFD.
    std::vector<std::string> all = files;
    all.push_back(m_dir.write("bad\xE9.pptx", damaged.bytes()).string());
    for (const char* format : {"text", "csv", "jsonl"}) {
        std::vector<std::string> merge = {"--merge", "--format", format};
        for (const std::string& file : all)
            merge.push_back(
                m_dir.write(file + ".jsonl", run({"--all-text", "--format", "jsonl", file}).out).string());
        const auto merged = run(merge);
        const auto one = run({"--all-text", "--format", format, all[0], all[1], all[2], all[3]});
        ASSERT_NE(one.err.find("bad\\xE9.pptx: "), std::string::npos) << one.err;
        EXPECT_EQ(std::tie(merged.status, merged.out, merged.err), std::tie(one.status, one.out, one.err))
            << format;
    }
}

TEST_F(CliFormatsTest, MergeNamesBadLinesAndKeepsTheRest) {
    const std::string shard =
        m_dir
            .write(
                "bad.jsonl",
                "{\"address\":\"x@example.com\",\"file\":\"f\",\"slide\":1,\"place\":\"shape\",\"name\":\"\"}"
                "\n"
                "not json\n"
                "{\"address\":\"\\u001b]0;x\",\"file\":\"f\",\"slide\":1,\"place\":\"link\",\"name\":\"\"}\n")
            .string();
    const auto r = run({"--merge", shard});
    EXPECT_EQ(r.status, kCliSomeUnreadable);
    EXPECT_EQ(r.out, "x@example.com\n");
    EXPECT_NE(r.err.find(":2: Not a record"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(":3: Not a record: the address is not one"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
}

} // namespace
} // namespace orv
