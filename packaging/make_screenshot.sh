#!/usr/bin/env bash
# Makes packaging/screenshot.png, the main window after a run over the example
# presentations, as the AppStream metadata shows it: starts the built program
# under a virtual display with the examples folder on its command line, presses
# "Start Extracting", answers "Done." and captures the window.
#   packaging/make_screenshot.sh [BUILD_DIR]     (default build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
need=()
for tool in Xvfb:xvfb xdotool:xdotool import:imagemagick; do
    command -v "${tool%%:*}" >/dev/null || need+=("${tool#*:}")
done
if [ ${#need[@]} -gt 0 ]; then
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}"
fi
work="$(mktemp -d /tmp/home.XXXX)"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb $app 2>/dev/null; rm -rf "$work"' EXIT
app=
export DISPLAY="$display" HOME="$work" XDG_CONFIG_HOME="$work/config"
sleep 1
# The examples under a short, neutral name, as a user's own folder would be.
decks="$work/Decks"
cp -r "$build/Samples" "$decks"
"$build/orvandel" "$decks" >/dev/null 2>&1 &
app=$!
window=
for _ in $(seq 50); do
    window="$(xdotool search --onlyvisible --name '^Orvandel$' 2>/dev/null | head -1)" && [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "the window did not show" >&2; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
# "Start Extracting" sits at 120..7920 x 3670..4075 twips: 15 twips a pixel.
xdotool mousemove $((X + 268)) $((Y + 258)) click 1
sleep 1
xdotool key Return # "Done."
sleep 1
xdotool mousemove $((X + 20)) $((Y + 470)) # off the buttons
sleep 0.5
import -window "$window" "$root/packaging/screenshot.png"
echo "wrote packaging/screenshot.png"
