#pragma once

#include <cstddef>
#include <string>

namespace orv {

// Where the address of a result row was found: the file as the file list
// named it, the slide (from 1; 0 for masters, layouts and embedded
// documents), the place as the command-line tool names it ("shape",
// "table", ...) and the name of the shape that holds it, empty when none is
// stored.
struct RowSource {
    std::string file;
    std::size_t slide = 0;
    std::string place;
    std::string name = {};
    bool operator==(const RowSource&) const = default;
};

} // namespace orv
