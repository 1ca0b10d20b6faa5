#include "extract/common/Uri.h"

namespace orv {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::string> PercentDecoded(std::string_view name) {
    if (name.find('%') == std::string_view::npos)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && i + 2 < name.size() && hexValue(name[i + 1]) >= 0 &&
            hexValue(name[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(name[i + 1]) * 16 + hexValue(name[i + 2]));
            i += 2;
        } else {
            out += name[i];
        }
    }
    return out;
}

std::optional<std::string> MailtoAddress(std::string_view target) {
    constexpr std::string_view scheme = "mailto:";
    if (target.size() < scheme.size())
        return std::nullopt;
    for (std::size_t i = 0; i < scheme.size(); ++i) {
        char c = target[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != scheme[i])
            return std::nullopt;
    }
    target.remove_prefix(scheme.size());
    target = target.substr(0, target.find('?'));
    auto decoded = PercentDecoded(target);
    return decoded ? std::move(*decoded) : std::string(target);
}

} // namespace orv
