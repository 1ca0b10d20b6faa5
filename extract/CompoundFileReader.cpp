#include "extract/CompoundFileReader.h"

#include "shell/Failure.h"

namespace orv {

PresentationContent ReadCompoundFilePresentation(const ByteSource&) {
    throw Failure("Binary presentations cannot be read yet.");
}

} // namespace orv
