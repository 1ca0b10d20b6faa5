#include "extract/common/ReadFailure.h"

namespace orv {

void ThrowDamaged(const std::string& why, std::string part, std::optional<std::uint64_t> offset) {
    throw Failure(FailureKind::Damaged, "The presentation is damaged: " + why + ".", std::move(part), offset);
}

void ThrowDamagedFile(const std::string& why, std::optional<std::uint64_t> offset) {
    throw Failure(FailureKind::Damaged, "The file is damaged: " + why + ".", {}, offset);
}

void ThrowOverLimit(const std::string& what, std::string part) {
    throw Failure(FailureKind::OverLimit, "The presentation is too large to read safely: " + what + ".",
                  std::move(part));
}

void ThrowOverLimit(const std::string& what, FaultSite site) {
    throw Failure(FailureKind::OverLimit, "The presentation is too large to read safely: " + what + ".",
                  std::string(site.part), site.offset);
}

void ThrowNotPresentation(const std::string& what) {
    throw Failure(FailureKind::NotPresentation, "The file is not a presentation: " + what + ".");
}

} // namespace orv
