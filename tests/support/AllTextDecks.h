#pragma once
// Presentations with text in every place the "all text" mode reads, each
// place with its own address: for the reader tests and the fuzzers' seeds.
#include "support/OdpBuilder.h"

#include <functional>
#include <string>

namespace orv::test {

// Slide 1: a text box, a group (with a nested group), a table, a text box
// linked to a mailto: address, a diagram and another text box; a notes page;
// threaded comments with a reply. Slide 2: a text box, an older comment, an
// embedded workbook and text document. A master, a layout, a notes master
// and a handout master each hold an address.
// `change` may alter the package before it is written.
class PptxBuilder;
std::string PackageWithEveryPlace(const std::function<void(PptxBuilder&)>& change = {});

// The same places in a binary presentation (diagrams are stored there as the
// groups they draw, so that place has no counterpart) and a second slide.
// `change` may alter its streams before they are packed.
struct PptStreams;
std::string BinaryWithEveryPlace(const std::function<void(PptStreams&)>& change = {});

// The same places in an OpenDocument presentation (which has no diagrams),
// write it as a package or a flat file. The comments and the notes come
// before the shapes in the markup, and the shapes' links are read after the
// comments; slide 1 also has a chart, alternative text, a click action and a
// link on its notes page. Slide 2: a text box, a mailto: link used twice and
// a web link. A master page holds a footer address.
OdpBuilder OpenDocumentWithEveryPlace();

} // namespace orv::test
