#include "filelist/SampleFiles.h"

#include "filelist/AddFolder.h"

namespace orv {

namespace {

template <class Step>
std::string walk(std::string_view text, std::string_view key, const std::function<void()>& yield, Step step) {
    std::string out;
    out.reserve(text.size());
    std::size_t k = 0;
    for (unsigned char c : text) {
        if (yield)
            yield();
        const int keyCode = key.empty() ? 0 : static_cast<unsigned char>(key[k]);
        k = key.empty() ? 0 : (k + 1) % key.size();
        out.push_back(static_cast<char>(step(c, keyCode)));
    }
    return out;
}

} // namespace

std::string ScrambleText(std::string_view text, std::string_view key, const std::function<void()>& yield) {
    return walk(text, key, yield, [](int c, int k) { return c + k >= 256 ? c + k - 255 : c + k; });
}

std::string UnscrambleText(std::string_view text, std::string_view key, const std::function<void()>& yield) {
    return walk(text, key, yield, [](int c, int k) { return c - k <= 0 ? c - k + 255 : c - k; });
}

std::string SampleRecord(const std::string& programFolder) {
    const std::string folder = programFolder + "/Samples";
    std::string record;
    for (const auto& name : ListFolderFiles(folder, "*.*")) {
        if (!record.empty())
            record += '|';
        record += folder + "/" + name;
    }
    return record;
}

} // namespace orv
