#include "extract/common/ReaderProtocol.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace orv::reader {

namespace {

[[noreturn]] void badAnswer(const std::string& what) {
    throw Failure(FailureKind::Damaged, "The reader process gave a broken answer: " + what + ".");
}

} // namespace

void FrameWriter::u32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        m_bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void FrameWriter::text(std::string_view value) {
    blob({reinterpret_cast<const std::uint8_t*>(value.data()), value.size()});
}

void FrameWriter::blob(std::span<const std::uint8_t> value) {
    u32(static_cast<std::uint32_t>(value.size()));
    m_bytes.insert(m_bytes.end(), value.begin(), value.end());
}

std::span<const std::uint8_t> FrameReader::take(std::size_t count) {
    if (count > m_bytes.size() - m_at)
        badAnswer("a field runs past its end");
    auto part = m_bytes.subspan(m_at, count);
    m_at += count;
    return part;
}

std::uint8_t FrameReader::byte() {
    return take(1)[0];
}

std::uint32_t FrameReader::u32() {
    const auto b = take(4);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::string FrameReader::text() {
    const auto b = take(u32());
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

std::vector<std::uint8_t> FrameReader::blob() {
    const auto b = take(u32());
    return {b.begin(), b.end()};
}

std::vector<std::uint8_t> EncodeOpen(const OpenRequest& request) {
    FrameWriter w;
    const bool byPath = request.bytes.empty();
    w.byte(static_cast<std::uint8_t>(byPath ? Request::OpenPath : Request::OpenBytes));
    w.byte(static_cast<std::uint8_t>((request.allText ? 1 : 0) | (request.renderTextless ? 2 : 0)));
    w.u32(request.cpuSeconds);
    if (byPath)
        w.text(request.path);
    else
        w.blob(request.bytes);
    return w.bytes();
}

std::vector<std::uint8_t> EncodePageRequest(std::uint32_t index) {
    FrameWriter w;
    w.byte(static_cast<std::uint8_t>(Request::Page));
    w.u32(index);
    return w.bytes();
}

std::vector<std::uint8_t> EncodeFailure(FailureKind kind, std::string_view description) {
    FrameWriter w;
    w.byte(static_cast<std::uint8_t>(Answer::Failed));
    w.byte(static_cast<std::uint8_t>(kind));
    w.text(description);
    return w.bytes();
}

std::vector<std::uint8_t> EncodeOpened(const Opened& opened) {
    FrameWriter w;
    w.byte(static_cast<std::uint8_t>(Answer::Opened));
    w.u32(opened.pages);
    w.u32(opened.masters);
    return w.bytes();
}

std::vector<std::uint8_t> EncodePage(const PageAnswer& page) {
    FrameWriter w;
    w.byte(static_cast<std::uint8_t>(Answer::PageText));
    w.text(page.text);
    for (const auto* list : {&page.links, &page.comments}) {
        w.u32(static_cast<std::uint32_t>(list->size()));
        for (const std::string& item : *list)
            w.text(item);
    }
    w.u32(static_cast<std::uint32_t>(page.pieces.size()));
    for (const TextPiece& piece : page.pieces) {
        w.byte(piece.place);
        w.text(piece.name);
        w.text(piece.text);
    }
    w.u32(static_cast<std::uint32_t>(page.words.size()));
    for (const RecognisedWord& word : page.words) {
        w.text(word.text);
        w.u32(std::bit_cast<std::uint32_t>(word.confidence));
        w.u32(std::bit_cast<std::uint32_t>(word.gapBefore));
        w.byte(word.lineEnd ? 1 : 0);
    }
    w.text(page.skipped);
    w.blob(page.picture);
    return w.bytes();
}

namespace {

// Reads the kind of answer, throwing the failure a Failed answer carries.
FrameReader expect(std::span<const std::uint8_t> payload, Answer kind) {
    FrameReader r(payload);
    const auto got = static_cast<Answer>(r.byte());
    if (got == Answer::Failed) {
        const std::uint8_t failureKind = r.byte();
        std::string description = r.text();
        if (failureKind > static_cast<std::uint8_t>(FailureKind::InputOutput))
            badAnswer("an unknown kind of failure");
        throw Failure(static_cast<FailureKind>(failureKind), description);
    }
    if (got != kind)
        badAnswer("an answer of another kind");
    return r;
}

} // namespace

Opened DecodeOpened(std::span<const std::uint8_t> payload) {
    FrameReader r = expect(payload, Answer::Opened);
    Opened opened;
    opened.pages = r.u32();
    opened.masters = r.u32();
    if (!r.atEnd())
        badAnswer("bytes after the page count");
    return opened;
}

PageAnswer DecodePage(std::span<const std::uint8_t> payload) {
    FrameReader r = expect(payload, Answer::PageText);
    PageAnswer page;
    page.text = r.text();
    for (auto* list : {&page.links, &page.comments}) {
        const std::uint32_t count = r.u32();
        for (std::uint32_t i = 0; i < count; ++i)
            list->push_back(r.text()); // each at least four bytes: the count is bounded by the frame
    }
    const std::uint32_t pieces = r.u32();
    for (std::uint32_t i = 0; i < pieces; ++i) {
        // Each at least nine bytes: the count is bounded by the frame.
        TextPiece piece;
        piece.place = r.byte();
        piece.name = r.text();
        piece.text = r.text();
        page.pieces.push_back(std::move(piece));
    }
    const std::uint32_t words = r.u32();
    for (std::uint32_t i = 0; i < words; ++i) {
        // Each at least thirteen bytes too.
        RecognisedWord word;
        word.text = r.text();
        word.confidence = std::bit_cast<float>(r.u32());
        if (!(word.confidence >= 0 && word.confidence <= 100))
            badAnswer("a word's confidence out of its range");
        word.gapBefore = std::bit_cast<float>(r.u32());
        if (!std::isfinite(word.gapBefore))
            badAnswer("a word's gap out of its range");
        word.lineEnd = r.byte() != 0;
        page.words.push_back(std::move(word));
    }
    page.skipped = r.text();
    page.picture = r.blob();
    if (!r.atEnd())
        badAnswer("bytes after the page");
    return page;
}

namespace {

// Whole reads: false when the stream ends before the first byte.
bool readAll(int fd, std::uint8_t* out, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd, out + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw Failure(FailureKind::InputOutput, std::string("The pipe to the reader process failed: ") +
                                                        std::strerror(errno) + ".");
        if (got == 0) {
            if (done == 0)
                return false;
            throw Failure(FailureKind::Damaged, "The reader process stopped in the middle of an answer.");
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace

bool ReadFrame(int fd, std::vector<std::uint8_t>& payload) {
    std::uint8_t head[4];
    if (!readAll(fd, head, 4))
        return false;
    const std::uint32_t length =
        static_cast<std::uint32_t>(head[0]) | static_cast<std::uint32_t>(head[1]) << 8 |
        static_cast<std::uint32_t>(head[2]) << 16 | static_cast<std::uint32_t>(head[3]) << 24;
    if (length > kMaxFrameBytes)
        throw Failure(FailureKind::OverLimit, "A message of the reader process is longer than its bound.");
    payload.resize(length);
    if (length > 0 && !readAll(fd, payload.data(), length))
        throw Failure(FailureKind::Damaged, "The reader process stopped in the middle of an answer.");
    return true;
}

void WriteFrame(int fd, std::span<const std::uint8_t> payload) {
    if (payload.size() > kMaxFrameBytes)
        throw Failure(FailureKind::OverLimit, "A message for the reader process is longer than its bound.");
    std::vector<std::uint8_t> frame;
    frame.reserve(payload.size() + 4);
    const auto length = static_cast<std::uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i)
        frame.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    frame.insert(frame.end(), payload.begin(), payload.end());
    std::size_t done = 0;
    while (done < frame.size()) {
        // A socket, so that a reader that has died makes this fail rather
        // than raise SIGPIPE in the whole program.
        ssize_t put = ::send(fd, frame.data() + done, frame.size() - done, MSG_NOSIGNAL);
        if (put < 0 && errno == ENOTSOCK)
            put = ::write(fd, frame.data() + done, frame.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            throw Failure(FailureKind::InputOutput, std::string("The pipe to the reader process failed: ") +
                                                        std::strerror(errno) + ".");
        done += static_cast<std::size_t>(put);
    }
}

} // namespace orv::reader
