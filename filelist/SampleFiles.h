#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace orv {

// The key the sample record is scrambled with: eight lower-case letters.
inline constexpr std::string_view kSampleKey = "orvandel";

// Byte-wise scrambling of UTF-8 text (every byte 1 to 255 comes back
// unchanged): byte plus key byte, wrapping past 255 to 1. `yield` runs once
// per byte, so a long record keeps the window responsive.
std::string ScrambleText(std::string_view text, std::string_view key,
                         const std::function<void()>& yield = {});
std::string UnscrambleText(std::string_view text, std::string_view key,
                           const std::function<void()>& yield = {});

// The sample files beside the program: every existing file of
// programFolder + "/Samples", as full paths joined by "|", in listing order;
// "" when there are none.
std::string SampleRecord(const std::string& programFolder);

} // namespace orv
