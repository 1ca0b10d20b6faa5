#include "extract/OoxmlReader.h"

#include "shell/Failure.h"

namespace orv {

PresentationContent ReadOoxmlPresentation(const ByteSource&) {
    throw Failure("Presentation packages cannot be read yet.");
}

} // namespace orv
