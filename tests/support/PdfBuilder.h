#pragma once

// Writes PDF files for tests and the hostile-file benchmark. Needs nothing
// but zlib.
//
//   orv::test::PdfBuilder b;
//   auto& page = b.addPage();                      // US Letter unless sized
//   page.text(72, 700, 12, "first.la");            // one Tj each, Helvetica
//   page.text(72, 686, 12, "st@example.com");
//   page.link({72, 600, 200, 614}, "mailto:a@example.com");
//   page.note({72, 500, 90, 518}, "see b@example.com");
//   b.setCompressed(true);                         // Flate content streams
//   b.writeTo(path);                               // or b.bytes()
//
// Text is UTF-8 and drawn in WinAnsi encoding: characters it lacks become
// '?'. Annotation contents outside ASCII are written as UTF-16.
//
// PdfObjects underneath takes objects as raw text, so a hostile file can say
// what no honest writer would.

#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orv::test {

// Numbered indirect objects, written out with a cross-reference table.
class PdfObjects {
public:
    int reserve(); // a number for an object set later
    int add(std::string body);
    void set(int number, std::string body);
    const std::string& body(int number) const { return m_bodies.at(static_cast<std::size_t>(number - 1)); }
    int count() const { return static_cast<int>(m_bodies.size()); }

    // PDF 1.4: every object at the top level, a cross-reference table and a
    // trailer naming `root` as the catalog, `trailerExtra` added to it.
    std::string bytes(int root, std::string_view trailerExtra = {}) const;
    // PDF 1.5: objects other than streams packed, `perStream` at a time, in
    // compressed object streams, found through a compressed
    // cross-reference stream. A hundred thousand pages fit in a few hundred KB.
    std::string packedBytes(int root, std::size_t perStream = 1000) const;

private:
    std::vector<std::string> m_bodies;
};

std::string PdfString(std::string_view bytes);    // a literal string, escaped: (a\(b\))
std::string PdfTextString(std::string_view utf8); // as above if ASCII, else UTF-16BE in hex
std::string PdfStream(std::string_view dictionaryEntries, std::string_view data, bool flate);
std::string ZlibCompressed(std::string_view data); // what /FlateDecode inflates
std::string WinAnsi(std::string_view utf8);

class PdfBuilder {
public:
    struct Rect {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    };

    class Page {
    public:
        Page& text(double x, double y, double size, std::string_view utf8);
        Page& raw(std::string_view operators); // content stream operators as given
        Page& link(Rect rect, std::string_view uri);
        Page& note(Rect rect, std::string_view utf8);
        // A colour JPEG of `width` x `height` pixels, drawn in `rect`.
        Page& jpeg(Rect rect, std::string_view bytes, int width, int height);

    private:
        friend class PdfBuilder;
        double m_width = 0, m_height = 0;
        std::string m_content;
        std::vector<std::string> m_annotations;
        std::vector<std::string> m_images; // image XObjects, /Im1 on
    };

    Page& addPage(double width = 612, double height = 792);
    void setCompressed(bool compressed) { m_compressed = compressed; }
    std::string bytes() const;
    void writeTo(const std::filesystem::path& path) const;

private:
    std::deque<Page> m_pages; // pages stay put as more are added
    bool m_compressed = false;
};

} // namespace orv::test
