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

std::string SkippedPartText(const SkippedPart& part) {
    return part.part + " skipped: " + part.description;
}

} // namespace orv
