#pragma once

#include "extract/model/PresentationContent.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orv::test {

inline constexpr const char* kNoFailure = "no failure";

std::span<const std::uint8_t> BytesOf(const std::string& bytes);
// Reads a presentation held in a string, as a file with those bytes would be read.
PresentationContent ReadBytes(const std::string& bytes);
// The description a read of the bytes fails with, or kNoFailure.
std::string FailureOf(const std::string& bytes);

// Each shape's text, or "<no text frame>", and "<end of slide>" after each
// slide: what comparisons of two readings look at.
std::vector<std::string> ShapeTexts(const PresentationContent& content);
// The addresses a run over the content lists, in order.
std::vector<std::string> AddressesIn(const PresentationContent& content);

} // namespace orv::test
