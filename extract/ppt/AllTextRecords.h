#pragma once

#include "extract/ppt/Records.h"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace orv::ppt {

// What the "all text" mode reads of a binary presentation beyond the
// top-level shapes' text.

// The properties of a shape record (OfficeArtSpContainer) that matter here:
// its name, and whether it is the group that stands for a table.
struct ShapeProperties {
    std::string name;
    bool table = false;
};
ShapeProperties ReadShapeProperties(const Record& shapeContainer);

// The hyperlink ids a shape refers to (from its client data and its text
// box's interactive information), appended in record order.
void AppendLinkIds(const Record& shapeContainer, std::vector<std::uint32_t>& ids);

// The document's hyperlinks (its ExObjList record): id -> target.
std::unordered_map<std::uint32_t, std::string> ReadHyperlinks(std::span<const std::uint8_t> exObjList);

// The text of every comment of a slide (kept in the slide's programmable
// tags), in record order.
void ForEachComment(std::span<const std::uint8_t> slideBody, const std::function<void(std::string)>& add);

} // namespace orv::ppt
