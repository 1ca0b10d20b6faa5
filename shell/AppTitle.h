#pragma once

#include <string>
#include <string_view>

namespace orv {

inline constexpr std::string_view kProductTitle = "Orvandel";
inline constexpr std::string_view kSettingsApplication = "Quillmoor";
inline constexpr std::string_view kSettingsSection = "Orvandel";

// The product title cut back at its last blank, again and again, while it is
// longer than 40 characters. Used as the caption of every message box that
// names no caption of its own.
std::string ApplicationTitle(std::string_view productTitle);

} // namespace orv
