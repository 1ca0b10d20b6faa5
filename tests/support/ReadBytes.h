#pragma once

#include "base/Failure.h"
#include "extract/model/PresentationContent.h"
#include "extract/model/PresentationDocument.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace orv::test {

// A document over content already in memory: stand-ins for a reader.
class ContentDocument final : public PresentationDocument {
public:
    explicit ContentDocument(PresentationContent content) : m_content(std::move(content)) {}
    std::size_t slideCount() const override { return m_content.slides.size(); }
    SlideContent readSlide(std::size_t index) override { return m_content.slides.at(index); }
    std::size_t masterPageCount() const override { return m_content.masterPages.size(); }
    SlideContent readMasterPage(std::size_t index) override { return m_content.masterPages.at(index); }

private:
    PresentationContent m_content;
};

inline constexpr const char* kNoFailure = "no failure";

std::span<const std::uint8_t> BytesOf(const std::string& bytes);
// Reads a presentation held in a string, as a file with those bytes would be read.
PresentationContent ReadBytes(const std::string& bytes);
// The description a read of the bytes fails with, or kNoFailure.
std::string FailureOf(const std::string& bytes);

// What a refusal carries besides its words, for tests that check the cause.
struct Refusal {
    Refusal(FailureKind failureKind, std::string failurePart = {},
            std::optional<std::uint64_t> failureOffset = std::nullopt)
        : kind(failureKind), part(std::move(failurePart)), offset(failureOffset) {}
    FailureKind kind;
    std::string part;
    std::optional<std::uint64_t> offset;
    bool operator==(const Refusal&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Refusal& refusal);

// How a read of the bytes fails, or nothing when it does not.
std::optional<Refusal> RefusalOf(const std::string& bytes);

// Each shape's text, or "<no text frame>", and "<end of slide>" after each
// slide: what comparisons of two readings look at.
std::vector<std::string> ShapeTexts(const PresentationContent& content);
// Every text the harvest's one walk hands on over the content, in the mode it
// was read in (all text when its slides were read so), as the command-line
// tool's workers walk a file.
struct HarvestedText {
    int slide = 0;
    TextPlace place = TextPlace::Shape;
    std::string name;
    std::string text;
};
std::vector<HarvestedText> HarvestedTexts(const PresentationContent& content);

// The addresses a run over the content lists, in order.
std::vector<std::string> AddressesIn(const PresentationContent& content);
// The same, each as "slide:place:address".
std::vector<std::string> PlacedAddressesIn(const PresentationContent& content);

} // namespace orv::test
