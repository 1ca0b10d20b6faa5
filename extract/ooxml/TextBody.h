#pragma once

#include "extract/common/XmlPart.h"

#include <string>

namespace orv::ooxml {

// Alternate content may nest; real files nest it once. The bound keeps a
// hostile part from driving a walk arbitrarily deep.
inline constexpr int kMaxAlternateContentDepth = 8;

// The branch of an mc:AlternateContent element that the presentation
// application shows, or a null node when it shows nothing.
pugi::xml_node SelectAlternateBranch(pugi::xml_node alternate, const NsScope& alternateScope);

// The text of a text body (p:txBody, a:txBody, or any element whose children
// are DrawingML paragraphs): paragraphs joined with CR, a line break as VT,
// field text included. `parentScope` is the scope of the body's parent.
std::string TextBodyText(pugi::xml_node body, const NsScope& parentScope);

} // namespace orv::ooxml
