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

} // namespace orv
