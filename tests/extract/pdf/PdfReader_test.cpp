// PDF documents, read on request through the reader process: the samples an
// office suite exported, with the addresses the pages show or the refusal.
#include "extract/EmailExtraction.h"
#include "extract/PresentationReader.h"
#include "extract/pdf/PdfFormat.h"
#include "support/CompoundFileBuilder.h"
#include "support/HostileFiles.h"
#include "support/OdpBuilder.h"
#include "support/PdfBuilder.h"
#include "support/PptBuilder.h"
#include "support/PptxBuilder.h"
#include "support/ReadBytes.h"
#include "support/ReaderPrograms.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <unistd.h>
#include <vector>

namespace orv {
namespace {

using test::BytesOf;

// "slide:place:text" of each address-bearing text harvested, or the failure.
std::vector<std::string> harvest(const std::string& path, bool allText, const std::string& bytes = {}) {
    ReadOptions options{allText};
    options.pdf = true;
    try {
        return test::PlacedAddressesIn(bytes.empty() ? ReadPresentationFile(path, options)
                                                     : ReadPresentationBytes(BytesOf(bytes), options));
    } catch (const Failure& failure) {
        return {std::string(FailureKindName(failure.kind()))};
    }
}

class PdfReader : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::UseBuiltReaders(); }
};

TEST_F(PdfReader, SamplesGiveTheAddressesTheirPagesShow) {
    const struct {
        const char* file;
        bool allText;
        std::vector<std::string> texts;
    } cases[] = {
        // "müller@..." breaks the address rules, as in any deck.
        {"one_line.pdf",
         false,
         {"1:page:title@example.com", "1:page:box@example.org", "1:page:cell@example.net",
          "1:page:grouped@example.com", "2:page:sales@example.co.uk", "2:page:frontdesk@example.com"}},
        {"owner_only.pdf",
         false,
         {"1:page:title@example.com", "1:page:box@example.org", "1:page:cell@example.net",
          "1:page:grouped@example.com", "2:page:sales@example.co.uk", "2:page:frontdesk@example.com"}},
        {"user_password.pdf", false, {"encrypted"}},
        {"damaged.pdf", false, {"damaged"}},
        // Broken mid-word, after a dot, before the "@", at a hyphen and at a
        // soft hyphen (drawn as a hyphen, told apart by what the page shows);
        // and the lines that stay apart.
        {"broken.pdf",
         false,
         {"1:page:maximilianschwarzenegger@example.com", "1:page:ann@mail.verylongdepartmentname.example.com",
          "2:page:support@department.example.com", "2:page:firstname.lastname@example.com",
          "3:page:first-last@example.com", "3:page:jean-baptiste-lefebvre@example.com",
          "3:page:registrationoffice@example.com", "4:page:bob@example.com", "4:page:ann@example.com",
          "4:page:carl@example.org", "4:page:dave@example.com"}},
        {"links.pdf", false, {"1:page:shown@example.com"}},
        {"links.pdf",
         true,
         {"1:page:shown@example.com", "1:link:hidden@example.org", "2:comment:reviewer@example.net"}},
        {"letter.pdf", false, {"1:page:letters@example.com"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(harvest(ORVANDEL_SOURCE_DIR "/tests/data/pdf/" + std::string(c.file), c.allText), c.texts)
            << c.file << (c.allText ? " (all text)" : "");
}

TEST_F(PdfReader, LinesLaidOutByHand) {
    // Helvetica 12 on 14-point lines: what the joins look at, exactly.
    test::PdfBuilder b;
    b.addPage()
        .text(72, 700, 12, "Contact")
        .text(72, 686, 12, "bob@example.com")
        .text(72, 640, 12, "verylongfirstname.la")
        .text(72, 626, 12, "st@example.com")
        .text(72, 580, 12, "john-")
        .text(72, 566, 12, "doe@example.com")
        .text(300, 580, 12, "one@example.com")
        .text(300, 566, 12, "two@example.com")
        .link({72, 500, 200, 514}, "mailto:linked@example.com?subject=Hi")
        .link({72, 480, 200, 494}, "https://example.com/not@mail")
        .note({72, 460, 90, 474}, "ask noted@example.com");
    b.addPage(); // empty
    EXPECT_EQ(harvest({}, true, b.bytes()),
              (std::vector<std::string>{"1:page:bob@example.com", "1:page:verylongfirstname.last@example.com",
                                        "1:page:john-doe@example.com", "1:page:one@example.com",
                                        "1:page:two@example.com", "1:link:linked@example.com",
                                        "1:comment:noted@example.com"}));
    b.setCompressed(true);
    EXPECT_EQ(harvest({}, false, b.bytes()).size(), 5u);
}

TEST_F(PdfReader, EmbeddedInADeckWhenAskedFor) {
    test::PdfBuilder pdf;
    pdf.addPage().text(72, 700, 12, "inside@example.com");
    test::PptxBuilder deck;
    deck.addSlide().addTextBox({"outer@example.com"}).addEmbedded("handout.pdf", pdf.bytes());
    // And in a binary deck, an OLE object's CONTENTS stream.
    test::PptDeck binary;
    binary.slides = {
        test::PptSlide{{test::PptShape::textBox(u"outer@example.com")}, {}, false, {}, {}, {}, {}}};
    binary.oleObjects = {test::PptOleObject::compressed(
        1, u"Acrobat Document", test::CompoundFileBuilder().addStream(u"CONTENTS", pdf.bytes()).build())};
    // And in an OpenDocument deck, an object of the package.
    test::OdpBuilder odp;
    odp.addSlide().addTextBox({"outer@example.com"}).addRawXml(test::OdfObjectFrameXml(1, "Handout"));
    odp.setPart("Object 1", pdf.bytes());
    for (const std::string& bytes : {deck.bytes(), test::BuildPpt(binary), odp.bytes()}) {
        EXPECT_EQ(harvest({}, true, bytes),
                  (std::vector<std::string>{"1:shape:outer@example.com", "0:embedded:inside@example.com"}));
        // Without PDF documents the part is left unread, and no failure.
        const auto content = ReadPresentationBytes(BytesOf(bytes), ReadOptions{true});
        for (const auto& placed : test::HarvestedTexts(content))
            EXPECT_EQ(placed.text.find("inside@"), std::string::npos);
    }
}

TEST_F(PdfReader, AReaderThatDiesFailsItsDocumentAndTheNextStartsAfresh) {
    const std::string path = ORVANDEL_SOURCE_DIR "/tests/data/pdf/broken.pdf";
    ReadOptions options;
    options.pdf = true;
    auto document = OpenPresentationFile(path, options);
    ASSERT_EQ(document->slideCount(), 4u);
    document->readSlide(0);
    reader::ReaderProcess& process = reader::ReaderProcess::ForThisThread(pdf::kReaderProgram);
    ASSERT_GT(process.pid(), 0);
    ::kill(process.pid(), SIGKILL);
    try {
        document->readSlide(1);
        ADD_FAILURE() << "a page was read from a reader that was killed";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.kind(), FailureKind::OverLimit) << failure.description();
    }
    // The next document, and even the same one, reads whole; also after a
    // reader that ended between documents.
    EXPECT_EQ(harvest(path, false).size(), 11u);
    test::KillIdleReader(process.pid());
    EXPECT_EQ(harvest(path, false).size(), 11u);
    // A document opened since leaves the older one's pages unread.
    auto first = OpenPresentationFile(path, options);
    auto second = OpenPresentationFile(ORVANDEL_SOURCE_DIR "/tests/data/pdf/letter.pdf", options);
    EXPECT_THROW(first->readSlide(0), Failure);
    EXPECT_EQ(second->readSlide(0).shapes.size(), 1u);
}

TEST_F(PdfReader, AReaderPastItsProcessorTimeIsEndedAndTheNextStartsAfresh) {
    // A cross-reference table of 200,000 sections takes the library seconds
    // to follow; with one second for the document, the kernel ends the
    // reader, and the refusal says why.
    reader::ReaderProcess& process = reader::ReaderProcess::ForThisThread(pdf::kReaderProgram);
    reader::OpenRequest request;
    request.cpuSeconds = 1;
    const std::string bytes = test::PdfWithXrefChain(200'000, false);
    request.bytes.assign(bytes.begin(), bytes.end());
    try {
        process.open(request);
        ADD_FAILURE() << "the document was read within a second";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.kind(), FailureKind::OverLimit);
        EXPECT_NE(failure.description().find("seconds of processor time"), std::string::npos)
            << failure.description();
    }
    EXPECT_EQ(harvest(ORVANDEL_SOURCE_DIR "/tests/data/pdf/letter.pdf", false),
              std::vector<std::string>{"1:page:letters@example.com"});
}

// A scanned page has no text: with pictures read, it is drawn and read as
// the picture it shows, as place page; a page with text is read as text.
TEST_F(PdfReader, PagesWithoutTextAreReadAsPicturesOnRequest) {
    const std::string scan = test::ReadFileBytes(ORVANDEL_SOURCE_DIR "/tests/data/ocr/photo.jpg");
    test::PdfBuilder pdf;
    pdf.addPage(612, 200).jpeg({6, 50, 606, 130}, scan, 600, 80);
    pdf.addPage(612, 200).text(20, 100, 14, "typed@example.com");
    const std::string bytes = pdf.bytes();
    for (const bool pictures : {false, true}) {
        ReadOptions options;
        options.pdf = true;
        options.pictures = pictures;
        const std::vector<std::string> found =
            test::PlacedAddressesIn(ReadPresentationBytes(BytesOf(bytes), options));
        const std::vector<std::string> expected =
            pictures ? std::vector<std::string>{"1:page:jobs@example.com", "2:page:typed@example.com"}
                     : std::vector<std::string>{"2:page:typed@example.com"};
        EXPECT_EQ(found, expected);
    }
}

} // namespace
} // namespace orv
