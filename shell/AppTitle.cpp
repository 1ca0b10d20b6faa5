#include "shell/AppTitle.h"

namespace orv {

std::string ApplicationTitle(std::string_view productTitle) {
    std::string title(productTitle);
    // Counted in characters, not bytes: continuation bytes of UTF-8 do not count.
    auto length = [](const std::string& s) {
        std::size_t n = 0;
        for (unsigned char c : s)
            n += (c & 0xC0) != 0x80;
        return n;
    };
    while (length(title) > 40) {
        const auto blank = title.rfind(' ');
        if (blank == std::string::npos)
            break; // a single over-long word cannot be cut at a blank
        title.erase(blank);
    }
    return title;
}

} // namespace orv
