#include "shell/ErrorReport.h"

#include "base/Failure.h"
#include "base/SafeText.h"

#include <new>

namespace orv {

std::string ErrorReportText(std::string_view location, std::int32_t step, std::string_view description) {
    // A description can quote a file's name or contents: escaped and cut, it
    // stays one readable line whatever the file holds.
    std::string text = PrintableDescription(description);
    text.reserve(text.size() + location.size() + kSupportAddress.size() + 64);
    text.append("\r\n");
    text.append(location);
    text.append("at line ");
    text.append(std::to_string(step));
    text.append("\r\r");
    text.append("Please email screenshot of this message to ");
    text.append(kSupportAddress);
    return text;
}

std::string ListedDescription(std::string_view lead, const std::vector<std::string>& items) {
    const auto more = [](std::size_t rest) {
        return rest == 0 ? std::string() : "; and " + std::to_string(rest) + " more";
    };
    std::string text = PrintableText(lead);
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::string item = PrintableText(items[i]);
        if (i + 1 < items.size() && item.ends_with('.'))
            item.pop_back(); // a sentence's full stop before "; " reads as a stray mark
        const std::string separator = i == 0 ? "" : "; ";
        const std::string tail = more(items.size() - i - 1);
        if (text.size() + separator.size() + item.size() + tail.size() <= kDescriptionLimit) {
            text += separator + item;
            continue;
        }
        if (i > 0) // the tail of the items named so far was counted with them
            return text + more(items.size() - i);
        const std::size_t used = text.size() + tail.size();
        return text + PrintableText(item, used < kDescriptionLimit ? kDescriptionLimit - used : 0) + tail;
    }
    return text;
}

} // namespace orv
