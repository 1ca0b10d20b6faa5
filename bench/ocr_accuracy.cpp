// Scores what text recognition finds in pictures that show known addresses,
// for bench/run_ocr_accuracy.sh: each picture of the folder's ANSWERS list
// (picture, address, "clear" or "small") is recognised once through the
// reader process, and its words are made into text and harvested as the core
// does, at each of several confidences an address word needs. Prints, per
// confidence and class: pictures, addresses found, and wrong addresses given.
// Then the same pictures, ten to a deck, one a slide, in presentation
// packages, OpenDocument and binary decks and image-only PDF documents (from
// PICTURE.pdf.jpg, a JPEG copy), read as a run of the program reads them:
// per format and class, the same figures, and pictures a second.
//
//   ocr_accuracy FOLDER   (ORVANDEL_OCR_READER and ORVANDEL_PDF_READER name
//                          the readers)
#include "base/Failure.h"
#include "extract/EmailExtraction.h"
#include "extract/PresentationReader.h"
#include "extract/ocr/OcrReader.h"
#include "extract/ocr/PictureHeader.h"
#include "extract/ocr/PictureRun.h"
#include "support/OdpBuilder.h"
#include "support/PdfBuilder.h"
#include "support/PptBuilder.h"
#include "support/PptxBuilder.h"

#include <chrono>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Score {
    int pictures = 0;
    int found = 0;
    int wrong = 0;
};

struct Picture {
    std::string name, expected, kind, bytes, jpegCopy;
};

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::span<const std::uint8_t> span(const std::string& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

// The pictures `from` to `to` as a deck of the format, one a slide.
std::string deckOf(const std::string& format, const std::vector<Picture>& pictures, std::size_t from,
                   std::size_t to) {
    if (format == "pptx") {
        orv::test::PptxBuilder deck;
        for (std::size_t i = from; i < to; ++i)
            deck.addSlide().addPicture(pictures[i].bytes);
        return deck.bytes();
    }
    if (format == "odp") {
        orv::test::OdpBuilder deck;
        for (std::size_t i = from; i < to; ++i) {
            const std::string part = "Pictures/" + pictures[i].name;
            deck.setPart(part, pictures[i].bytes);
            deck.addSlide().addRawXml(R"(<draw:frame draw:name="Picture"><draw:image xlink:href=")" + part +
                                      R"("/></draw:frame>)");
        }
        return deck.bytes();
    }
    if (format == "ppt") {
        orv::test::PptDeck deck;
        for (std::size_t i = from; i < to; ++i) {
            const bool jpeg = pictures[i].name.ends_with(".jpg");
            deck.pictures.push_back({static_cast<std::uint16_t>(jpeg ? 0xF01D : 0xF01E), pictures[i].bytes,
                                     static_cast<std::uint16_t>(jpeg ? 0x46A : 0x6E0)});
            orv::test::PptSlide slide;
            slide.shapes = {orv::test::PptShape::pictureOf(static_cast<std::uint32_t>(i - from + 1))};
            deck.slides.push_back(slide);
        }
        return orv::test::BuildPpt(deck);
    }
    orv::test::PdfBuilder pdf;
    for (std::size_t i = from; i < to; ++i) {
        const auto header = orv::ocr::ReadPictureHeader(span(pictures[i].jpegCopy));
        const double width = header ? header->width * 0.72 : 100,
                     height = header ? header->height * 0.72 : 100;
        pdf.addPage(width + 72, height + 72)
            .jpeg({36, 36, 36 + width, 36 + height}, pictures[i].jpegCopy, header ? header->width : 1,
                  header ? header->height : 1);
    }
    return pdf.bytes();
}

// Reads the pictures as decks of each format and prints the figures.
void scoreDecks(const std::vector<Picture>& pictures) {
    constexpr std::size_t kPerDeck = 10;
    std::printf("format class pictures found wrong found%% wrong-per-100-found pictures/s\n");
    for (const std::string format : {"pptx", "odp", "ppt", "pdf"}) {
        std::map<std::string, Score> scores;
        double seconds = 0;
        orv::ReadOptions options;
        options.pdf = true;
        options.pictures = true;
        options.pictureRun = std::make_shared<orv::ocr::RecognitionRun>();
        for (std::size_t from = 0; from < pictures.size(); from += kPerDeck) {
            const std::size_t to = std::min(pictures.size(), from + kPerDeck);
            const std::string deck = deckOf(format, pictures, from, to);
            const auto start = std::chrono::steady_clock::now();
            orv::PresentationContent content;
            try {
                content = orv::ReadPresentationBytes(span(deck), options);
            } catch (const orv::Failure& failure) {
                std::fprintf(stderr, "%s deck %zu: %s\n", format.c_str(), from / kPerDeck,
                             failure.description().c_str());
            }
            seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            for (std::size_t i = from; i < to; ++i) {
                Score& score = scores[pictures[i].kind];
                ++score.pictures;
                if (i - from >= content.slides.size())
                    continue;
                orv::SeenEmails seen;
                for (const orv::ShapeContent& shape : content.slides[i - from].shapes)
                    orv::HarvestEmailsFromText(shape.text, seen, {{}, [&](std::string_view address) {
                                                                      if (orv::SeenKey(address) ==
                                                                          orv::SeenKey(pictures[i].expected))
                                                                          ++score.found;
                                                                      else
                                                                          ++score.wrong;
                                                                  }});
            }
        }
        for (const auto& [kind, score] : scores)
            std::printf("%s %s %d %d %d %.1f %.2f %.1f\n", format.c_str(), kind.c_str(), score.pictures,
                        score.found, score.wrong, 100.0 * score.found / std::max(1, score.pictures),
                        100.0 * score.wrong / std::max(1, score.found + score.wrong),
                        pictures.size() / seconds);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ocr_accuracy FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::ifstream answers(folder + "/ANSWERS");
    const float thresholds[] = {0, 70, 80, 85, 88, 90};
    std::map<std::pair<float, std::string>, Score> scores;
    std::string line;
    int failed = 0;
    std::vector<Picture> pictures;
    while (std::getline(answers, line)) {
        std::istringstream fields(line);
        std::string name, expected, kind;
        std::getline(fields, name, '\t');
        std::getline(fields, expected, '\t');
        std::getline(fields, kind, '\t');
        pictures.push_back({name, expected, kind, fileBytes(folder + "/" + name),
                            fileBytes(folder + "/" + name + ".pdf.jpg")});
        const std::string& bytes = pictures.back().bytes;
        const std::vector<std::uint8_t> picture(bytes.begin(), bytes.end());
        std::vector<orv::ocr::RecognisedWord> words;
        try {
            words = orv::ocr::RecognisePicture(picture, 15);
        } catch (const orv::Failure& failure) {
            std::fprintf(stderr, "%s: %s\n", name.c_str(), failure.description().c_str());
            ++failed;
        }
        for (const float threshold : thresholds) {
            Score& score = scores[{threshold, kind}];
            ++score.pictures;
            orv::SeenEmails seen;
            const std::string text = orv::ocr::RecognisedText(words, threshold);
            orv::HarvestEmailsFromText(
                text, seen, {{}, [&](std::string_view address) {
                                 if (orv::SeenKey(address) == orv::SeenKey(expected)) {
                                     ++score.found;
                                 } else {
                                     ++score.wrong;
                                     if (threshold == orv::ocr::kAddressWordConfidence)
                                         std::fprintf(stderr, "%s: %s for %s\n", name.c_str(),
                                                      std::string(address).c_str(), expected.c_str());
                                 }
                             }});
        }
    }
    std::printf("confidence class pictures found wrong found%% wrong-per-100-found\n");
    for (const auto& [key, score] : scores)
        std::printf("%5.0f %s %d %d %d %.1f %.2f\n", key.first, key.second.c_str(), score.pictures,
                    score.found, score.wrong, 100.0 * score.found / std::max(1, score.pictures),
                    100.0 * score.wrong / std::max(1, score.found + score.wrong));
    scoreDecks(pictures);
    return failed == 0 ? 0 : 1;
}
