#include "shell/ErrorReport.h"

#include "shell/Failure.h"

#include <new>

namespace orv {

std::string ErrorReportText(std::string_view location, std::int32_t step, std::string_view description) {
    std::string text;
    text.reserve(description.size() + location.size() + kSupportAddress.size() + 64);
    text.append(description);
    text.append("\r\n");
    text.append(location);
    text.append("at line ");
    text.append(std::to_string(step));
    text.append("\r\r");
    text.append("Please email screenshot of this message to ");
    text.append(kSupportAddress);
    return text;
}

std::string DescribeCurrentException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return "Out of memory";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown failure";
    }
}

} // namespace orv
