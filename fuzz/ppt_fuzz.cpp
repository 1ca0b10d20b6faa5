// Feeds arbitrary bytes to the presentation reader: whatever the input, it must
// end in a result or an orv::Failure, never a crash, hang or huge allocation,
// in the default mode and in the "all text" mode alike.
#include "AllTextCheck.h"
#include "base/Failure.h"
#include "extract/PresentationReader.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Both modes, slide by slide, as the program reads.
    orv::fuzz::CheckBothModes(std::span(data, size));
    return 0;
}
