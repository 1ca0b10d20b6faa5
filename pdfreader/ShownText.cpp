#include "pdfreader/ShownText.h"

#include "base/Utf8.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <cctype>
#include <map>
#include <optional>
#include <vector>

namespace orv::pdf {

namespace {

// A font's codes and the text each stands for.
struct FontMap {
    int codeBytes = 1;
    std::map<std::uint32_t, std::u16string> text;
};

std::uint32_t hexValue(const std::string& hex) {
    std::uint32_t value = 0;
    for (const char c : hex) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit >= 0)
            value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::u16string hexUtf16(const std::string& hex) {
    std::u16string out;
    for (std::size_t i = 0; i + 4 <= hex.size(); i += 4)
        out.push_back(static_cast<char16_t>(hexValue(hex.substr(i, 4))));
    return out;
}

// The <...> tokens and the words of a ToUnicode map, in order.
std::vector<std::string> cmapTokens(const std::string& data) {
    std::vector<std::string> tokens;
    for (std::size_t i = 0; i < data.size();) {
        const char c = data[i];
        if (c == '<') {
            const auto end = data.find('>', i);
            if (end == std::string::npos)
                break;
            tokens.push_back(data.substr(i, end + 1 - i));
            i = end + 1;
        } else if (c == '[' || c == ']') {
            tokens.emplace_back(1, c);
            ++i;
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            std::size_t end = i;
            while (end < data.size() && std::isalpha(static_cast<unsigned char>(data[end])))
                ++end;
            tokens.push_back(data.substr(i, end - i));
            i = end;
        } else {
            ++i;
        }
    }
    return tokens;
}

void readToUnicode(const std::string& data, FontMap& map) {
    const auto tokens = cmapTokens(data);
    const auto hex = [&](std::size_t i) {
        return i < tokens.size() && tokens[i].size() >= 2 && tokens[i][0] == '<';
    };
    const auto inner = [&](std::size_t i) { return tokens[i].substr(1, tokens[i].size() - 2); };
    constexpr std::size_t kMaxCodes = 1 << 16;
    for (std::size_t i = 0; i < tokens.size() && map.text.size() < kMaxCodes; ++i) {
        if (tokens[i] == "beginbfchar") {
            for (++i; i + 1 < tokens.size() && hex(i) && hex(i + 1); i += 2)
                map.text[hexValue(inner(i))] = hexUtf16(inner(i + 1));
        } else if (tokens[i] == "beginbfrange") {
            for (++i; i + 2 < tokens.size() && hex(i) && hex(i + 1);) {
                const std::uint32_t low = hexValue(inner(i));
                const std::uint32_t high = std::min(hexValue(inner(i + 1)), low + 0xFFFF);
                if (hex(i + 2)) {
                    std::u16string first = hexUtf16(inner(i + 2));
                    for (std::uint32_t code = low; code <= high && !first.empty() && map.text.size() < kMaxCodes;
                         ++code) {
                        map.text[code] = first;
                        ++first.back();
                    }
                    i += 3;
                } else if (tokens[i + 2] == "[") {
                    std::size_t k = i + 3;
                    for (std::uint32_t code = low; k < tokens.size() && hex(k); ++code, ++k)
                        map.text[code] = hexUtf16(inner(k));
                    i = k + 1;
                } else {
                    break;
                }
            }
        }
    }
}

class Collector final : public QPDFObjectHandle::ParserCallbacks {
public:
    Collector(QPDFObjectHandle fonts, std::size_t limit) : m_fonts(std::move(fonts)), m_limit(limit) {}

    void handleObject(QPDFObjectHandle object) override {
        if (!object.isOperator()) {
            if (m_operands.size() < 64)
                m_operands.push_back(object);
            return;
        }
        const std::string op = object.getOperatorValue();
        if (op == "BMC" || op == "BDC") {
            // Marked content may say what its glyphs stand for (ActualText):
            // a soft hyphen drawn as a hyphen, for one.
            std::optional<std::u16string> actual;
            if (op == "BDC" && m_operands.size() == 2 && m_operands[1].isDictionary()) {
                QPDFObjectHandle text = m_operands[1].getKey("/ActualText");
                if (text.isString())
                    actual = utf16(text.getUTF8Value());
            }
            const bool inside = replaced();
            if (m_marked.size() < 256)
                m_marked.push_back(actual);
            if (actual && !inside && m_text.size() + actual->size() <= m_limit)
                m_text += *actual;
        } else if (op == "EMC") {
            if (!m_marked.empty())
                m_marked.pop_back();
        } else if (replaced()) {
            // The glyphs of marked content with an ActualText stand for it.
        } else if (op == "Tf" && !m_operands.empty() && m_operands.front().isName()) {
            m_font = &fontNamed(m_operands.front().getName());
        } else if ((op == "Tj" || op == "'" || op == "\"") && !m_operands.empty()) {
            show(m_operands.back()); // the string is the last operand of each
        } else if (op == "TJ" && !m_operands.empty() && m_operands.back().isArray()) {
            for (QPDFObjectHandle item : m_operands.back().aitems())
                show(item);
        }
        m_operands.clear();
    }
    void handleEOF() override {}

    std::u16string take() { return std::move(m_text); }

private:
    const FontMap& fontNamed(const std::string& name) {
        auto found = m_maps.find(name);
        if (found != m_maps.end())
            return found->second;
        FontMap& map = m_maps[name];
        if (!m_fonts.isDictionary())
            return map;
        QPDFObjectHandle font = m_fonts.getKey(name);
        if (!font.isDictionary())
            return map;
        if (font.getKey("/Subtype").isNameAndEquals("/Type0"))
            map.codeBytes = 2;
        QPDFObjectHandle toUnicode = font.getKey("/ToUnicode");
        if (toUnicode.isStream()) {
            try {
                // Real maps hold a few hundred kilobytes at most.
                constexpr std::size_t kMaxMapBytes = 4u << 20;
                const auto data = toUnicode.getStreamData(qpdf_dl_generalized);
                if (data->getSize() <= kMaxMapBytes)
                    readToUnicode(std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize()),
                                  map);
            } catch (const std::exception&) {
                map.text.clear();
            }
        }
        return map;
    }

    void show(QPDFObjectHandle string) {
        if (!string.isString() || m_text.size() >= m_limit)
            return;
        const std::string bytes = string.getStringValue();
        const int width = m_font ? m_font->codeBytes : 1;
        for (std::size_t i = 0; i + static_cast<std::size_t>(width) <= bytes.size() && m_text.size() < m_limit;
             i += static_cast<std::size_t>(width)) {
            std::uint32_t code = 0;
            for (int k = 0; k < width; ++k)
                code = code << 8 | static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            const auto mapped = m_font ? m_font->text.find(code) : decltype(m_font->text.end()){};
            if (m_font && mapped != m_font->text.end())
                m_text += mapped->second;
            else
                m_text.push_back(static_cast<char16_t>(code)); // Latin-1 and WinAnsi agree where it counts
        }
    }

    // Whether the glyphs drawn now are told by the ActualText of marked
    // content around them (the outermost one that has one).
    bool replaced() const {
        for (const auto& marked : m_marked)
            if (marked)
                return true;
        return false;
    }

    static std::u16string utf16(const std::string& utf8) {
        std::u16string out;
        for (std::size_t i = 0; i < utf8.size();) {
            const auto c = DecodeUtf8At(utf8, i);
            const std::uint32_t cp = c.value >= 0 ? static_cast<std::uint32_t>(c.value) : 0xFFFD;
            i += c.length > 0 ? c.length : 1;
            if (cp >= 0x10000) {
                out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
                out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
            } else {
                out.push_back(static_cast<char16_t>(cp));
            }
        }
        return out;
    }

    QPDFObjectHandle m_fonts;
    std::size_t m_limit;
    std::vector<std::optional<std::u16string>> m_marked;
    std::vector<QPDFObjectHandle> m_operands;
    std::map<std::string, FontMap> m_maps;
    const FontMap* m_font = nullptr;
    std::u16string m_text;
};

} // namespace

std::u16string ShownText(QPDFPageObjectHelper& page, std::size_t limit) {
    QPDFObjectHandle resources = page.getAttribute("/Resources", false);
    Collector collector(resources.isDictionary() ? resources.getKey("/Font") : QPDFObjectHandle::newNull(), limit);
    page.parseContents(&collector);
    return collector.take();
}

} // namespace orv::pdf
