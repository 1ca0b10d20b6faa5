// Throughput of reading a folder of presentation packages (Office Open XML or
// OpenDocument), single-threaded.
//
//   ooxml_throughput MODE DIR [MAX_FILES [PASSES]]
//
// PASSES (default 1) reads the files that many times over, for a corpus too
// small to time in one pass; files/s counts every read.
// MODE reader:     the full reader (ReadPresentationFile) on every file
// MODE pictures:   the same with the pictures requested, each picture found
//                  and loaded but none recognised: what reading pictures
//                  costs the reader itself
// MODE zlib:       the floor: only locate and inflate the slide parts (an
//                  OpenDocument presentation's content.xml) with zlib
// MODE libdeflate: the same floor inflating with libdeflate
//
// Prints files/s, MB/s of slide XML (inflated bytes of ppt/slides/slide*.xml)
// and the peak resident memory of the process. Run each mode in its own
// process so the peaks do not mix.
#include "base/Failure.h"
#include "extract/PresentationReader.h"
#include "extract/model/PresentationDocument.h"

#include <libdeflate.h>
#include <sys/resource.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

// The parts that hold slide text: a package's slide parts, or the content
// part of an OpenDocument presentation.
bool isSlidePart(const char* name) {
    const std::string_view n(name);
    return (n.starts_with("ppt/slides/slide") && n.ends_with(".xml")) || n == "content.xml";
}

// Inflates the slide parts of one package; returns their inflated size.
template <typename Inflate> std::uint64_t inflateSlides(const std::string& path, Inflate&& inflate) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr)
        return 0;
    std::uint64_t total = 0;
    std::vector<char> raw;
    std::vector<char> out;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !isSlidePart(st.name) ||
            st.comp_method != ZIP_CM_DEFLATE)
            continue;
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), ZIP_FL_COMPRESSED);
        if (file == nullptr)
            continue;
        raw.resize(st.comp_size);
        out.resize(st.size);
        if (zip_fread(file, raw.data(), st.comp_size) == static_cast<zip_int64_t>(st.comp_size) &&
            inflate(raw, out))
            total += st.size;
        zip_fclose(file);
    }
    zip_discard(archive);
    return total;
}

std::uint64_t slideXmlBytes(const std::string& path) {
    return inflateSlides(path, [](const std::vector<char>&, std::vector<char>&) { return true; });
}

// Takes every picture it is given and recognises none: the pictures and
// their bytes, counted.
class PassingPictures final : public orv::PictureReader {
public:
    void expect(std::size_t) override {}
    std::string read(const std::string&, std::span<const std::uint8_t> bytes) override {
        ++count;
        loaded += bytes.size();
        return {};
    }
    std::size_t count = 0;
    std::uint64_t loaded = 0;
};

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: ooxml_throughput reader|pictures|zlib|libdeflate DIR [MAX_FILES [PASSES]]\n");
        return 2;
    }
    const std::string mode = argv[1];
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(argv[2]))
        if (entry.is_regular_file())
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    if (argc >= 4)
        files.resize(std::min<std::size_t>(files.size(), std::stoul(argv[3])));
    const std::size_t passes = argc >= 5 ? std::max<std::size_t>(1, std::stoul(argv[4])) : 1;

    std::uint64_t xmlBytes = 0;
    for (const auto& f : files)
        xmlBytes += slideXmlBytes(f); // untimed: the amount of slide XML the corpus holds
    xmlBytes *= passes;
    std::vector<std::string> reads;
    for (std::size_t pass = 0; pass < passes; ++pass)
        reads.insert(reads.end(), files.begin(), files.end());

    z_stream zs{};
    inflateInit2(&zs, -MAX_WBITS);
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    std::size_t shapes = 0;
    int failures = 0;
    const auto pictures = std::make_shared<PassingPictures>();
    const auto start = std::chrono::steady_clock::now();
    for (const auto& f : reads) {
        if (mode == "reader" || mode == "pictures") {
            try {
                orv::ReadOptions options;
                if (mode == "pictures") {
                    options.pictures = true;
                    options.pictureReader = pictures;
                }
                for (const auto& slide : orv::ReadPresentationFile(f, options).slides)
                    shapes += slide.shapes.size();
            } catch (const orv::Failure& failure) {
                if (++failures < 3)
                    std::fprintf(stderr, "%s: %s\n", f.c_str(), failure.what());
            }
        } else if (mode == "zlib") {
            inflateSlides(f, [&](const std::vector<char>& in, std::vector<char>& out) {
                inflateReset(&zs);
                zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
                zs.avail_in = static_cast<uInt>(in.size());
                zs.next_out = reinterpret_cast<Bytef*>(out.data());
                zs.avail_out = static_cast<uInt>(out.size());
                return inflate(&zs, Z_FINISH) == Z_STREAM_END;
            });
        } else if (mode == "libdeflate") {
            inflateSlides(f, [&](const std::vector<char>& in, std::vector<char>& out) {
                return libdeflate_deflate_decompress(inflater, in.data(), in.size(), out.data(), out.size(),
                                                     nullptr) == LIBDEFLATE_SUCCESS;
            });
        } else {
            std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
            return 2;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    inflateEnd(&zs);
    libdeflate_free_decompressor(inflater);
    std::printf("%-10s %5zu files %8.1f files/s %7.1f MB/s slide XML (%.1f MB) peak %6.1f MiB", mode.c_str(),
                reads.size(), static_cast<double>(reads.size()) / seconds,
                static_cast<double>(xmlBytes) / 1e6 / seconds, static_cast<double>(xmlBytes) / 1e6,
                static_cast<double>(peakKiB()) / 1024.0);
    if (mode == "reader" || mode == "pictures")
        std::printf(" (%zu shapes, %d failures)", shapes, failures);
    if (mode == "pictures")
        std::printf(" (%zu pictures, %.1f MB)", pictures->count, static_cast<double>(pictures->loaded) / 1e6);
    std::printf("\n");
    return failures == 0 ? 0 : 1;
}
