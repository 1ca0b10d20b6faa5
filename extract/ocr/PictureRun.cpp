#include "extract/ocr/PictureRun.h"

#include "base/Failure.h"
#include "extract/common/ReaderProcess.h"
#include "extract/ocr/PictureHeader.h"

#include <xxhash.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

namespace orv::ocr {

namespace {

// The pictures a run remembers what they showed: past this many, a picture
// met again is recognised again, so that a run's memory stays bounded.
constexpr std::size_t kRememberedPictures = 20'000;

bool mayMakeAddress(std::string_view word) {
    return word.find('@') != std::string_view::npos;
}

[[noreturn]] void throwStopped() {
    throw Failure(FailureKind::Unexpected, "The run was stopped.");
}

// A picture's identity: its size and a 128-bit hash of its bytes.
struct PictureKey {
    std::uint64_t size = 0;
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    auto operator<=>(const PictureKey&) const = default;
};

PictureKey keyOf(std::span<const std::uint8_t> bytes) {
    const XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
    return {bytes.size(), hash.low64, hash.high64};
}

// What a picture showed, or why it was skipped.
struct Remembered {
    std::string text;
    std::optional<FailureKind> failure;
    std::string description;
};

// Words closer than this (in heights of their line) are one word the engine
// cut in two, as it cuts an address at an underscore or beside its "@".
constexpr float kTouchingGap = 0.15f;

bool startsWithAny(std::string_view word, std::string_view characters) {
    return !word.empty() && characters.find(word.front()) != std::string_view::npos;
}
bool endsWithAny(std::string_view word, std::string_view characters) {
    return !word.empty() && characters.find(word.back()) != std::string_view::npos;
}

// How a word holding an "@" enters the text: left out, when a misread could
// make a wrong address of it, or kept, glued to the word before or after it
// when the engine cut the address there.
struct AddressWord {
    bool keep = false;
    bool glueNext = false;
    std::string text;
};

AddressWord addressWord(std::span<const RecognisedWord> line, std::size_t k, float confidence) {
    const RecognisedWord& word = line[k];
    AddressWord out;
    if (word.confidence < confidence)
        return out;
    const RecognisedWord* before = k > 0 ? &line[k - 1] : nullptr;
    const RecognisedWord* after = k + 1 < line.size() ? &line[k + 1] : nullptr;
    const auto touching = [](const RecognisedWord& w) {
        return w.gapBefore >= 0 && w.gapBefore < kTouchingGap;
    };
    // An address cut at its "@" or an underscore is glued together again; a
    // word touching it anywhere else, or one that ends (or begins) at a dot
    // or a hyphen beside it, leaves unsure where the address begins or ends.
    if (before && touching(word)) {
        if (!startsWithAny(word.text, "@_"))
            return out;
    } else if (before && (endsWithAny(before->text, "._-@") || startsWithAny(word.text, "._-@"))) {
        return out;
    }
    if (after && touching(*after)) {
        if (!endsWithAny(word.text, "@_") && !startsWithAny(after->text, "@_"))
            return out;
        out.glueNext = true;
    } else if (after && (startsWithAny(after->text, "._-@") || endsWithAny(word.text, "._-@"))) {
        return out;
    }
    out.keep = true;
    out.text = word.text;
    // A vertical stroke is a lower-case L in an address, and so is a capital
    // I among lower-case letters only, and a one before the dot of an
    // initial: in most typefaces they look alike, and addresses are written
    // in lower case and begin with a letter.
    std::replace(out.text.begin(), out.text.end(), '|', 'l');
    if (std::none_of(out.text.begin(), out.text.end(),
                     [](char c) { return c >= 'A' && c <= 'Z' && c != 'I'; }))
        std::replace(out.text.begin(), out.text.end(), 'I', 'l');
    if (out.text.starts_with("1."))
        out.text.front() = 'l';
    return out;
}

} // namespace

std::string RecognisedText(std::span<const RecognisedWord> words, float addressWordConfidence) {
    std::string text;
    std::size_t lineStart = 0;
    while (lineStart < words.size()) {
        std::size_t lineEnd = lineStart;
        while (lineEnd < words.size() && !words[lineEnd].lineEnd)
            ++lineEnd;
        lineEnd = std::min(lineEnd + 1, words.size());
        const std::span<const RecognisedWord> line = words.subspan(lineStart, lineEnd - lineStart);
        std::string lineText;
        bool glued = false; // the next word follows the last without a space
        for (std::size_t k = 0; k < line.size(); ++k) {
            std::string word = line[k].text;
            bool glueNext = false;
            if (mayMakeAddress(word)) {
                AddressWord address = addressWord(line, k, addressWordConfidence);
                if (!address.keep) {
                    glued = false;
                    continue;
                }
                word = std::move(address.text);
                glueNext = address.glueNext;
                // Glued to the word before: "kim" and "_lee@example.com".
                glued = glued || (k > 0 && line[k].gapBefore >= 0 && line[k].gapBefore < kTouchingGap);
            }
            if (word.empty())
                continue;
            if (!lineText.empty() && !glued)
                lineText += ' ';
            lineText += word;
            glued = glueNext;
        }
        if (!lineText.empty()) {
            if (!text.empty())
                text += '\r';
            text += lineText;
        }
        lineStart = lineEnd;
    }
    return text;
}

struct RecognitionRun::State {
    RecogniseFunction recognise;
    PictureBounds bounds;
    std::atomic<bool> stopped{false};
    mutable std::mutex mutex;
    std::map<PictureKey, Remembered> remembered;
    std::map<std::string, PictureProgress> progress;
    std::set<reader::ReaderProcess*> recognising; // processes at work, ended by a stop
    std::size_t recognitions = 0;

    std::optional<Remembered> recall(const PictureKey& key) const {
        const std::lock_guard lock(mutex);
        const auto found = remembered.find(key);
        return found != remembered.end() ? std::optional(found->second) : std::nullopt;
    }
    void remember(const PictureKey& key, Remembered what) {
        const std::lock_guard lock(mutex);
        if (remembered.size() < kRememberedPictures)
            remembered.emplace(key, std::move(what));
    }

    // The program's own recognition in the calling thread's reader process,
    // which a stop ends while it works.
    std::vector<RecognisedWord> recogniseHere(std::span<const std::uint8_t> picture, std::uint32_t seconds) {
        reader::ReaderProcess& process = reader::ReaderProcess::ForThisThread(kReaderProgram);
        {
            const std::lock_guard lock(mutex);
            recognising.insert(&process);
        }
        struct Leave {
            State& state;
            reader::ReaderProcess& process;
            ~Leave() {
                const std::lock_guard lock(state.mutex);
                state.recognising.erase(&process);
            }
        } leave{*this, process};
        if (stopped)
            throwStopped();
        return RecognisePicture(picture, seconds);
    }
};

// The pictures of one file: its bounds, and its progress told to the run.
class RecognitionRun::FileReader final : public PictureReader {
public:
    FileReader(std::shared_ptr<State> state, std::string file)
        : m_state(std::move(state)), m_file(std::move(file)) {
        tell();
    }
    ~FileReader() override {
        const std::lock_guard lock(m_state->mutex);
        m_state->progress.erase(m_file);
    }

    void expect(std::size_t pictures) override {
        m_progress.total += pictures;
        tell();
    }

    std::string read(const std::string& part, std::span<const std::uint8_t> bytes) override {
        const PictureBounds& b = m_state->bounds;
        if (m_state->stopped)
            throwStopped();
        ++m_progress.read;
        m_progress.total = std::max(m_progress.total, m_progress.read);
        tell();
        const std::optional<PictureHeader> header = ReadPictureHeader(bytes);
        if (!header)
            fail(FailureKind::Damaged, "its header is damaged", part);
        if (header->kind == PictureKind::Vector || header->kind == PictureKind::Unknown)
            return {}; // drawings and kinds no decoder here reads are passed over
        // A JPEG too large is decoded at a fraction of its size.
        const int reduction = header->kind == PictureKind::Jpeg
                                  ? std::max(1, reader::JpegReduction(header->width, header->height))
                                  : 1;
        const auto reduced = [&](std::uint64_t side) { return (side + reduction - 1) / reduction; };
        const std::uint64_t pixels = reduced(header->width) * reduced(header->height);
        if (pixels > b.picturePixels)
            fail(FailureKind::OverLimit,
                 "it declares " + std::to_string(header->width) + " x " + std::to_string(header->height) +
                     " pixels, more than " + std::to_string(b.picturePixels / 1'000'000) +
                     " million are read",
                 part);
        const PictureKey key = keyOf(bytes);
        if (std::optional<Remembered> known = m_state->recall(key)) {
            if (known->failure)
                throw Failure(*known->failure, known->description, part);
            return std::move(known->text);
        }
        if (++m_new > b.picturesPerFile)
            fail(FailureKind::OverLimit,
                 "the file holds more than " + std::to_string(b.picturesPerFile) +
                     " different pictures; the rest are not read",
                 part);
        if (m_pixels + pixels > b.filePixels)
            fail(FailureKind::OverLimit,
                 "the file's pictures hold more than " + std::to_string(b.filePixels / 1'000'000) +
                     " million pixels to recognise",
                 part);
        const auto left = std::chrono::seconds(b.fileSeconds) - m_spent;
        if (left < std::chrono::seconds(1))
            fail(FailureKind::OverLimit,
                 "recognising the file's pictures took more than " + std::to_string(b.fileSeconds) +
                     " seconds; the rest are not read",
                 part);
        const auto seconds = static_cast<std::uint32_t>(std::min<std::int64_t>(
            b.pictureSeconds, std::chrono::duration_cast<std::chrono::seconds>(left).count()));
        m_pixels += pixels;
        const auto start = std::chrono::steady_clock::now();
        std::vector<RecognisedWord> words;
        try {
            words = m_state->recognise(bytes, seconds);
        } catch (const Failure& failure) {
            m_spent += std::chrono::steady_clock::now() - start;
            if (m_state->stopped)
                throwStopped();
            // What any file would meet again is remembered: a damaged picture,
            // or one that overran the whole time a picture has.
            const bool lasting = failure.kind() == FailureKind::Damaged ||
                                 (failure.kind() == FailureKind::OverLimit && seconds == b.pictureSeconds);
            if (lasting)
                m_state->remember(key, {{}, failure.kind(), failure.description()});
            throw Failure(failure.kind(), failure.description(), part);
        }
        m_spent += std::chrono::steady_clock::now() - start;
        if (m_state->stopped)
            throwStopped();
        std::string text = RecognisedText(words);
        {
            const std::lock_guard lock(m_state->mutex);
            ++m_state->recognitions;
        }
        m_state->remember(key, {text, std::nullopt, {}});
        return text;
    }

private:
    void tell() {
        const std::lock_guard lock(m_state->mutex);
        m_state->progress[m_file] = m_progress;
    }
    [[noreturn]] static void fail(FailureKind kind, const std::string& why, const std::string& part) {
        throw Failure(kind,
                      std::string(kind == FailureKind::Damaged
                                      ? "The picture is damaged: "
                                      : "The picture is too large to read safely: ") +
                          why + ".",
                      part);
    }

    std::shared_ptr<State> m_state;
    std::string m_file;
    PictureProgress m_progress;
    std::size_t m_new = 0; // pictures not met before in the run
    std::uint64_t m_pixels = 0;
    std::chrono::steady_clock::duration m_spent{};
};

RecognitionRun::RecognitionRun(RecogniseFunction recognise, PictureBounds bounds)
    : m_state(std::make_shared<State>()) {
    m_state->bounds = bounds;
    if (recognise) {
        m_state->recognise = std::move(recognise);
    } else {
        m_state->recognise = [state = m_state.get()](std::span<const std::uint8_t> picture,
                                                     std::uint32_t seconds) {
            return state->recogniseHere(picture, seconds);
        };
    }
}

RecognitionRun::~RecognitionRun() = default;

std::shared_ptr<PictureReader> RecognitionRun::readerFor(const std::string& file) {
    return std::make_shared<FileReader>(m_state, file);
}

PictureProgress RecognitionRun::progress(const std::string& file) const {
    const std::lock_guard lock(m_state->mutex);
    const auto found = m_state->progress.find(file);
    return found != m_state->progress.end() ? found->second : PictureProgress{};
}

std::size_t RecognitionRun::recognitions() const {
    const std::lock_guard lock(m_state->mutex);
    return m_state->recognitions;
}

void RecognitionRun::stop() {
    m_state->stopped = true;
    const std::lock_guard lock(m_state->mutex);
    for (reader::ReaderProcess* process : m_state->recognising)
        if (const pid_t pid = process->pid(); pid > 0)
            ::kill(pid, SIGKILL);
}

bool RecognitionRun::stopped() const {
    return m_state->stopped;
}

std::shared_ptr<PictureRun> MakePictureRun() {
    return std::make_shared<RecognitionRun>();
}

} // namespace orv::ocr
