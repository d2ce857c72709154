#!/bin/sh
# Takes the README's picture of the real Windows program: morl.exe from the deployed folder
# of the Windows build, running under Wine on a virtual display with a window manager, with
# a text typed in as a user would. Writes docs/screenshots/windows-main-window.png.
# Usage: scripts/windows-screenshot.sh   (after scripts/windows.sh)
set -eu
cd "$(dirname "$0")/.."
repo=$(pwd)
exe="$repo/build-windows/deploy/morl.exe"
[ -f "$exe" ] || {
    echo "windows-screenshot: no $exe; run scripts/windows.sh first" >&2
    exit 1
}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1100x800x24" sh "$0" "$@"
fi
winetools="$repo/tests/windows"
. "$winetools/winelib.sh"

work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; kill $wm 2>/dev/null; rm -rf "$work"' EXIT
openbox >/dev/null 2>&1 &
wm=$!
fresh_prefix "$work/prefix"

"$wine" "$exe" >/dev/null 2>&1 &
window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Morl$' | head -n 1)
xdotool windowmove "$window" 40 40
sleep 2

# The search text, typed into its field as a user does: a click, then the keys. The field
# is the third row from the bottom: its middle lies 95 pixels above the window's bottom
# edge with the prefix's font (Tahoma 8 pt). A click beside it types nowhere: the window
# must change when the text is typed.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT - 95)) click 1
xdotool mousemove 5 5
sleep 1
import -window "$window" "$work/before.png"
xdotool type --delay 60 "soleil"
sleep 1
import -window "$window" "$work/after.png"
if compare -metric AE "$work/before.png" "$work/after.png" null: 2>/dev/null; then
    echo "windows-screenshot: the typed text did not reach the search field" >&2
    exit 1
fi
import -frame -window "$window" docs/screenshots/windows-main-window.png
echo "wrote docs/screenshots/windows-main-window.png"
