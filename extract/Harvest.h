#pragma once

#include "extract/EmailExtraction.h"
#include "extract/PresentationHost.h"
#include "extract/model/PresentationContent.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace orv {

// Whether the presentation application can be started: creates it once and
// releases it at once. False when Create fails.
bool CheckPowerPointInstalled(PresentationHost& host);

// Whether an instance of the application is already running (Attach succeeds
// and it names itself "Microsoft PowerPoint"). Any failure counts as no.
bool IsPowerPointRunning(PresentationHost& host);

// The text of the question asked before a run when an instance is running.
extern const char* const kPowerPointOpenPrompt;

// True when the run must not start: an instance runs and `askProceed`, shown
// kPowerPointOpenPrompt, answers no.
bool AbortIfPowerPointOpen(PresentationHost& host,
                           const std::function<bool(const std::string& prompt)>& askProceed);

// Where a text of a presentation stands, and the text, as the walk hands them
// on: the slide (1-based), the place, and the name of the shape that holds it.
using PlacedTextSink =
    std::function<void(int slide, TextPlace place, std::string_view name, std::string_view text)>;

// A piece of slide `slide` that the "all text" mode left out (SkippedPart).
using SkippedPartSink = std::function<void(int slide, const SkippedPart& part)>;

// How a skipped piece is told, after the file's path: "PART skipped: WHY".
std::string SkippedPartText(const SkippedPart& part);

// Runs each numbered step as it comes, reporting nothing: the first failure
// ends the harvest and reaches the caller. Tests read a file so; a file's
// result (ReadFileResult) records each failing step and goes on.
struct UnreportedSteps {
    template <class F> bool run(std::int32_t, F&& statement) {
        std::forward<F>(statement)();
        return true;
    }
    template <class F> bool test(std::int32_t, F&& condition) { return static_cast<bool>(condition()); }
};

// The walk of the active presentation, the one both the window and the
// command-line tool take (steps 108 to 124 of DoItByFile): slide by slide,
// every top-level shape with a text frame and text; or, with all text, every
// text of the slide in its documented order, and after the last slide the
// masters and layouts, handed on as slide 0 (steps 110, 114 and 120 then
// count, read and hand on the slide's texts, and the pieces it skipped go to
// `skipped`; there are no text frames to test). Each non-empty text goes to
// `sink`. When reading a text fails, the text last read in this file is
// handed on again, as the harvest's rules say; after a failed count, the
// loop it would have driven runs no iterations.
template <class StepRunner>
void WalkActivePresentation(HarvestDocument& document, bool allText, StepRunner& s,
                            const PlacedTextSink& sink, const SkippedPartSink& skipped = {}) {
    std::string text;
    std::string name;
    TextPlace place = TextPlace::Shape;
    int slides = 0;
    s.run(108, [&] { slides = document.SlideCount(); });
    // The pages after the slides are counted again after each page: reading
    // the slides and master pages finds the documents the deck embeds.
    for (int i = 1; i <= slides || (allText && i <= slides + document.MasterPageCount()); ++i) {
        int count = 0;
        if (allText) {
            const int slide = i <= slides ? i : 0; // a master page stands outside the slides
            s.run(110, [&] {
                count = document.PlacedTextCount(i);
                if (skipped)
                    for (const SkippedPart& part : document.SkippedParts(i))
                        skipped(slide, part);
            });
            for (int k = 1; k <= count; ++k) {
                s.run(114, [&] {
                    PlacedText placed = document.PlacedTextAt(i, k);
                    place = placed.place;
                    name = std::move(placed.name);
                    text = std::move(placed.text);
                });
                if (text.empty()) // step 116: nothing to harvest
                    continue;
                s.run(120, [&] { sink(slide, place, name, text); });
            }
            continue;
        }
        s.run(110, [&] {
            count = document.ShapeCount(i);
            if (skipped) // the pictures a reading of them skipped
                for (const SkippedPart& part : document.SkippedParts(i))
                    skipped(i, part);
        });
        for (int j = 1; j <= count; ++j) {
            if (!s.test(112, [&] { return document.HasTextFrame(i, j); }))
                continue;
            s.run(114, [&] {
                text = document.Text(i, j);
                place = document.ShapePlace(i, j);
                name = document.ShapeName(i, j);
            });
            if (text.empty()) // step 116: nothing to harvest
                continue;
            s.run(120, [&] { sink(i, place, name, text); });
        }
    }
}

// The harvest of one file with the host's life cycle: create, attach, show,
// open (for all text or not), the walk, quit; then the references go.
template <class StepRunner>
void HarvestFile(const std::string& path, PresentationHost& host, bool allText, StepRunner& s,
                 const PlacedTextSink& sink, const SkippedPartSink& skipped = {}) {
    host.SetAllText(allText);
    s.run(100, [&] { host.Create(); });
    s.run(102, [&] { host.Attach(); });
    s.run(104, [&] { host.Show(); });
    s.run(106, [&] { host.Open(path); });
    WalkActivePresentation(host.ActivePresentation(), allText, s, sink, skipped);
    s.run(126, [&] { host.Quit(); });
    host.Release();
}

} // namespace orv
