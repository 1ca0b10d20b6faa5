#pragma once

#include "extract/EmailExtraction.h"
#include "extract/model/PresentationContent.h"
#include "shell/ErrorReport.h"

#include <functional>
#include <string>

namespace orv {

class PresentationHost;

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

// The harvest of one presentation: create, attach, show, open, then every
// shape with a text frame on every slide gives its text to the address
// extraction; quit. Each failing step is reported with its number and the
// harvest goes on with the next one; after a failed count, the loop it would
// have driven runs no iterations.
// The same walk over a presentation already read: every shape with a text
// frame and text, slide by slide, in order. Finds the addresses a run of
// DoItByFile over the same file finds, in the same order.
void HarvestPresentation(const PresentationContent& content, SeenEmails& seen,
                         const HarvestCallbacks& callbacks);
// The same for one slide.
void HarvestSlide(const SlideContent& slide, SeenEmails& seen, const HarvestCallbacks& callbacks);

// The texts a harvest of the slide reads, in order, each with where it stands:
// the top-level shapes with a text frame and text; for a slide read with all
// text, every non-empty text of SlideContent::allText instead.
using SlideTextVisitor = std::function<void(TextPlace place, std::string_view name, std::string_view text)>;
void ForEachSlideText(const SlideContent& slide, const SlideTextVisitor& visit);

void DoItByFile(const std::string& path, PresentationHost& host, ErrorReporter& reporter, SeenEmails& seen,
                const HarvestCallbacks& callbacks);

} // namespace orv
