#pragma once

#include "base/Failure.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orv::reader {

// What a reader process (pdfreader/, keynotereader/, ocrreader/) and the core say to
// each other over the reader's standard input and output: one frame per
// request and per answer, a 32-bit little-endian length, then the payload.
// The core opens a document (by path, or by its bytes when it is embedded in
// a deck), then asks for its pages (or slides) one at a time, so that what
// travels at once is one page's text.

// The longest payload either side accepts: a page's text at its bound, its
// annotations, or an embedded document's bytes.
inline constexpr std::size_t kMaxFrameBytes = 80u << 20;

// The exit status a reader process gives itself when it ran out of memory
// (ReaderServer), which the core reports as over a limit (ReaderProcess).
inline constexpr int kExitOverMemory = 3;

enum class Request : std::uint8_t { OpenPath = 'O', OpenBytes = 'B', Page = 'P' };
enum class Answer : std::uint8_t { Failed = 'F', Opened = 'D', PageText = 'T' };

struct OpenRequest {
    bool allText = false;                 // read link and text annotations too
    bool renderTextless = false;          // give each page without text as a picture too
    std::uint32_t cpuSeconds = 0;         // the document's budget of processor time
    std::string path = {};                // for OpenPath: a file, or a package folder
    std::vector<std::uint8_t> bytes = {}; // for OpenBytes
};

// What an opened document holds: its pages (slides), then its master pages,
// asked for as the pages after the last.
struct Opened {
    std::uint32_t pages = 0;
    std::uint32_t masters = 0;
    bool operator==(const Opened&) const = default;
};

// One text of a page that stands apart from the page's text: a shape's, a
// note's, a table's. `place` is a TextPlace by number.
struct TextPiece {
    std::uint8_t place = 0;
    std::string name = {};
    std::string text = {};
    bool operator==(const TextPiece&) const = default;
};

// A word the text recognition of a picture read: its text, how sure the
// engine is of it (0 to 100), the gap
// between it and the word before it on its line, in heights of the line (a
// negative one for the first word of a line), and whether it ends its line.
struct RecognisedWord {
    std::string text = {};
    float confidence = 0;
    float gapBefore = -1;
    bool lineEnd = false;
    bool operator==(const RecognisedWord&) const = default;
};

// The most pixels the text recognition reader decodes a picture to: decoded
// at four bytes a pixel, with the engine's grey and black-and-white copies
// and its model beside, it stays within the reader's memory (kReaderMemoryMiB;
// 16 million pixels peak at about 205 MiB). A JPEG larger is decoded at a
// half, a quarter or an eighth of its size, which its format gives without
// decoding it whole; any other picture larger is refused from its header.
inline constexpr std::uint64_t kMaxDecodedPixels = 16'000'000;

// The reduction (1, 2, 4 or 8) a JPEG of `width` x `height` pixels is decoded
// at; 0 when even an eighth of it is larger than kMaxDecodedPixels.
constexpr int JpegReduction(std::uint64_t width, std::uint64_t height) {
    for (const std::uint64_t reduction : {1u, 2u, 4u, 8u})
        if (((width + reduction - 1) / reduction) * ((height + reduction - 1) / reduction) <=
            kMaxDecodedPixels)
            return static_cast<int>(reduction);
    return 0;
}

// A page as the reader gives it: its text in reading order, lines and
// paragraphs ending in CR, and in the "all text" mode the addresses of its
// mailto: links and the texts of its text annotations, in page order. A
// reader of slides gives their texts as pieces instead, in slide order. The
// reader of pictures (the picture is its one page) gives the lines it
// recognised as the text, and each word of them, in reading order.
struct PageAnswer {
    std::string text = {};
    std::vector<std::string> links = {};
    std::vector<std::string> comments = {};
    std::vector<TextPiece> pieces = {};
    std::vector<RecognisedWord> words = {};
    // What could not be read (the document's annotations, when it is too
    // damaged for them, told with its first page): the description, empty
    // when all was read.
    std::string skipped = {};
    // A page without text, drawn as a picture (a grey PGM) for text
    // recognition, when the document was opened for it; empty otherwise.
    std::vector<std::uint8_t> picture = {};
    bool operator==(const PageAnswer&) const = default;
};

// Builds a payload field by field.
class FrameWriter {
public:
    void byte(std::uint8_t value) { m_bytes.push_back(value); }
    void u32(std::uint32_t value);
    void text(std::string_view value);
    void blob(std::span<const std::uint8_t> value);
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Reads a payload field by field; throws orv::Failure (damaged) past its end.
class FrameReader {
public:
    explicit FrameReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::uint8_t byte();
    std::uint32_t u32();
    std::string text();
    std::vector<std::uint8_t> blob();
    bool atEnd() const { return m_at == m_bytes.size(); }

private:
    std::span<const std::uint8_t> take(std::size_t count);
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

std::vector<std::uint8_t> EncodeOpen(const OpenRequest& request);
std::vector<std::uint8_t> EncodePageRequest(std::uint32_t index);
std::vector<std::uint8_t> EncodeFailure(FailureKind kind, std::string_view description);
std::vector<std::uint8_t> EncodeOpened(const Opened& opened);
std::vector<std::uint8_t> EncodePage(const PageAnswer& page);

// Reads an answer: what an opened document holds, or a page. Throws
// the Failure a Failed answer carries, and orv::Failure for a payload that is
// no answer of the kind expected.
Opened DecodeOpened(std::span<const std::uint8_t> payload);
PageAnswer DecodePage(std::span<const std::uint8_t> payload);

// Whole frames on a descriptor: false at the end of the stream; throws
// orv::Failure when the descriptor fails or a frame is longer than
// kMaxFrameBytes. Writing never raises SIGPIPE.
bool ReadFrame(int fd, std::vector<std::uint8_t>& payload);
void WriteFrame(int fd, std::span<const std::uint8_t> payload);

} // namespace orv::reader
