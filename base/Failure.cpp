#include "base/Failure.h"

#include <new>

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

std::string DescribeCurrentException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return "Out of memory";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown failure";
    }
}

} // namespace orv
