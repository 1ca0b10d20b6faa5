#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace orv {

class Interaction;
class PresentationHost;
class Settings;
namespace ocr {
class RecognitionRun;
}

// Milliseconds on the system's monotonic clock, from an arbitrary start.
std::int64_t SteadyMilliseconds();

// Lets the event loop run once, so the window repaints and answers the user
// in the middle of a long operation.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void pump() = 0;
};

// The system clipboard, one attempt per call; callers decide how often to retry.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual bool clear() = 0;
    virtual bool setText(const QString& text) = 0;
};

// Uniform draws in [0, 1).
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
};

// Everything the main window needs from outside, handed over at construction.
struct Services {
    Interaction& interaction;
    EventPump& pump;
    Clipboard& clipboard;
    RandomSource& random;
    PresentationHost& host;
    Settings& settings;
    QString programFolder;            // where the skin, the cursor and the samples lie
    std::function<void()> endProgram; // ends the process at once
    // Milliseconds on a clock that never goes back: how long an operation has been busy.
    std::function<std::int64_t()> clock = SteadyMilliseconds;
    // The start-up check that the presentation application can be started
    // (put together where the program is: the window knows no harvest).
    // None given counts as started.
    std::function<bool()> presentationAppStarts = {};
    // The file of remembered results ("Remember Read Files"); none given,
    // the item remembers nothing.
    QString resultCacheFile = {};
    // A presentation host of its own for each thread that reads files ahead
    // of the run on the other cores; none given, the run reads each file
    // through `host` when it reaches it.
    std::function<std::unique_ptr<PresentationHost>()> readerHost = {};
    // What reads the pictures of a run with "Read Pictures" on, made anew for
    // each run; none given, the program's own text recognition.
    std::function<std::shared_ptr<ocr::RecognitionRun>()> pictureRun = {};
};

} // namespace orv
