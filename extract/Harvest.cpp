#include "extract/Harvest.h"

#include "extract/PresentationHost.h"

namespace orv {

const char* const kPowerPointOpenPrompt =
    "PowerPoint may be open. It is recommended that you close PowerPoint first.\r"
    "Use Ctrl+Alt+Del > Task Manager > POWERPNT.EXE if necessary.\r\n\r\n"
    "Would you like to proceed anyway?";

bool CheckPowerPointInstalled(PresentationHost& host) {
    try {
        host.Create();
    } catch (...) {
        return false;
    }
    host.Release();
    return true;
}

bool IsPowerPointRunning(PresentationHost& host) {
    bool running = false;
    try {
        host.Attach();
        running = host.Name() == "Microsoft PowerPoint";
    } catch (...) {
        running = false;
    }
    host.Release();
    return running;
}

bool AbortIfPowerPointOpen(PresentationHost& host,
                           const std::function<bool(const std::string& prompt)>& askProceed) {
    if (!IsPowerPointRunning(host))
        return false;
    return !askProceed(kPowerPointOpenPrompt);
}

void HarvestPresentation(const PresentationContent& content, SeenEmails& seen,
                         const HarvestCallbacks& callbacks) {
    for (const auto& slide : content.slides)
        HarvestSlide(slide, seen, callbacks);
}

void HarvestSlide(const SlideContent& slide, SeenEmails& seen, const HarvestCallbacks& callbacks) {
    ForEachSlideText(slide, [&](TextPlace, std::string_view, std::string_view text) {
        HarvestEmailsFromText(text, seen, callbacks);
    });
}

void ForEachSlideText(const SlideContent& slide, const SlideTextVisitor& visit) {
    if (slide.allTextRead) {
        for (const auto& placed : slide.allText)
            if (!placed.text.empty())
                visit(placed.place, placed.name, placed.text);
        return;
    }
    for (const auto& shape : slide.shapes)
        if (shape.hasTextFrame && !shape.text.empty())
            visit(TextPlace::Shape, shape.name, shape.text);
}

void DoItByFile(const std::string& path, PresentationHost& host, ErrorReporter& reporter, SeenEmails& seen,
                const HarvestCallbacks& callbacks) {
    Steps s(reporter, loc::DoItByFile);
    std::string text;
    s.run(100, [&] { host.Create(); });
    s.run(102, [&] { host.Attach(); });
    s.run(104, [&] { host.Show(); });
    s.run(106, [&] { host.Open(path); });
    int slides = 0;
    s.run(108, [&] { slides = host.SlideCount(); });
    for (int i = 1; i <= slides; ++i) {
        int shapes = 0;
        s.run(110, [&] { shapes = host.ShapeCount(i); });
        for (int j = 1; j <= shapes; ++j) {
            if (!s.test(112, [&] { return host.HasTextFrame(i, j); }))
                continue;
            s.run(114, [&] { text = host.Text(i, j); });
            if (text.empty()) // step 116: nothing to harvest
                continue;
            s.run(120, [&] { HarvestEmailsFromText(text, seen, callbacks); });
        }
    }
    s.run(126, [&] { host.Quit(); });
    host.Release();
}

} // namespace orv
