#include "cli/CliOutput.h"

#include "base/SafeText.h"
#include "base/Utf8.h"

#include <charconv>
#include <map>
#include <ostream>
#include <set>

namespace orv {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

bool isControl(long cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

// The line and paragraph separators and the bidirectional embeddings,
// overrides and isolates: text that reorders or breaks what a reader of the
// output sees.
bool isInvisibleLayout(long cp) {
    return cp == 0x2028 || cp == 0x2029 || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

// A small reader of the flat objects JsonLine writes.
class JsonReader {
public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    void skipSpace() {
        while (m_at < m_text.size() &&
               (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\r' || m_text[m_at] == '\n'))
            ++m_at;
    }
    bool take(char c) {
        skipSpace();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool atEnd() {
        skipSpace();
        return m_at == m_text.size();
    }
    bool peek(char c) {
        skipSpace();
        return m_at < m_text.size() && m_text[m_at] == c;
    }

    std::optional<std::string> string() {
        if (!take('"'))
            return std::nullopt;
        std::string out;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size())
                return std::nullopt;
            const char e = m_text[m_at++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                auto unit = hex4();
                if (!unit)
                    return std::nullopt;
                unsigned long cp = *unit;
                if (cp >= 0xD800 && cp <= 0xDBFF && m_text.substr(m_at, 2) == "\\u") {
                    m_at += 2;
                    const auto low = hex4();
                    if (!low)
                        return std::nullopt;
                    if (*low >= 0xDC00 && *low <= 0xDFFF)
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
                    else
                        return std::nullopt;
                } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                    cp = 0xFFFD;
                }
                AppendUtf8(out, static_cast<std::uint32_t>(cp));
                break;
            }
            default:
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::optional<std::size_t> number() {
        skipSpace();
        std::size_t value = 0;
        const char* begin = m_text.data() + m_at;
        const auto [end, ec] = std::from_chars(begin, m_text.data() + m_text.size(), value);
        if (ec != std::errc() || end == begin)
            return std::nullopt;
        // A fraction or an exponent makes it no whole number ("1.5", "1e3").
        if (end != m_text.data() + m_text.size() && (*end == '.' || *end == 'e' || *end == 'E'))
            return std::nullopt;
        m_at += static_cast<std::size_t>(end - begin);
        return value;
    }

private:
    std::optional<unsigned long> hex4() {
        if (m_text.size() - m_at < 4)
            return std::nullopt;
        unsigned long value = 0;
        const auto [end, ec] = std::from_chars(m_text.data() + m_at, m_text.data() + m_at + 4, value, 16);
        if (ec != std::errc() || end != m_text.data() + m_at + 4)
            return std::nullopt;
        m_at += 4;
        return value;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

std::optional<TextPlace> placeNamed(std::string_view name) {
    for (const TextPlace place : kTextPlaces)
        if (TextPlaceName(place) == name)
            return place;
    return std::nullopt;
}

std::optional<FailureKind> kindNamed(std::string_view name) {
    for (const FailureKind kind :
         {FailureKind::Unexpected, FailureKind::NotPresentation, FailureKind::Damaged, FailureKind::Encrypted,
          FailureKind::OverLimit, FailureKind::InputOutput})
        if (FailureKindName(kind) == name)
            return kind;
    return std::nullopt;
}

} // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const DecodedCodePoint cp = DecodeUtf8At(text, i);
        if (cp.value < 0) {
            out += kReplacement;
        } else if (cp.value == '"' || cp.value == '\\') {
            out += '\\';
            out += static_cast<char>(cp.value);
        } else if (cp.value == '\n') {
            out += "\\n";
        } else if (cp.value == '\r') {
            out += "\\r";
        } else if (cp.value == '\t') {
            out += "\\t";
        } else if (isControl(cp.value) || isInvisibleLayout(cp.value)) {
            static constexpr char digits[] = "0123456789abcdef";
            out += "\\u";
            for (const int shift : {12, 8, 4, 0})
                out += digits[(cp.value >> shift) & 0xF];
        } else {
            out.append(text.substr(i, cp.length));
        }
        i += cp.length;
    }
    return out + '"';
}

std::string JsonLine(const AddressRecord& record) {
    return "{\"address\":" + JsonString(record.address) + ",\"file\":" + JsonString(record.file) +
           ",\"slide\":" + std::to_string(record.slide) +
           ",\"place\":" + JsonString(TextPlaceName(record.place)) + ",\"name\":" + JsonString(record.name) +
           "}";
}

std::string ErrorRecord::shown() const {
    return shownFile.empty() ? PrintableText(file) : PrintableText(shownFile);
}

std::string JsonLine(const ErrorRecord& record) {
    std::string line = "{\"error\":" + JsonString(record.error) +
                       ",\"kind\":" + JsonString(FailureKindName(record.kind)) +
                       ",\"file\":" + JsonString(record.file);
    if (!record.shownFile.empty() || !IsUtf8(record.file))
        line += ",\"file_shown\":" + JsonString(record.shown());
    return line + ",\"part\":" + JsonString(record.part) + "}";
}

std::optional<ShardRecord> ParseJsonLine(std::string_view line, std::string& error) {
    JsonReader reader(line);
    if (!reader.take('{')) {
        error = "a record must be a JSON object";
        return std::nullopt;
    }
    std::set<std::string, std::less<>> keys;
    std::map<std::string, std::string, std::less<>> fields; // the string fields
    std::optional<std::size_t> slide;
    while (!reader.take('}')) {
        if (!keys.empty() && !reader.take(',')) {
            error = "the record's fields are not separated by commas";
            return std::nullopt;
        }
        auto key = reader.string();
        if (!key || !reader.take(':')) {
            error = "a field has no name";
            return std::nullopt;
        }
        if (!keys.insert(*key).second) {
            // Else the last would win, and a shard could replace an address.
            error = "the field " + *key + " appears twice";
            return std::nullopt;
        }
        if (*key == "slide") {
            slide = reader.number();
            if (!slide) {
                error = "the slide is not a whole number";
                return std::nullopt;
            }
            continue;
        }
        auto value = reader.string();
        if (!value) {
            error = "the field " + *key + " is not a valid string";
            return std::nullopt;
        }
        fields.emplace(std::move(*key), std::move(*value));
    }
    if (!reader.atEnd()) {
        error = "there is more after the record";
        return std::nullopt;
    }
    const auto field = [&](std::string_view key) -> const std::string* {
        const auto it = fields.find(key);
        return it == fields.end() ? nullptr : &it->second;
    };
    if (field("error")) {
        if (field("address")) {
            error = "a record is an address or an error, not both";
            return std::nullopt;
        }
        if (!field("kind") || !field("file")) {
            error = "the error record lacks one of error, kind, file";
            return std::nullopt;
        }
        const auto kind = kindNamed(*field("kind"));
        if (!kind) {
            error = "the kind is none of the kinds of failure";
            return std::nullopt;
        }
        return ErrorRecord{*field("error"), *kind, *field("file"),
                           field("part") ? *field("part") : std::string(),
                           field("file_shown") ? *field("file_shown") : std::string()};
    }
    if (!field("address") || !field("file") || !slide || !field("place")) {
        error = "the record lacks one of address, file, slide, place";
        return std::nullopt;
    }
    const auto place = placeNamed(*field("place"));
    if (!place) {
        error = "the place is none of";
        for (const TextPlace known : kTextPlaces)
            error += std::string(known == kTextPlaces[0] ? " " : ", ") + std::string(TextPlaceName(known));
        return std::nullopt;
    }
    return AddressRecord{*field("address"), *field("file"), *slide, *place,
                         field("name") ? *field("name") : std::string()};
}

AddressWriter::AddressWriter(std::ostream& out, CliFormat format) : m_out(out), m_format(format) {
    if (m_format == CliFormat::Csv)
        m_out << kCsvHeader;
}

void AddressWriter::write(const AddressRecord& record) {
    switch (m_format) {
    case CliFormat::Text:
        m_out << record.address << '\n';
        break;
    case CliFormat::Comma:
        m_out << record.address << ',';
        break;
    case CliFormat::Csv:
        m_out << CsvRecord(record.address, RowSource{record.file, record.slide,
                                                     std::string(TextPlaceName(record.place)), record.name});
        break;
    case CliFormat::Jsonl:
        m_out << JsonLine(record) << '\n';
        break;
    }
}

void AddressWriter::write(const ErrorRecord& record) {
    if (m_format == CliFormat::Jsonl)
        m_out << JsonLine(record) << '\n';
}

void AddressWriter::flush() {
    m_out.flush();
}

void AddressWriter::finish() {
    if (m_format == CliFormat::Comma)
        m_out << "\r\n";
    m_out.flush();
}

} // namespace orv
