#include "results/Exports.h"

namespace orv {

std::string TextFileBytes(const std::vector<std::string>& rows) {
    std::string out;
    for (const auto& row : rows) {
        out += row;
        out += "\r\n";
    }
    return out;
}

std::string CommaDelimitedBytes(const std::vector<std::string>& rows) {
    std::string out;
    for (const auto& row : rows) {
        out += row;
        out += ',';
    }
    out += "\r\n";
    return out;
}

} // namespace orv
