// Writes the benchmark corpus of presentation packages, or the fuzzer's seeds.
//
//   ooxml_corpus OUT_DIR [DECKS]        DECKS decks (500) of 20-40 slides of
//                                       realistic text; every 50th deck also
//                                       holds a few MB of incompressible picture
//   ooxml_corpus --fuzz-seeds OUT_DIR   a few tiny packages for ooxml_fuzz
//   ooxml_corpus --odp-fuzz-seeds OUT_DIR   a few OpenDocument decks for odp_fuzz
//   ooxml_corpus --training OUT_DIR     the decks scripts/build-release trains
//                                       its profile feedback on: 60 packages
//                                       of other text than the benchmark's,
//                                       24 OpenDocument decks and 6 flat ones
//
// The output is the same for the same arguments (fixed random seed).
#include "support/OdpBuilder.h"
#include "support/PptxBuilder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using orv::test::PptxBuilder;

const char* const kWords[] = {
    "quarterly", "revenue",  "growth",    "market",  "customer", "strategy", "product", "launch",  "team",
    "budget",    "forecast", "review",    "region",  "sales",    "partner",  "support", "service", "plan",
    "roadmap",   "results",  "milestone", "project", "delivery", "quality",  "risk",    "target",  "the",
    "and",       "for",      "with",      "our",     "new",      "next",     "year",    "of",      "to",
    "in",        "we",       "will",      "improve", "expand",   "measure",  "cost",    "share",   "online",
};
const char* const kNames[] = {"anna",  "ben",   "chloe", "david", "eva",
                              "farid", "grace", "hiro",  "ines",  "jon"};
const char* const kDomains[] = {"example.com", "mail.example.org", "corp.example.net", "uni.example.edu"};

class TextMaker {
public:
    explicit TextMaker(unsigned seed) : m_random(seed) {}

    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    std::string sentence() {
        std::string out;
        const int words = between(6, 16);
        for (int i = 0; i < words; ++i) {
            if (i > 0)
                out += ' ';
            out += kWords[between(0, std::size(kWords) - 1)];
        }
        if (between(0, 9) == 0)
            out += " - contact " + address();
        return out;
    }

    std::string address() {
        return std::string(kNames[between(0, std::size(kNames) - 1)]) + "." +
               kNames[between(0, std::size(kNames) - 1)] + "@" +
               kDomains[between(0, std::size(kDomains) - 1)];
    }

    std::string noise(std::size_t bytes) {
        std::string out(bytes, '\0');
        for (auto& c : out)
            c = static_cast<char>(m_random());
        return out;
    }

private:
    std::mt19937 m_random;
};

// A master and its eleven layouts as a presentation program writes them:
// placeholders with their prompts, a footer with an address.
void addMasterPages(PptxBuilder& b, TextMaker& text) {
    auto& master = b.master();
    master.addPlaceholder({"Click to edit Master title style"}, "title");
    master.addPlaceholder(
        {"Click to edit Master text styles", "Second level", "Third level", "Fourth level", "Fifth level"},
        "body");
    master.addPlaceholder({"12/7/2026"}, "dt");
    master.addPlaceholder({"contact: " + text.address()}, "ftr");
    master.addPlaceholder({orv::test::Paragraph{orv::test::TextField("<#>")}}, "sldNum");
    for (int layout = 1; layout <= 11; ++layout) {
        auto& page = layout == 1 ? b.layout(1) : b.addLayout();
        page.addPlaceholder({"Click to edit Master title style"}, "title");
        for (int body = layout % 3; body > 0; --body)
            page.addPlaceholder({"Click to edit Master text styles", "Second level", "Third level"}, "body");
        page.addPlaceholder({"12/7/2026"}, "dt");
        page.addPlaceholder({text.sentence()}, "ftr");
        page.addPlaceholder({orv::test::Paragraph{orv::test::TextField("<#>")}}, "sldNum");
    }
}

void writeDeck(const std::filesystem::path& path, int deck, TextMaker& text) {
    PptxBuilder b;
    addMasterPages(b, text);
    const int slides = text.between(20, 40);
    for (int s = 0; s < slides; ++s) {
        auto& slide = b.addSlide();
        slide.addPlaceholder({text.sentence()}, "title");
        std::vector<orv::test::Paragraph> body;
        for (int p = text.between(3, 8); p > 0; --p)
            body.emplace_back(text.sentence());
        slide.addPlaceholder(body);
        for (int box = text.between(1, 4); box > 0; --box)
            slide.addTextBox({text.sentence(), text.sentence() + "\v" + text.sentence()});
        if (s % 5 == 2)
            slide.addTable({{text.sentence(), text.address()}, {text.sentence(), text.sentence()}});
        if (s % 7 == 3)
            slide.addGroup({text.sentence(), text.sentence()});
        slide.addShape(
            {orv::test::Paragraph{orv::test::TextRun("Page "), orv::test::TextField(std::to_string(s + 1))}});
        slide.addConnector();
        if (deck % 50 == 7 && s < 3)
            slide.addPicture(text.noise(static_cast<std::size_t>(text.between(2, 4)) << 20));
    }
    std::vector<int> order;
    for (int s = 1; s <= slides; ++s)
        order.push_back(s);
    std::shuffle(order.begin(), order.end(), std::mt19937(deck));
    b.setSlideOrder(order);
    b.writeTo(path);
}

void writeFuzzSeeds(const std::filesystem::path& dir) {
    {
        PptxBuilder b;
        b.addSlide().addTextBox({"a@b.co"});
        auto entries = b.entries();
        for (auto& e : entries)
            e.compress = false; // stored XML: the fuzzer's edits reach the parser
        const auto bytes = orv::test::ZipBytes(entries);
        std::FILE* f = std::fopen((dir / "stored_one_box.pptx").c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    {
        PptxBuilder b;
        auto& s = b.addSlide();
        s.addPlaceholder({"T"}, "title").addGroup({"g"}).addTable({{"c"}}).addConnector().addPicture("P");
        s.addRawXml(orv::test::AlternateContentXml("p14", orv::test::TextBoxXml({"c"}),
                                                   orv::test::TextBoxXml({"f"})));
        s.addShape(
            {orv::test::Paragraph{orv::test::TextRun("x"), orv::test::LineBreak(), orv::test::TextField("1")},
             "y\tz &amp;"});
        b.addSlide().addShapeWithoutText();
        b.setSlideOrder({2, 1});
        b.writeTo(dir / "every_shape.pptx");
    }
    PptxBuilder none;
    none.writeTo(dir / "no_slides.pptx");
}

// Seeds for odp_fuzz: every kind of shape and text element, in a package with
// stored (not deflated) XML and as a flat file; an encrypted manifest.
void writeOdpFuzzSeeds(const std::filesystem::path& dir) {
    using orv::test::OdpBuilder;
    OdpBuilder b;
    auto& s = b.addSlide();
    s.addPlaceholder({"T"}, "title").addEmptyPlaceholder("outline").addGroup({"g"}).addTable({{"c"}});
    s.addConnector().addLine().addPicture().addNotes("n");
    s.addShape(
        {orv::test::Paragraph{orv::test::TextRun("x  y"), orv::test::LineBreak(), orv::test::TextField("1")},
         "y\tz &amp;"});
    s.addRawXml("<draw:a><draw:rect><text:list><text:list-item><text:h>h<text:tab/><text:s text:c=\"2\"/>"
                "</text:h></text:list-item></text:list></draw:rect></draw:a>");
    b.addSlide().addTextBox({"a@b.co"});
    b.setStored(true);
    b.writeTo(dir / "every_shape.odp");
    b.writeTo(dir / "every_shape.fodp");
    OdpBuilder encrypted;
    encrypted.setEncrypted(true);
    encrypted.setStored(true);
    encrypted.writeTo(dir / "encrypted.odp");
}

// An OpenDocument deck of the same make as writeDeck's packages.
void writeOdpDeck(const std::filesystem::path& path, TextMaker& text) {
    orv::test::OdpBuilder b;
    for (int s = text.between(20, 40); s > 0; --s) {
        auto& slide = b.addSlide();
        slide.addPlaceholder({text.sentence()}, "title");
        std::vector<orv::test::Paragraph> body;
        for (int p = text.between(3, 8); p > 0; --p)
            body.emplace_back(text.sentence());
        slide.addPlaceholder(body, "outline");
        for (int box = text.between(1, 4); box > 0; --box)
            slide.addShape({text.sentence(), text.sentence() + "\v" + text.sentence()});
        if (s % 5 == 2)
            slide.addTable({{text.sentence(), text.address()}, {text.sentence(), text.sentence()}});
        if (s % 7 == 3)
            slide.addGroup({text.sentence(), text.sentence()});
        slide.addConnector().addNotes(text.sentence());
    }
    b.writeTo(path);
}

void writeTrainingDecks(const std::filesystem::path& dir) {
    TextMaker text(7);
    char name[32];
    for (int d = 0; d < 60; ++d) {
        std::snprintf(name, sizeof name, "deck%02d.pptx", d);
        writeDeck(dir / name, d, text);
    }
    for (int d = 0; d < 30; ++d) {
        std::snprintf(name, sizeof name, d < 24 ? "deck%02d.odp" : "deck%02d.fodp", d);
        writeOdpDeck(dir / name, text);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--training") {
        std::filesystem::create_directories(argv[2]);
        writeTrainingDecks(argv[2]);
        return 0;
    }
    if (argc >= 3 && std::string(argv[1]) == "--odp-fuzz-seeds") {
        std::filesystem::create_directories(argv[2]);
        writeOdpFuzzSeeds(argv[2]);
        return 0;
    }
    if (argc >= 3 && std::string(argv[1]) == "--fuzz-seeds") {
        std::filesystem::create_directories(argv[2]);
        writeFuzzSeeds(argv[2]);
        return 0;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: ooxml_corpus OUT_DIR [DECKS] | ooxml_corpus --fuzz-seeds OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const int decks = argc >= 3 ? std::stoi(argv[2]) : 500;
    std::filesystem::create_directories(out);
    TextMaker text(20240611);
    for (int d = 0; d < decks; ++d) {
        char name[32];
        std::snprintf(name, sizeof name, "deck%04d.pptx", d);
        writeDeck(out / name, d, text);
    }
    std::printf("wrote %d decks to %s\n", decks, out.c_str());
    return 0;
}
