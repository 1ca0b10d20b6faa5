// The floor of the Keynote reader for bench/run_keynote_bench.sh: only
// inflating what a reader of each deck must inflate, in one process: every
// .iwa part (zip, then snappy), in the deck or in the Index.zip it holds, or
// a Keynote '09 deck's index.apxl. Prints the files and bytes inflated.
//
//   keynote_floor DECK...
#include "base/Failure.h"
#include "extract/common/ByteSource.h"
#include "extract/common/ZipPackage.h"
#include "extract/keynote/IwaArchive.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

using namespace orv;

std::uint64_t inflate(ZipPackage& zip) {
    std::uint64_t bytes = 0;
    keynote::IwaBudget budget;
    for (std::uint64_t i = 0; i < zip.entryCount(); ++i) {
        const std::string name(zip.entryName(i));
        if (name.ends_with(".iwa")) {
            const PartBytes part = zip.read(i, name);
            bytes += keynote::InflateIwa(part.bytes(), name, budget).size();
        } else if (name.ends_with("index.apxl")) {
            bytes += zip.read(i, name).size;
        } else if (name.ends_with("Index.zip")) {
            const PartBytes part = zip.read(i, name);
            const MemoryByteSource source(part.bytes());
            ZipPackage index(source);
            bytes += inflate(index);
        }
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    std::uint64_t bytes = 0;
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        try {
            const FileByteSource source(argv[i]);
            ZipPackage zip(source);
            bytes += inflate(zip);
            ++files;
        } catch (const Failure& failure) {
            std::fprintf(stderr, "keynote_floor: a deck failed: %s\n", failure.description().c_str());
            return 1;
        }
    }
    std::printf("%d files, %llu bytes inflated\n", files, static_cast<unsigned long long>(bytes));
    return 0;
}
