#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orv {

// The text with each %-escape of two hex digits decoded; nothing when it
// holds no "%".
std::optional<std::string> PercentDecoded(std::string_view text);

// The address part of a mailto: target (what follows "mailto:", without any
// "?" part, with %-escapes decoded), or nothing for any other target.
std::optional<std::string> MailtoAddress(std::string_view target);

} // namespace orv
