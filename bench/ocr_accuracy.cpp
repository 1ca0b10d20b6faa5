// Scores what text recognition finds in pictures that show known addresses,
// for bench/run_ocr_accuracy.sh: each picture of the folder's ANSWERS list
// (picture, address, "clear" or "small") is recognised once through the
// reader process, and its words are made into text and harvested as the core
// does, at each of several confidences an address word needs. Prints, per
// confidence and class: pictures, addresses found, and wrong addresses given.
//
//   ocr_accuracy FOLDER   (ORVANDEL_OCR_READER names the reader)
#include "base/Failure.h"
#include "extract/EmailExtraction.h"
#include "extract/ocr/OcrReader.h"
#include "extract/ocr/PictureRun.h"

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
    while (std::getline(answers, line)) {
        std::istringstream fields(line);
        std::string name, expected, kind;
        std::getline(fields, name, '\t');
        std::getline(fields, expected, '\t');
        std::getline(fields, kind, '\t');
        std::ifstream in(folder + "/" + name, std::ios::binary);
        const std::vector<std::uint8_t> picture{std::istreambuf_iterator<char>(in), {}};
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
    return failed == 0 ? 0 : 1;
}
