#pragma once
// Presentations with text in every place the "all text" mode reads, each
// place with its own address: for the reader tests and the fuzzers' seeds.
#include <string>

namespace orv::test {

// Slide 1: a text box, a group (with a nested group), a table, a text box
// linked to a mailto: address, a diagram and another text box; a notes page;
// threaded comments with a reply. Slide 2: a text box and an older comment.
std::string PackageWithEveryPlace();

// The same places in a binary presentation (diagrams are stored there as the
// groups they draw, so that place has no counterpart) and a second slide.
std::string BinaryWithEveryPlace();

} // namespace orv::test
