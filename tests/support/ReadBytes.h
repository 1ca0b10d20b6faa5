#pragma once

#include "extract/PresentationContent.h"

#include <cstdint>
#include <span>
#include <string>

namespace orv::test {

inline constexpr const char* kNoFailure = "no failure";

std::span<const std::uint8_t> BytesOf(const std::string& bytes);
// Reads a presentation held in a string, as a file with those bytes would be read.
PresentationContent ReadBytes(const std::string& bytes);
// The description a read of the bytes fails with, or kNoFailure.
std::string FailureOf(const std::string& bytes);

} // namespace orv::test
