#include "support/ReadBytes.h"

#include "extract/PresentationReader.h"
#include "shell/Failure.h"

namespace orv::test {

std::span<const std::uint8_t> BytesOf(const std::string& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

PresentationContent ReadBytes(const std::string& bytes) {
    return ReadPresentationBytes(BytesOf(bytes));
}

std::string FailureOf(const std::string& bytes) {
    try {
        ReadBytes(bytes);
    } catch (const Failure& failure) {
        return failure.description();
    }
    return kNoFailure;
}

} // namespace orv::test
