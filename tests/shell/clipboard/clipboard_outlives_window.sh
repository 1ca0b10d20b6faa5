#!/usr/bin/env bash
# Text copied with "Copy Results To Clipboard" is still on the clipboard after
# the window has been closed, when the desktop runs a clipboard manager. Runs
# the window on a private Xvfb display with a clipboard manager from Debian's
# packages (both installed by scripts/deps); skipped (77) where either is missing.
set -euo pipefail
probe="$1"
for tool in Xvfb xfce4-clipman; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb chooses a free display number and writes it to the descriptor given.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    cat "$work/xvfb.log"
    echo "Xvfb did not start"
    exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"
export QT_QPA_PLATFORM=xcb
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$work/run" && chmod 700 "$work/run"

xfce4-clipman >"$work/manager.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    "$probe" manager && break
    sleep 0.1
done
"$probe" manager || { cat "$work/manager.log"; echo "the clipboard manager did not start"; exit 1; }

rows=("first@example.org" "Second.Person@example.co.uk" "third@example.net")
"$probe" copy "${rows[@]}"
"$probe" check "${rows[@]}"
echo "the copied results outlived the window"
