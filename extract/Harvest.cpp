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

void DoItByFile(const std::string& path, PresentationHost& host, ErrorReporter& reporter, SeenEmails& seen,
                const HarvestCallbacks& callbacks, bool allText) {
    Steps s(reporter, loc::DoItByFile);
    HarvestFile(path, host, allText, s, [&](int, TextPlace, std::string_view, std::string_view text) {
        HarvestEmailsFromText(text, seen, callbacks);
    });
}

} // namespace orv
