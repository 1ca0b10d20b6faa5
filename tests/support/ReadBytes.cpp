#include "support/ReadBytes.h"

#include "base/Failure.h"
#include "extract/Harvest.h"
#include "extract/NativePresentationHost.h"
#include "extract/PresentationReader.h"

namespace orv::test {

std::span<const std::uint8_t> BytesOf(const std::string& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

PresentationContent ReadBytes(const std::string& bytes) {
    return ReadPresentationBytes(BytesOf(bytes));
}

std::string FailureOf(const std::string& bytes) {
    try {
        ReadBytes(bytes);
    } catch (const Failure& failure) {
        return failure.description();
    }
    return kNoFailure;
}

std::ostream& operator<<(std::ostream& out, const Refusal& refusal) {
    out << FailureKindName(refusal.kind) << " in \"" << refusal.part << "\"";
    if (refusal.offset)
        out << " at byte " << *refusal.offset;
    return out;
}

std::optional<Refusal> RefusalOf(const std::string& bytes) {
    try {
        ReadBytes(bytes);
    } catch (const Failure& failure) {
        return Refusal{failure.kind(), failure.part(), failure.offset()};
    }
    return std::nullopt;
}

std::vector<std::string> ShapeTexts(const PresentationContent& content) {
    std::vector<std::string> out;
    for (const auto& slide : content.slides) {
        for (const auto& shape : slide.shapes)
            out.push_back(shape.hasTextFrame ? shape.text : "<no text frame>");
        out.push_back("<end of slide>");
    }
    return out;
}

std::vector<HarvestedText> HarvestedTexts(const PresentationContent& content) {
    const bool allText = !content.slides.empty() && content.slides.front().allTextRead;
    NativePresentationHost host(
        [&](const std::string&, ReadOptions) { return std::make_unique<ContentDocument>(content); });
    std::vector<HarvestedText> texts;
    UnreportedSteps steps;
    HarvestFile("deck", host, allText, steps,
                [&](int slide, TextPlace place, std::string_view name, std::string_view text) {
                    texts.push_back({slide, place, std::string(name), std::string(text)});
                });
    return texts;
}

std::vector<std::string> AddressesIn(const PresentationContent& content) {
    std::vector<std::string> found;
    SeenEmails seen;
    const HarvestCallbacks callbacks{{}, [&](std::string_view a) { found.emplace_back(a); }};
    for (const auto& placed : HarvestedTexts(content))
        HarvestEmailsFromText(placed.text, seen, callbacks);
    return found;
}

std::vector<std::string> PlacedAddressesIn(const PresentationContent& content) {
    std::vector<std::string> found;
    SeenEmails seen;
    for (const auto& placed : HarvestedTexts(content))
        HarvestEmailsFromText(placed.text, seen,
                              {{}, [&](std::string_view address) {
                                   found.push_back(std::to_string(placed.slide) + ":" +
                                                   std::string(TextPlaceName(placed.place)) + ":" +
                                                   std::string(address));
                               }});
    return found;
}

} // namespace orv::test
