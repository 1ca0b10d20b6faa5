#pragma once

#include "base/Failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// Where in a file a fault lies, as the readers know it while they walk: the
// part (empty for a whole file) and the byte offset in it.
struct FaultSite {
    std::string_view part;
    std::optional<std::uint64_t> offset;
};

// The refusals every reader words alike, one lead sentence per kind. `part`
// names the part of the file (zip entry, stream) where the fault lies and
// `offset` the byte in it, where known.

// "The presentation is damaged: <why>."
[[noreturn]] void ThrowDamaged(const std::string& why, std::string part = {},
                               std::optional<std::uint64_t> offset = std::nullopt);

// "The file is damaged: <why>.", for a container that breaks its own rules
// before any presentation in it is reached.
[[noreturn]] void ThrowDamagedFile(const std::string& why,
                                   std::optional<std::uint64_t> offset = std::nullopt);

// "The presentation is too large to read safely: <what>."
[[noreturn]] void ThrowOverLimit(const std::string& what, std::string part = {});
[[noreturn]] void ThrowOverLimit(const std::string& what, FaultSite site);

// "The file is not a presentation: <what>."
[[noreturn]] void ThrowNotPresentation(const std::string& what);

} // namespace orv
