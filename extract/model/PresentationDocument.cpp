#include "extract/model/PresentationDocument.h"

#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/XmlTree.h"

#include <algorithm>
#include <string>

namespace orv {

SlideContent PresentationDocument::readMasterPage(std::size_t) {
    throw Failure("The presentation has no master pages.");
}

void PlaceText(SlideContent& slide, ShapeBudget& budget, std::optional<TextPlace> pagePlace, TextPlace where,
               std::string name, std::string text) {
    if (text.empty())
        return;
    budget.addText(text.size());
    const bool ownPlace = !pagePlace || where == TextPlace::Picture ||
                          (*pagePlace == TextPlace::Notes && where == TextPlace::Link);
    slide.allText.push_back({ownPlace ? where : *pagePlace, std::move(name), std::move(text)});
}

void PlaceShapeText(SlideContent& slide, std::string name, std::string text, TextPlace where) {
    if (!text.empty())
        slide.allText.push_back({where, std::move(name), std::move(text)});
}

std::string ReadPictureText(SlideContent& page, PictureReader& reader, const std::string& part,
                            std::uint64_t storedSize,
                            const std::function<void(const PictureBytesUse&)>& load) {
    std::string text;
    ReadOrSkip(page.skipped, part, [&] {
        if (storedSize > kMaxPictureBytes)
            ThrowOverLimit("the picture is larger than " + std::to_string(kMaxPictureBytes >> 20) + " MiB",
                           part);
        load([&](std::span<const std::uint8_t> bytes) { text = reader.read(part, bytes); });
    });
    return text;
}

std::string_view TextPlaceName(TextPlace place) {
    switch (place) {
    case TextPlace::Shape:
        return "shape";
    case TextPlace::Group:
        return "group";
    case TextPlace::Table:
        return "table";
    case TextPlace::Diagram:
        return "diagram";
    case TextPlace::Notes:
        return "notes";
    case TextPlace::Comment:
        return "comment";
    case TextPlace::Link:
        return "link";
    case TextPlace::Chart:
        return "chart";
    case TextPlace::Alt:
        return "alt";
    case TextPlace::Master:
        return "master";
    case TextPlace::Layout:
        return "layout";
    case TextPlace::Embedded:
        return "embedded";
    case TextPlace::Page:
        return "page";
    case TextPlace::Picture:
        return "picture";
    }
    return "shape";
}

void ShapeBudget::Ledger::addShape(FaultSite site) {
    if (++slideShapes > limits::kMaxShapesPerSlide)
        ThrowOverLimit("a slide holds more than " + std::to_string(limits::kMaxShapesPerSlide) + " shapes",
                       site);
    if (++fileShapes > limits::kMaxShapesPerFile)
        ThrowOverLimit("its slides hold more than " + std::to_string(limits::kMaxShapesPerFile) +
                           " shapes in all",
                       site);
}

void ShapeBudget::Ledger::addText(std::size_t bytes, FaultSite site) {
    check(bytes, site);
    slideText += bytes;
    fileText += bytes;
}

void ShapeBudget::Ledger::check(std::size_t textBytes, FaultSite site) const {
    if (textBytes > limits::kMaxTextPerSlide || slideText > limits::kMaxTextPerSlide - textBytes)
        ThrowOverLimit("a slide holds more than " + std::to_string(limits::kMaxTextPerSlide >> 20) +
                           " MiB of text",
                       site);
    if (fileText > limits::kMaxTextPerFile - textBytes)
        ThrowOverLimit("its slides hold more than " + std::to_string(limits::kMaxTextPerFile >> 20) +
                           " MiB of text in all",
                       site);
}

void ShapeBudget::addShape(std::size_t textBytes, FaultSite site) {
    m_shapes.addShape(site);
    m_shapes.addText(textBytes, site);
}

void ShapeBudget::checkShapeText(std::size_t shapeTextBytes, FaultSite site) const {
    m_shapes.check(shapeTextBytes, site);
}

void ShapeBudget::countShape(bool topLevel, std::size_t textBytes, FaultSite site) {
    if (topLevel)
        addShape(textBytes, site);
    else
        m_allText.addShape(site);
}

void ShapeBudget::addText(std::size_t bytes, FaultSite site) {
    m_allText.addText(bytes, site);
}

void ShapeBudget::checkText(std::size_t textBytes, FaultSite site) const {
    m_allText.check(textBytes, site);
}

std::size_t ShapeBudget::textRoom() const {
    return std::min(limits::kMaxTextPerSlide - m_allText.slideText,
                    limits::kMaxTextPerFile - m_allText.fileText);
}

XmlRules PartRules(XmlRules rules, const ShapeBudget& budget, const ReadOptions& options) {
    const std::size_t room = budget.textRoom();
    rules.textLimit = options.embeddingBudget ? std::min(room, options.embeddingBudget->textRoom()) : room;
    return rules;
}

void ShapeBudget::nextSlide() {
    for (Ledger* ledger : {&m_shapes, &m_allText}) {
        ledger->slideShapes = 0;
        ledger->slideText = 0;
    }
}

} // namespace orv
