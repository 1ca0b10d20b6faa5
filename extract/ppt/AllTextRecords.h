#pragma once

#include "extract/ppt/Records.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace orv::ppt {

// What the "all text" mode reads of a binary presentation beyond the
// top-level shapes' text.

// The properties of a shape record (OfficeArtSpContainer) that matter here:
// its name, its description (the alternative text; the format keeps no
// title for it), whether it is the group that stands for a table, and the
// pictures it shows (1-based indices into the document's picture store): its
// own, and the one it is filled with.
struct ShapeProperties {
    std::string name;
    std::string description;
    bool table = false;
    std::optional<std::uint32_t> picture;
    std::optional<std::uint32_t> fillPicture; // only when the fill is of the picture kind
};
ShapeProperties ReadShapeProperties(const Record& shapeContainer);

// The hyperlink ids a shape refers to (from its client data and its text
// box's interactive information), appended in record order.
void AppendLinkIds(const Record& shapeContainer, std::vector<std::uint32_t>& ids);

// The hyperlink id an interactive-information record (InteractiveInfo)
// names, if it names one.
std::optional<std::uint32_t> InteractiveLinkId(const Record& interactiveInfo);

// The document's hyperlinks (its ExObjList record): id -> target.
std::unordered_map<std::uint32_t, std::string> ReadHyperlinks(std::span<const std::uint8_t> exObjList);

// The text of every comment of a slide (kept in the slide's programmable
// tags), in record order.
void ForEachComment(std::span<const std::uint8_t> slideBody, const std::function<void(std::string)>& add);

// The texts of a headers-and-footers record's body (a date typed in, a
// header, a footer), in record order.
void ForEachHeaderFooter(std::span<const std::uint8_t> headersFooters,
                         const std::function<void(std::string)>& add);

} // namespace orv::ppt
