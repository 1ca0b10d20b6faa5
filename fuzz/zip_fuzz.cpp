// Holds the zip directory this program reads itself to libzip's. Each input is
// opened twice, once as the program opens packages and once with libzip
// reading everything; the two must agree on every outcome: the refusal of the
// whole file (kind and description), the entries and their names, what an
// exact and a case-blind look-up of each name finds, and each part read in
// directory order, then once more in reverse (the bytes, or the refusal).
// Small limits keep hostile sizes quick and let the limits' refusals be
// compared too. Seeds: fuzz/corpus/zip_fuzz (small packages of both kinds,
// cut, with two records shared and a stored part).
#include "base/Failure.h"
#include "extract/common/ByteSource.h"
#include "extract/common/ZipPackage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

namespace {

constexpr std::uint64_t kEntriesCompared = 64;

std::string upper(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string found(std::optional<std::uint64_t> index) {
    return index ? std::to_string(*index) : "none";
}

std::string refusal(const orv::Failure& failure) {
    return std::to_string(static_cast<int>(failure.kind())) + " in " + failure.part() + " at " +
           found(failure.offset()) + ": " + failure.what() + "\n";
}

void readInto(std::string& log, orv::ZipPackage& zip, std::uint64_t index, std::string_view name) {
    try {
        const orv::PartBytes part = zip.read(index, name);
        log += "part " + std::to_string(part.size) + ": " + std::string(part.data.get(), part.size) + "\n";
    } catch (const orv::Failure& failure) {
        log += "refused " + refusal(failure);
    }
}

std::string outcome(const orv::ByteSource& source, orv::ZipDirectoryReader reader) {
    orv::ZipLimits limits;
    limits.maxPartSize = 1u << 20;
    limits.maxTotalInflated = 4u << 20;
    limits.ratioCheckAbove = 64u << 10;
    limits.maxEntries = 1000;
    std::string log;
    try {
        orv::ZipPackage zip(source, limits, reader);
        const std::uint64_t count = zip.entryCount();
        const std::uint64_t compared = std::min(count, kEntriesCompared);
        log += "entries " + std::to_string(count) + "\n";
        for (std::uint64_t i = 0; i < compared; ++i) {
            const std::string name(zip.entryName(i));
            log += "name " + name + " exact " + found(zip.findExact(name)) + " folded " +
                   found(zip.find(upper(name))) + "\n";
        }
        log += "past the end: " + std::string(zip.entryName(count)) + "\n";
        for (std::uint64_t i = 0; i < compared; ++i)
            readInto(log, zip, i, zip.entryName(i));
        for (std::uint64_t i = compared; i-- > 0;)
            readInto(log, zip, i, zip.entryName(i));
        readInto(log, zip, count, "past the end");
    } catch (const orv::Failure& failure) {
        log += "not opened " + refusal(failure);
    }
    return log;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const orv::MemoryByteSource source(std::span(data, size));
    const std::string own = outcome(source, orv::ZipDirectoryReader::Own);
    const std::string library = outcome(source, orv::ZipDirectoryReader::Libzip);
    if (own != library) {
        std::fprintf(stderr, "own directory:\n%s\nlibzip:\n%s\n", own.c_str(), library.c_str());
        std::abort();
    }
    return 0;
}
