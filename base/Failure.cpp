#include "base/Failure.h"

namespace orv {

std::string_view FailureKindName(FailureKind kind) {
    switch (kind) {
    case FailureKind::Unexpected:
        return "unexpected";
    case FailureKind::NotPresentation:
        return "not a presentation";
    case FailureKind::Damaged:
        return "damaged";
    case FailureKind::Encrypted:
        return "encrypted";
    case FailureKind::OverLimit:
        return "over a limit";
    case FailureKind::InputOutput:
        return "input/output";
    }
    return "unexpected";
}

} // namespace orv
