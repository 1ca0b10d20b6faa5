// Holds the reading of Keynote's .iwa parts to its promises. An input that
// begins as a zip does is a deck: its masters are read as the program reads
// them. So is an input that begins with "IWAZ", followed by parts, each a
// name length (one byte), the name, a 3-byte little-endian length and the
// bytes: it is made a stored zip with the right checksums first, so that a
// mutation of a part's bytes reaches the readers rather than failing the
// zip's checks. Any other input is one .iwa part, read whole. Either way the reading
// ends in texts or an orv::Failure, never a crash, hang or huge allocation,
// and every text kept is mapped as promised (UTF-8, no control character but
// CR, VT and tab, no paragraph end at its end).
//
// In the fuzz build (ORVANDEL_FUZZ_WITH_ETONYEK), a deck is also read by the
// slide library, in process: when both readings succeed, every paragraph of
// text the library gives for the slides (tables and charts aside, whose text
// is not kept in text storages) must be found in a storage text read from
// the deck's Index/Slide*.iwa parts, the library's text mapped as the
// storages' is. The library reads in a child process, so that its own
// slowness or crashes are not taken for the reader's. The replay in the test
// suite runs without the library.
// With ORVANDEL_KEYNOTE_READER naming the reader program, a deck is also read
// as the program reads it, through the reader process.
// Seeds: fuzz/corpus/keynote_fuzz (the Index zips of two real decks, some of
// their parts).
#include "base/Failure.h"
#include "base/Utf8.h"
#include "extract/PresentationReader.h"
#include "extract/common/ByteSource.h"
#include "extract/common/ZipPackage.h"
#include "extract/keynote/IwaArchive.h"
#include "extract/keynote/IwaMasters.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

#ifdef ORVANDEL_FUZZ_WITH_ETONYEK
#include <libetonyek/libetonyek.h>
#include <librevenge-stream/librevenge-stream.h>
#include <librevenge/librevenge.h>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using namespace orv;

[[noreturn]] void fail(const char* why, std::string_view text) {
    std::fprintf(stderr, "keynote_fuzz: %s:", why);
    for (const unsigned char c : text)
        std::fprintf(stderr, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
    std::fprintf(stderr, "\n");
    std::abort();
}

void checkMapped(const std::string& text) {
    if (text.empty() || text.back() == '\r' || !IsUtf8(text))
        fail("a text is empty, ends a paragraph or is not UTF-8", text);
    for (const unsigned char c : text)
        if (c < 0x20 && c != '\r' && c != '\v' && c != '\t')
            fail("a text keeps a control character", text);
}

void putLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The parts of an "IWAZ" input as a stored zip; nullopt when it is cut short.
std::optional<std::string> zipOfParts(std::span<const std::uint8_t> bytes) {
    std::string local;
    std::string central;
    std::uint16_t count = 0;
    std::size_t at = 4;
    while (at < bytes.size() && count < 1000) {
        const std::size_t nameLength = bytes[at];
        if (bytes.size() - at < 1 + nameLength + 3)
            return std::nullopt;
        const std::string name(reinterpret_cast<const char*>(bytes.data() + at + 1), nameLength);
        at += 1 + nameLength;
        const std::size_t length =
            bytes[at] | (std::size_t{bytes[at + 1]} << 8) | (std::size_t{bytes[at + 2]} << 16);
        at += 3;
        if (bytes.size() - at < length)
            return std::nullopt;
        const auto crc = static_cast<std::uint32_t>(crc32(0, bytes.data() + at, static_cast<uInt>(length)));
        const auto offset = static_cast<std::uint32_t>(local.size());
        std::string header;
        putLe(header, 0, 2); // version needed
        putLe(header, 0, 2); // flags
        putLe(header, 0, 2); // stored
        putLe(header, 0, 4); // time and date
        putLe(header, crc, 4);
        putLe(header, static_cast<std::uint32_t>(length), 4);
        putLe(header, static_cast<std::uint32_t>(length), 4);
        putLe(header, static_cast<std::uint32_t>(name.size()), 2);
        putLe(header, 0, 2); // extra
        local += "PK\x03\x04" + header + name;
        local.append(reinterpret_cast<const char*>(bytes.data() + at), length);
        central += "PK\x01\x02";
        putLe(central, 20, 2); // made by
        central += header;
        putLe(central, 0, 2); // comment
        putLe(central, 0, 2); // disk
        putLe(central, 0, 2); // internal attributes
        putLe(central, 0, 4); // external attributes
        putLe(central, offset, 4);
        central += name;
        at += length;
        ++count;
    }
    std::string zip = local + central + "PK\x05\x06";
    putLe(zip, 0, 4);
    putLe(zip, count, 2);
    putLe(zip, count, 2);
    putLe(zip, static_cast<std::uint32_t>(central.size()), 4);
    putLe(zip, static_cast<std::uint32_t>(local.size()), 4);
    putLe(zip, 0, 2);
    return zip;
}

#ifdef ORVANDEL_FUZZ_WITH_ETONYEK

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The text of the slides as the library hands it over: line breaks as '\r',
// paragraph ends as '\n', as a storage holds them, so that the storages'
// mapping reads both alike.
class SlideText final : public librevenge::RVNGPresentationInterface {
public:
    std::string text;

    void startSlide(const librevenge::RVNGPropertyList&) override { ++m_slides; }
    void endSlide() override {
        end();
        --m_slides;
    }
    void startMasterSlide(const librevenge::RVNGPropertyList&) override { ++m_skipped; }
    void endMasterSlide() override { --m_skipped; }
    void startTableObject(const librevenge::RVNGPropertyList&) override { ++m_skipped; }
    void endTableObject() override { --m_skipped; }
    void openChart(const librevenge::RVNGPropertyList&) override { ++m_skipped; }
    void closeChart() override { --m_skipped; }
    void insertText(const librevenge::RVNGString& s) override { add(s.cstr()); }
    void insertSpace() override { add(" "); }
    void insertTab() override { add("\t"); }
    void insertLineBreak() override { add("\r"); }
    void closeParagraph() override { end(); }
    void endTextObject() override { end(); }
    void endNotes() override { end(); }
    void endComment() override { end(); }

    void startDocument(const librevenge::RVNGPropertyList&) override {}
    void endDocument() override {}
    void setDocumentMetaData(const librevenge::RVNGPropertyList&) override {}
    void defineEmbeddedFont(const librevenge::RVNGPropertyList&) override {}
    void setStyle(const librevenge::RVNGPropertyList&) override {}
    void setSlideTransition(const librevenge::RVNGPropertyList&) override {}
    void startLayer(const librevenge::RVNGPropertyList&) override {}
    void endLayer() override {}
    void startEmbeddedGraphics(const librevenge::RVNGPropertyList&) override {}
    void endEmbeddedGraphics() override {}
    void openGroup(const librevenge::RVNGPropertyList&) override {}
    void closeGroup() override {}
    void drawRectangle(const librevenge::RVNGPropertyList&) override {}
    void drawEllipse(const librevenge::RVNGPropertyList&) override {}
    void drawPolygon(const librevenge::RVNGPropertyList&) override {}
    void drawPolyline(const librevenge::RVNGPropertyList&) override {}
    void drawPath(const librevenge::RVNGPropertyList&) override {}
    void drawGraphicObject(const librevenge::RVNGPropertyList&) override {}
    void drawConnector(const librevenge::RVNGPropertyList&) override {}
    void startTextObject(const librevenge::RVNGPropertyList&) override {}
    void insertField(const librevenge::RVNGPropertyList&) override {}
    void openOrderedListLevel(const librevenge::RVNGPropertyList&) override {}
    void openUnorderedListLevel(const librevenge::RVNGPropertyList&) override {}
    void closeOrderedListLevel() override {}
    void closeUnorderedListLevel() override {}
    void openListElement(const librevenge::RVNGPropertyList&) override {}
    void closeListElement() override { end(); }
    void defineParagraphStyle(const librevenge::RVNGPropertyList&) override {}
    void openParagraph(const librevenge::RVNGPropertyList&) override {}
    void defineCharacterStyle(const librevenge::RVNGPropertyList&) override {}
    void openSpan(const librevenge::RVNGPropertyList&) override {}
    void closeSpan() override {}
    void openLink(const librevenge::RVNGPropertyList&) override {}
    void closeLink() override {}
    void openTableRow(const librevenge::RVNGPropertyList&) override {}
    void closeTableRow() override {}
    void openTableCell(const librevenge::RVNGPropertyList&) override {}
    void closeTableCell() override {}
    void insertCoveredTableCell(const librevenge::RVNGPropertyList&) override {}
    void startComment(const librevenge::RVNGPropertyList&) override {}
    void startNotes(const librevenge::RVNGPropertyList&) override {}
    void defineChartStyle(const librevenge::RVNGPropertyList&) override {}
    void openChartTextObject(const librevenge::RVNGPropertyList&) override {}
    void closeChartTextObject() override {}
    void openChartPlotArea(const librevenge::RVNGPropertyList&) override {}
    void closeChartPlotArea() override {}
    void insertChartAxis(const librevenge::RVNGPropertyList&) override {}
    void openChartSeries(const librevenge::RVNGPropertyList&) override {}
    void closeChartSeries() override {}
    void openAnimationSequence(const librevenge::RVNGPropertyList&) override {}
    void closeAnimationSequence() override {}
    void openAnimationGroup(const librevenge::RVNGPropertyList&) override {}
    void closeAnimationGroup() override {}
    void openAnimationIteration(const librevenge::RVNGPropertyList&) override {}
    void closeAnimationIteration() override {}
    void insertMotionAnimation(const librevenge::RVNGPropertyList&) override {}
    void insertColorAnimation(const librevenge::RVNGPropertyList&) override {}
    void insertAnimation(const librevenge::RVNGPropertyList&) override {}
    void insertEffect(const librevenge::RVNGPropertyList&) override {}

private:
    bool kept() const { return m_slides > 0 && m_skipped == 0; }
    void add(const char* s) {
        if (kept())
            text += s;
    }
    void end() {
        if (kept() && !text.empty() && text.back() != '\n')
            text += '\n';
    }

    int m_slides = 0;
    int m_skipped = 0;
};

// The slides' text as the library reads the deck, or nullopt when it does
// not read it. The library runs in a child process, ended after two
// seconds: it can take seconds over one odd language tag, and neither its
// slowness nor a crash of its own is a fault of the reading fuzzed here.
std::optional<std::string> libraryText(std::span<const std::uint8_t> bytes) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::signal(SIGALRM, SIG_DFL);
        ::alarm(2);
        librevenge::RVNGStringStream input(bytes.data(), static_cast<unsigned>(bytes.size()));
        SlideText library;
        bool read = false;
        try {
            auto type = libetonyek::EtonyekDocument::TYPE_UNKNOWN;
            read = libetonyek::EtonyekDocument::isSupported(&input, &type) !=
                       libetonyek::EtonyekDocument::CONFIDENCE_NONE &&
                   type == libetonyek::EtonyekDocument::TYPE_KEYNOTE &&
                   libetonyek::EtonyekDocument::parse(&input, &library);
        } catch (...) {
        }
        for (std::size_t at = 0; read && at < library.text.size();) {
            const ssize_t written = ::write(pipeEnds[1], library.text.data() + at, library.text.size() - at);
            read = written > 0;
            at += read ? static_cast<std::size_t>(written) : 0;
        }
        ::_exit(read ? 0 : 1); // no exit handlers: the leak check is the parent's
    }
    ::close(pipeEnds[1]);
    std::string text;
    char buffer[65536];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

// Every paragraph the library gives for the slides is found in a storage
// text of the slide parts.
void checkAgainstLibrary(std::span<const std::uint8_t> bytes, ZipPackage& package) {
    std::vector<std::string> storages;
    try {
        keynote::IwaBudget budget;
        for (std::uint64_t i = 0; i < package.entryCount(); ++i) {
            const std::string name(package.entryName(i));
            if (!startsWith(name, "Index/Slide") || name.size() < 4 || name.substr(name.size() - 4) != ".iwa")
                continue;
            const PartBytes part = package.read(i, name);
            for (std::string& text : keynote::ReadStorageTexts(part.bytes(), name, budget))
                storages.push_back(std::move(text));
        }
    } catch (const Failure&) {
        return;
    }

    const auto text = libraryText(bytes);
    if (!text)
        return;
    const std::string mapped = keynote::MapStorageText(*text);
    std::size_t at = 0;
    while (at < mapped.size()) {
        std::size_t end = mapped.find('\r', at);
        if (end == std::string::npos)
            end = mapped.size();
        const std::string_view paragraph = std::string_view(mapped).substr(at, end - at);
        at = end + 1;
        if (paragraph.empty())
            continue;
        bool found = false;
        for (const std::string& storage : storages)
            found = found || storage.find(paragraph) != std::string::npos;
        if (!found)
            fail("the slide library gives text no slide storage holds", paragraph);
    }
}

#endif

// With ORVANDEL_KEYNOTE_READER naming the reader program, the deck is also
// read as the program reads it, reader process included: it ends in slides
// or a refusal of the file's kinds, never in anything else.
void readThroughReader(std::span<const std::uint8_t> bytes) {
    static const bool withReader = std::getenv("ORVANDEL_KEYNOTE_READER") != nullptr;
    if (!withReader)
        return;
    try {
        ReadPresentationBytes(bytes, ReadOptions{true});
    } catch (const Failure& failure) {
        if (failure.kind() == FailureKind::Unexpected || failure.kind() == FailureKind::InputOutput)
            fail("a deck is refused for an unexpected cause", failure.description());
    }
}

void readDeck(std::span<const std::uint8_t> bytes) {
    readThroughReader(bytes);
    const MemoryByteSource source(bytes);
    try {
        ZipPackage package(source);
        const keynote::MasterTexts read = keynote::ReadMasterTexts(package);
        for (const keynote::MasterText& master : read.masters)
            for (const std::string& text : master.texts)
                checkMapped(text);
        for (const SkippedPart& skipped : read.skipped)
            if (skipped.kind != FailureKind::Damaged && skipped.kind != FailureKind::OverLimit &&
                skipped.kind != FailureKind::Encrypted)
                fail("a master is skipped for an unexpected cause", skipped.description);
#ifdef ORVANDEL_FUZZ_WITH_ETONYEK
        checkAgainstLibrary(bytes, package);
#endif
    } catch (const Failure&) {
    }
}

void readPart(std::span<const std::uint8_t> bytes) {
    try {
        keynote::IwaBudget budget;
        for (const std::string& text : keynote::ReadStorageTexts(bytes, "Index/Slide.iwa", budget))
            checkMapped(text);
    } catch (const Failure& failure) {
        if (failure.kind() != FailureKind::Damaged && failure.kind() != FailureKind::OverLimit)
            fail("a part is refused for an unexpected cause", failure.description());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (size >= 4 && std::string_view(reinterpret_cast<const char*>(data), 4) == "IWAZ") {
        if (const auto zip = zipOfParts(bytes))
            readDeck({reinterpret_cast<const std::uint8_t*>(zip->data()), zip->size()});
    } else if (size >= 2 && data[0] == 'P' && data[1] == 'K') {
        readDeck(bytes);
    } else {
        readPart(bytes);
    }
    return 0;
}
