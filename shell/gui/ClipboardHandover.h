#pragma once

namespace orv {

// On X11 the clipboard's text is served by the program that put it there and
// is gone when that program ends, unless the desktop's clipboard manager took
// a copy first. The program ends at once when its window closes, so it asks
// the manager for that copy itself: while the manager fetches the text the
// event loop answers it, user input excluded, for at most `timeoutMs`.
// Nothing happens when this program does not own the clipboard, when no
// clipboard manager runs, or on another platform. Returns true when the
// manager confirmed that it keeps the text.
bool HandClipboardToManager(int timeoutMs = 3000);

// True when a clipboard manager runs on this program's X11 display.
bool ClipboardManagerRunning();

// Ends the process at once, wherever it stands (inside a handler, in the
// middle of a run), saving nothing; the clipboard goes to the manager first.
[[noreturn]] void EndProgramAtOnce();

} // namespace orv
