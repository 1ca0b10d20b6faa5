#pragma once

#include <stdexcept>
#include <string>

namespace orv {

// The one exception type of the project. Anything that goes wrong unexpectedly
// (a file that cannot be read, a list index past the end, a damaged package)
// travels as a Failure whose description the error report shows verbatim.
// Expected outcomes (a cancelled dialog, an empty list) are ordinary values.
class Failure : public std::runtime_error {
public:
    explicit Failure(const std::string& description) : std::runtime_error(description) {}
    std::string description() const { return what(); }
};

} // namespace orv
