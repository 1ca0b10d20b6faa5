#include "extract/model/ZipPictures.h"

#include "base/SafeText.h"

#include <algorithm>
#include <vector>

namespace orv {

std::string ZipPictures::read(SlideContent& page, const std::string& pagePart, std::uint64_t index,
                              std::string_view part) {
    if (const auto known = m_texts.find(index); known != m_texts.end())
        return known->second;
    const std::size_t skipped = page.skipped.size();
    std::string text = ReadPictureText(
        page, m_reader, pagePart + ", picture " + FileText(part), m_zip.inflatedSize(index).value_or(0),
        [&](const PictureBytesUse& use) { use(m_zip.read(index, part, ZipLedger::Pictures).bytes()); });
    if (page.skipped.size() == skipped)
        m_texts.emplace(index, text);
    return text;
}

std::size_t ZipPictures::CountUnder(const ZipPackage& zip, std::string_view folder, bool anyCase) {
    const auto sameLetter = [anyCase](char a, char b) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return anyCase ? lower(a) == lower(b) : a == b;
    };
    std::size_t count = 0;
    for (std::uint64_t i = 0; i < zip.entryCount(); ++i) {
        const std::string_view name = zip.entryName(i);
        if (name.size() > folder.size() && !name.ends_with('/') &&
            std::equal(folder.begin(), folder.end(), name.begin(), sameLetter))
            ++count;
    }
    return count;
}

} // namespace orv
