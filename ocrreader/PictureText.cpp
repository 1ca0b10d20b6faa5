#include "ocrreader/PictureText.h"

#include "base/Failure.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <string>
#include <string_view>
#include <sys/resource.h>

namespace orv::ocr {

namespace {

const char* const kNoEnglishData =
    "The English data of Tesseract (tesseract-ocr-eng) is not installed: the text of pictures cannot be "
    "read without it. Install the package, or name the folder that holds eng.traineddata in "
    "TESSDATA_PREFIX.";
const char* const kDamaged = "The picture is damaged, or of a kind that cannot be read.";
const char* const kTooLarge = "The picture is too large to read safely: ";

struct PixDeleter {
    void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPointer = std::unique_ptr<Pix, PixDeleter>;

// Decodes the picture, once its header says the decoded form will fit.
PixPointer decode(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty())
        throw Failure(FailureKind::Damaged, "The picture is empty.");
    l_int32 format = 0, width = 0, height = 0, bitsPerSample = 0, samples = 0, colourMap = 0;
    if (pixReadHeaderMem(bytes.data(), bytes.size(), &format, &width, &height, &bitsPerSample, &samples,
                         &colourMap) != 0 ||
        width <= 0 || height <= 0)
        throw Failure(FailureKind::Damaged, kDamaged);
    // A large JPEG is decoded at a fraction of its size, as it allows.
    const bool jpeg = format == IFF_JFIF_JPEG;
    const int reduction = jpeg ? reader::JpegReduction(static_cast<std::uint64_t>(width),
                                                       static_cast<std::uint64_t>(height))
                               : 1;
    const auto pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (reduction == 0 || (!jpeg && pixels > reader::kMaxDecodedPixels) ||
        (width + reduction - 1) / reduction > kMaxPictureSide ||
        (height + reduction - 1) / reduction > kMaxPictureSide)
        throw Failure(FailureKind::OverLimit,
                      kTooLarge + std::to_string(width) + " by " + std::to_string(height) +
                          " pixels, more than " + std::to_string(reader::kMaxDecodedPixels / 1'000'000) +
                          " million or a side longer than " + std::to_string(kMaxPictureSide) + ".");
    if (reduction > 1) {
        width = (width + reduction - 1) / reduction;
        height = (height + reduction - 1) / reduction;
    }
    errno = 0;
    PixPointer pix(reduction > 1 ? pixReadMemJpeg(bytes.data(), bytes.size(), 0, reduction, nullptr, 0)
                                 : pixReadMem(bytes.data(), bytes.size()));
    if (!pix && errno == ENOMEM)
        throw Failure(FailureKind::OverLimit,
                      kTooLarge + std::string("decoding it takes more memory than the reader has."));
    // The header is all the size check sees: a picture that decodes to
    // another size is damaged.
    if (!pix || pixGetWidth(pix.get()) != width || pixGetHeight(pix.get()) != height)
        throw Failure(FailureKind::Damaged, kDamaged);
    return pix;
}

// The engine's progress monitor asks this between words: past the deadline
// the recognition stops where it is.
bool pastDeadline(void* monitor, int) {
    return static_cast<const tesseract::ETEXT_DESC*>(monitor)->deadline_exceeded();
}

// The deadline is the picture's budget, which the engine's monitor checks
// between words; the kernel's bound on processor time stands behind it, at
// twice the budget and a second more, for what the monitor does not see
// (finding the blocks and lines of the page) and for an engine that stops
// asking.
void boundProcessorTime(std::uint32_t seconds) {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto used = static_cast<rlim_t>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + 1);
    const rlimit cpu{used + 2 * static_cast<rlim_t>(seconds) + 1, RLIM_INFINITY};
    ::setrlimit(RLIMIT_CPU, &cpu);
}

class RecognisedPicture final : public reader::ServedDocument {
public:
    explicit RecognisedPicture(reader::PageAnswer answer) : m_answer(std::move(answer)) {}
    reader::Opened contents() const override { return {1, 0}; }
    reader::PageAnswer page(std::uint32_t index) override {
        if (index != 0)
            throw Failure("A picture has one page.");
        return m_answer;
    }

private:
    reader::PageAnswer m_answer;
};

// The words the engine recognised, in reading order, and the lines they make.
reader::PageAnswer wordsOf(tesseract::TessBaseAPI& api) {
    reader::PageAnswer answer;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it)
        return answer;
    std::string line;
    int lineHeight = 0;
    int lastRight = -1; // of the word before on the line; none at its start
    do {
        if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
            int left = 0, top = 0, right = 0, bottom = 0;
            lineHeight = it->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom) ? bottom - top : 0;
            lastRight = -1;
        }
        if (it->Empty(tesseract::RIL_WORD))
            continue;
        const std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
        if (!text || std::string_view(text.get()).find_first_not_of(" \t\r\n") == std::string_view::npos)
            continue;
        reader::RecognisedWord word;
        word.text = text.get();
        const float confidence = it->Confidence(tesseract::RIL_WORD);
        word.confidence = std::isnan(confidence) ? 0.0f : std::fmin(std::fmax(confidence, 0.0f), 100.0f);
        int left = 0, top = 0, right = 0, bottom = 0;
        if (it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom)) {
            if (lastRight >= 0 && lineHeight > 0)
                word.gapBefore = static_cast<float>(left - lastRight) / static_cast<float>(lineHeight);
            lastRight = right;
        }
        word.lineEnd = it->IsAtFinalElement(tesseract::RIL_TEXTLINE, tesseract::RIL_WORD);
        if (!line.empty())
            line += ' ';
        line += word.text;
        if (word.lineEnd) {
            answer.text += line + '\r';
            line.clear();
        }
        answer.words.push_back(std::move(word));
    } while (it->Next(tesseract::RIL_WORD));
    if (!line.empty()) {
        answer.text += line + '\r';
        answer.words.back().lineEnd = true;
    }
    return answer;
}

} // namespace

struct TextRecognition::Impl {
    tesseract::TessBaseAPI api;
    bool ready = false;
};

TextRecognition::TextRecognition() : m(std::make_unique<Impl>()) {
    // Leptonica tells its errors on standard error, which nobody reads here:
    // a picture it cannot read is refused by what it returns.
    setMsgSeverity(L_SEVERITY_NONE);
    // No data path: TESSDATA_PREFIX, else the folder the engine was built for.
    m->ready = m->api.Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) == 0;
    if (m->ready) {
        // Pictures on slides hold text anywhere: the engine finds its blocks
        // as the command-line tool does.
        m->api.SetPageSegMode(tesseract::PSM_AUTO);
        m->api.SetVariable("debug_file", "/dev/null");
    }
}

TextRecognition::~TextRecognition() = default;

std::unique_ptr<reader::ServedDocument> TextRecognition::recognise(const reader::OpenRequest& request) {
    if (!m->ready)
        throw Failure(FailureKind::InputOutput, kNoEnglishData);
    if (!request.path.empty())
        throw Failure("The text recognition reads pictures sent as bytes, not files.");
    // The picture's time runs from here, decoding included.
    const std::uint32_t seconds = std::min<std::uint32_t>(request.cpuSeconds, 86'400);
    boundProcessorTime(seconds);
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = pastDeadline;
    monitor.cancel_this = &monitor;
    // No time at all is a deadline already past: a millisecond.
    monitor.set_deadline_msecs(seconds > 0 ? static_cast<std::int32_t>(seconds * 1000) : 1);
    PixPointer pix = decode(request.bytes);
    tesseract::TessBaseAPI& api = m->api;
    api.SetImage(pix.get());
    pix.reset();
    const bool recognised = api.Recognize(&monitor) == 0;
    if (monitor.deadline_exceeded()) {
        api.Clear();
        throw Failure(FailureKind::OverLimit, kTooLarge + std::string("recognising it takes longer than ") +
                                                  std::to_string(seconds) + " s.");
    }
    // The engine declines pictures too small to hold text: none found.
    reader::PageAnswer answer = recognised ? wordsOf(api) : reader::PageAnswer{};
    api.Clear();
    return std::make_unique<RecognisedPicture>(std::move(answer));
}

} // namespace orv::ocr
