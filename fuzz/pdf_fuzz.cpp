// The PDF reading as the core sees it. Each input is used three ways:
//   - as a page's text and line boxes for the joining of broken lines
//     (extract/pdf/LineJoins.h), which must give UTF-8, join nothing when no
//     boxes are known, and only ever take out line ends: with every break
//     kept or with the joins it chose, the text is the same once the line
//     ends are dropped;
//   - as an answer of the reader process, which must decode or be refused
//     with an orv::Failure;
//   - when ORVANDEL_PDF_READER names the reader program, as a PDF document
//     read through it in the "all text" mode: slides, or a refusal.
// Seeds: fuzz/corpus/pdf_fuzz (small documents, answers and page texts).
#include "base/Failure.h"
#include "base/Utf8.h"
#include "extract/PresentationReader.h"
#include "extract/common/ReaderProtocol.h"
#include "extract/pdf/LineJoins.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace orv;
using namespace orv::pdf;
using namespace orv::reader;

std::string withoutLineEnds(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

void joinLines(std::span<const std::uint8_t> data) {
    // Two bytes a unit of text; a line end every so often by the bytes' own
    // choice. Boxes come from the bytes too, so that joins happen.
    std::u16string text;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2)
        text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    std::vector<Box> lines;
    for (std::size_t i = 0; i + 3 < data.size() && lines.size() < 64; i += 4)
        lines.push_back({double(data[i] % 64), double(data[i + 1]), double(64 + data[i + 2]),
                         double(data[i + 1] + 1 + data[i + 3] % 24)});
    std::size_t asked = 0;
    const LineBoxes boxes = [&](std::size_t a, std::size_t, std::size_t b,
                                std::size_t) -> std::optional<LinePair> {
        ++asked;
        if (lines.empty())
            return std::nullopt;
        return LinePair{lines[a % lines.size()], lines[b % lines.size()]};
    };
    const std::string joined = PageText(text, lines, boxes);
    const std::string apart = PageText(text, lines, [](std::size_t, std::size_t, std::size_t, std::size_t) {
        return std::optional<LinePair>();
    });
    if (!IsUtf8(joined) || !IsUtf8(apart) || asked > kMaxJoinLookups ||
        withoutLineEnds(joined) != withoutLineEnds(apart) || joined.size() > apart.size())
        std::abort();
}

void decodeAnswers(std::span<const std::uint8_t> data) {
    for (const auto decode : {+[](std::span<const std::uint8_t> d) { DecodeOpened(d); },
                              +[](std::span<const std::uint8_t> d) { DecodePage(d); }}) {
        try {
            decode(data);
        } catch (const Failure&) {
        }
    }
}

void readDocument(std::span<const std::uint8_t> data) {
    static const bool withReader = std::getenv("ORVANDEL_PDF_READER") != nullptr;
    const std::string_view head(reinterpret_cast<const char*>(data.data()),
                                std::min<std::size_t>(data.size(), 1024));
    if (!withReader || head.find("%PDF-") == std::string_view::npos)
        return; // decks are the other targets' inputs
    ReadOptions options{true};
    options.pdf = true;
    try {
        const PresentationContent content = ReadPresentationBytes(data, options);
        for (const SlideContent& slide : content.slides)
            if (slide.shapes.size() != 1 || !IsUtf8(slide.shapes[0].text))
                std::abort();
    } catch (const Failure& failure) {
        if (failure.kind() == FailureKind::Unexpected)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    joinLines(bytes);
    decodeAnswers(bytes);
    readDocument(bytes);
    return 0;
}
