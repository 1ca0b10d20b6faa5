#include "support/PdfBuilder.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace orv::test {

namespace {

// The binary comment on the second line tells transfer programs the file is
// not text.
constexpr std::string_view kBinaryMark = "%\xE2\xE3\xCF\xD3\n";

std::string number(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", v);
    std::string out = buffer;
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.')
        out.pop_back();
    return out == "-0" ? "0" : out;
}

std::string ref(int object) {
    return std::to_string(object) + " 0 R";
}

std::string rect(const PdfBuilder::Rect& r) {
    return "[" + number(r.x0) + " " + number(r.y0) + " " + number(r.x1) + " " + number(r.y1) + "]";
}

// Code points of UTF-8 text; a byte that starts no valid sequence stands for U+FFFD.
std::vector<char32_t> codePoints(std::string_view utf8) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        char32_t cp = extra > 0 ? lead & (0x3F >> extra) : lead;
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < utf8.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            ok = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        out.push_back(ok ? cp : U'\uFFFD');
        i += ok ? static_cast<std::size_t>(extra) + 1 : 1;
    }
    return out;
}

// WinAnsi's characters in 0x80..0x9F, by code.
constexpr std::array<char16_t, 32> kWinAnsiHigh = {
    u'\u20AC', 0,         u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', 0,         u'\u017D', 0,
    0,         u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', 0,         u'\u017E', u'\u0178'};

} // namespace

std::string PdfString(std::string_view bytes) {
    std::string out = "(";
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '(' || c == ')' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u >= 0x7F) {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", u);
            out += octal;
        } else {
            out += c;
        }
    }
    return out + ")";
}

std::string PdfTextString(std::string_view utf8) {
    const auto cps = codePoints(utf8);
    bool ascii = true;
    for (const char32_t cp : cps)
        ascii = ascii && cp < 0x80;
    if (ascii)
        return PdfString(utf8);
    std::string out = "<FEFF";
    const auto unit = [&out](unsigned v) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X", v & 0xFFFF);
        out += hex;
    };
    for (const char32_t cp : cps) {
        if (cp >= 0x10000) {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out + ">";
}

std::string WinAnsi(std::string_view utf8) {
    std::string out;
    for (const char32_t cp : codePoints(utf8)) {
        char byte = '?';
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
            byte = static_cast<char>(cp);
        for (std::size_t i = 0; i < kWinAnsiHigh.size(); ++i)
            if (kWinAnsiHigh[i] != 0 && kWinAnsiHigh[i] == cp)
                byte = static_cast<char>(0x80 + i);
        out += byte;
    }
    return out;
}

std::string ZlibCompressed(std::string_view data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib could not compress");
    out.resize(size);
    return out;
}

std::string PdfStream(std::string_view dictionaryEntries, std::string_view data, bool flate) {
    const std::string stored = flate ? ZlibCompressed(data) : std::string(data);
    return "<<" + std::string(dictionaryEntries) + (flate ? "/Filter/FlateDecode" : "") + "/Length " +
           std::to_string(stored.size()) + ">>\nstream\n" + stored + "\nendstream";
}

int PdfObjects::reserve() {
    m_bodies.emplace_back();
    return count();
}

int PdfObjects::add(std::string body) {
    m_bodies.push_back(std::move(body));
    return count();
}

void PdfObjects::set(int number, std::string body) {
    m_bodies.at(static_cast<std::size_t>(number - 1)) = std::move(body);
}

std::string PdfObjects::bytes(int root, std::string_view trailerExtra) const {
    std::string out = "%PDF-1.4\n" + std::string(kBinaryMark);
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < m_bodies.size(); ++i) {
        offsets.push_back(out.size());
        out +=
            std::to_string(i + 1) + " 0 obj\n" + (m_bodies[i].empty() ? "null" : m_bodies[i]) + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(m_bodies.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        char entry[21];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        out += entry;
    }
    return out + "trailer\n<</Size " + std::to_string(m_bodies.size() + 1) + "/Root " + ref(root) +
           std::string(trailerExtra) + ">>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
}

std::string PdfObjects::packedBytes(int root, std::size_t perStream) const {
    struct Entry {
        int type = 0;           // 1 at an offset, 2 in an object stream
        std::size_t field2 = 0; // offset, or the object stream's number
        std::size_t field3 = 0; // index in the object stream
    };
    const std::size_t n = m_bodies.size();
    std::vector<Entry> entries(n + 1);
    std::string out = "%PDF-1.5\n" + std::string(kBinaryMark);
    const auto write = [&out, &entries](std::size_t object, const std::string& body) {
        entries[object] = {1, out.size(), 0};
        out += std::to_string(object) + " 0 obj\n" + body + "\nendobj\n";
    };
    std::vector<std::size_t> packed;
    for (std::size_t i = 1; i <= n; ++i) {
        if (m_bodies[i - 1].ends_with("endstream"))
            write(i, m_bodies[i - 1]);
        else
            packed.push_back(i);
    }
    std::size_t next = n + 1;
    for (std::size_t first = 0; first < packed.size(); first += perStream) {
        const std::size_t stream = next++;
        entries.push_back({});
        std::string header, objects;
        for (std::size_t k = first; k < packed.size() && k < first + perStream; ++k) {
            const std::string& body = m_bodies[packed[k] - 1];
            header += std::to_string(packed[k]) + " " + std::to_string(objects.size()) + " ";
            objects += (body.empty() ? "null" : body) + "\n";
            entries[packed[k]] = {2, stream, k - first};
        }
        write(stream,
              PdfStream("/Type/ObjStm/N " + std::to_string(std::min(perStream, packed.size() - first)) +
                            "/First " + std::to_string(header.size()),
                        header + objects, true));
    }
    const std::size_t xrefObject = next;
    entries.push_back({1, out.size(), 0});
    std::string table;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const std::size_t field3 = i == 0 ? 0xFFFF : e.field3;
        table += static_cast<char>(e.type);
        for (int shift = 24; shift >= 0; shift -= 8)
            table += static_cast<char>((e.field2 >> shift) & 0xFF);
        table += static_cast<char>((field3 >> 8) & 0xFF);
        table += static_cast<char>(field3 & 0xFF);
    }
    const std::size_t xref = out.size();
    out += std::to_string(xrefObject) + " 0 obj\n" +
           PdfStream("/Type/XRef/Size " + std::to_string(entries.size()) + "/W[1 4 2]/Root " + ref(root),
                     table, true) +
           "\nendobj\n";
    return out + "startxref\n" + std::to_string(xref) + "\n%%EOF\n";
}

PdfBuilder::Page& PdfBuilder::Page::text(double x, double y, double size, std::string_view utf8) {
    m_content += "BT /F1 " + number(size) + " Tf " + number(x) + " " + number(y) + " Td " +
                 PdfString(WinAnsi(utf8)) + " Tj ET\n";
    return *this;
}

PdfBuilder::Page& PdfBuilder::Page::raw(std::string_view operators) {
    m_content += operators;
    return *this;
}

PdfBuilder::Page& PdfBuilder::Page::link(Rect r, std::string_view uri) {
    m_annotations.push_back("<</Type/Annot/Subtype/Link/Rect" + rect(r) + "/Border[0 0 0]/A<</S/URI/URI " +
                            PdfString(uri) + ">>>>");
    return *this;
}

PdfBuilder::Page& PdfBuilder::Page::note(Rect r, std::string_view utf8) {
    m_annotations.push_back("<</Type/Annot/Subtype/Text/Rect" + rect(r) + "/Contents " + PdfTextString(utf8) +
                            ">>");
    return *this;
}

PdfBuilder::Page& PdfBuilder::addPage(double width, double height) {
    Page& page = m_pages.emplace_back();
    page.m_width = width;
    page.m_height = height;
    return page;
}

PdfBuilder::Page& PdfBuilder::Page::jpeg(Rect rect, std::string_view bytes, int width, int height) {
    m_images.push_back("<</Type/XObject/Subtype/Image/Width " + std::to_string(width) + "/Height " +
                       std::to_string(height) + "/ColorSpace/DeviceRGB/BitsPerComponent 8/Filter/DCTDecode" +
                       "/Length " + std::to_string(bytes.size()) + ">>\nstream\n" + std::string(bytes) +
                       "\nendstream");
    m_content += "q " + number(rect.x1 - rect.x0) + " 0 0 " + number(rect.y1 - rect.y0) + " " +
                 number(rect.x0) + " " + number(rect.y0) + " cm /Im" + std::to_string(m_images.size()) +
                 " Do Q\n";
    return *this;
}

std::string PdfBuilder::bytes() const {
    PdfObjects objects;
    const int catalog = objects.reserve();
    const int pages = objects.reserve();
    const int font = objects.add("<</Type/Font/Subtype/Type1/BaseFont/Helvetica/Encoding/WinAnsiEncoding>>");
    std::string kids;
    for (const Page& page : m_pages) {
        std::string annotations;
        for (const std::string& annotation : page.m_annotations)
            annotations += ref(objects.add(annotation)) + " ";
        const int content = objects.add(PdfStream("", page.m_content, m_compressed));
        std::string images;
        for (std::size_t i = 0; i < page.m_images.size(); ++i)
            images += "/Im" + std::to_string(i + 1) + " " + ref(objects.add(page.m_images[i]));
        kids += ref(objects.add(
                    "<</Type/Page/Parent " + ref(pages) + "/MediaBox[0 0 " + number(page.m_width) + " " +
                    number(page.m_height) + "]/Resources<</Font<</F1 " + ref(font) + ">>" +
                    (images.empty() ? "" : "/XObject<<" + images + ">>") + ">>/Contents " + ref(content) +
                    (annotations.empty() ? "" : "/Annots[" + annotations + "]") + ">>")) +
                " ";
    }
    objects.set(catalog, "<</Type/Catalog/Pages " + ref(pages) + ">>");
    objects.set(pages, "<</Type/Pages/Kids[" + kids + "]/Count " + std::to_string(m_pages.size()) + ">>");
    return objects.bytes(catalog);
}

void PdfBuilder::writeTo(const std::filesystem::path& path) const {
    const std::string data = bytes();
    std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
}

} // namespace orv::test
