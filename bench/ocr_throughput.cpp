// Reads pictures' text through the text recognition reader process, as the
// core asks for it, for bench/run_ocr_bench.sh: each picture ROUNDS times,
// in turn, on one thread. Prints the pictures read, the seconds taken (the
// reader's start included) and the words holding "@" that were recognised.
//
//   ocr_throughput ROUNDS PICTURE...   (ORVANDEL_OCR_READER names the reader)
#include "base/Failure.h"
#include "extract/ocr/OcrReader.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ocr_throughput ROUNDS PICTURE...\n");
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    std::vector<std::vector<std::uint8_t>> pictures;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        pictures.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const auto start = std::chrono::steady_clock::now();
    long read = 0, addresses = 0, failed = 0;
    for (int round = 0; round < rounds; ++round)
        for (const auto& picture : pictures) {
            try {
                for (const orv::ocr::RecognisedWord& word : orv::ocr::RecognisePicture(picture, 10))
                    addresses += word.text.find('@') != std::string::npos ? 1 : 0;
            } catch (const orv::Failure& failure) {
                if (failed++ == 0)
                    std::fprintf(stderr, "%s\n", failure.description().c_str());
            }
            ++read;
        }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%ld %.4f %ld %ld\n", read, seconds, addresses, failed);
    return failed == 0 ? 0 : 1;
}
