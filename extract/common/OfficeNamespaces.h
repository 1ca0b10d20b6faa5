#pragma once

#include <string_view>

namespace orv {

// True for the namespaces, beyond PresentationML, DrawingML, relationships
// and markup compatibility, that the presentation application of Office 2010
// and later understands: the PowerPoint and drawing extension namespaces
// published with the Office extension specifications, and the standard
// vocabularies it reads (charts, diagrams, pictures, math, VML). A
// markup-compatibility Choice that requires only namespaces it understands is
// the branch it shows.
bool IsUnderstoodExtension(std::string_view uri);

// The look-up relies on the table being sorted; for the tests.
bool UnderstoodExtensionsAreSorted();

} // namespace orv
