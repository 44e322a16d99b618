#!/usr/bin/env bash
# Saves a PNG of Quorvel's main window, cut from the X display on which Wine's virtual desktop
# runs (Wine draws the frame and the caption there). Needs DISPLAY; the window must be open.
#   scripts/screenshot.sh [OUT.png]      default: build/screenshot.png
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/screenshot.png}"
: "${DISPLAY:?no X display to take the screenshot from}"
mkdir -p "$(dirname "$out")"

# The window opens centred on the desktop, which covers the whole display.
width=1920 height=1080
if command -v xwininfo >/dev/null 2>&1; then
  read -r width height < <(xwininfo -root -display "$DISPLAY" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
fi
x=$(( (width - 377) / 2 ))
y=$(( (height - 197) / 2 ))
xwd -root -silent -display "$DISPLAY" | convert xwd:- -crop "377x197+$x+$y" +repage "$out"
echo "$out"
