#include "results/Exports.h"

#include "base/Utf8.h"

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

std::string CsvTextField(std::string_view text) {
    if (!text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@'))
        return CsvField("'" + std::string(text));
    return CsvField(text);
}

std::string CsvField(std::string_view text) {
    constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD
    std::string out;
    bool quote = false;
    for (std::size_t i = 0; i < text.size();) {
        const DecodedCodePoint cp = DecodeUtf8At(text, i);
        const char c = text[i];
        const bool control = cp.value < 0x20 || (cp.value >= 0x7F && cp.value <= 0x9F);
        if (cp.value < 0 || (control && c != '\r' && c != '\n')) {
            out += kReplacement;
        } else {
            quote = quote || c == ',' || c == '"' || c == '\r' || c == '\n';
            if (c == '"')
                out += '"';
            out.append(text.substr(i, cp.length));
        }
        i += cp.length;
    }
    return quote ? '"' + out + '"' : out;
}

std::string CsvRecord(std::string_view address, const RowSource& source) {
    return CsvField(address) + ',' + CsvTextField(source.file) + ',' + std::to_string(source.slide) + ',' +
           CsvField(source.place) + ',' + CsvTextField(source.name) + "\r\n";
}

std::string CsvFileBytes(const std::vector<SourcedRow>& rows) {
    std::string out(kCsvHeader);
    for (const SourcedRow& row : rows)
        out += row.source ? CsvRecord(row.address, *row.source) : CsvField(row.address) + ",,,,\r\n";
    return out;
}

} // namespace orv
