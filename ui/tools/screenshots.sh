#!/bin/sh
# Takes screenshots of the main window, the About window and the note after a
# conversion of a list with a header line, as a user sees them, on a virtual X
# server: docs/main-window.png, docs/about-window.png, docs/warning-message.png.
#
#   ui/tools/screenshots.sh [path/to/karvonel]     (default: build/ui/karvonel)
#
# KARVONEL_SHOT_SCALE (a Qt scale factor: 1.5, 2) and KARVONEL_SHOT_FONT_DPI
# (Qt's font DPI: 171 draws the default 9-point font as large as 16 points at
# 96 DPI) take the same screenshots at that scale or font size, named with
# KARVONEL_SHOT_SUFFIX (main-window-1.5x.png, ...).
#
# Needs xvfb (xvfb-run), xdotool, imagemagick (import) and a Japanese font
# (fonts-noto-cjk); uses openbox for window frames when it is installed. The
# program starts in examples/, as the README's first command starts it.
set -eu
suffix=${KARVONEL_SHOT_SUFFIX:-}
if [ -n "${KARVONEL_SHOT_SCALE:-}" ]; then export QT_SCALE_FACTOR=$KARVONEL_SHOT_SCALE; fi
if [ -n "${KARVONEL_SHOT_FONT_DPI:-}" ]; then export QT_FONT_DPI=$KARVONEL_SHOT_FONT_DPI; fi

repo=$(cd "$(dirname "$0")/../.." && pwd)
program=$(realpath "${1:-$repo/build/ui/karvonel}")

if [ -z "${KARVONEL_SCREENSHOTS_DISPLAY:-}" ]; then
  KARVONEL_SCREENSHOTS_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1600x1200x24 -dpi 96" \
    "$0" "$program"
fi

if command -v openbox >/dev/null 2>&1; then
  openbox >/dev/null 2>&1 &
  sleep 1
fi

# Starts the program in the current folder and chooses its point list as a
# user would: Tab to the file list, Down. Sets pid and main.
start_and_choose() {
  QT_QPA_PLATFORM=xcb "$program" &
  pid=$!
  main=$(xdotool search --sync --onlyvisible --name '^Karvonel$' | head -n 1)
  xdotool windowactivate --sync "$main" 2>/dev/null || true
  sleep 1
  xdotool key --clearmodifiers Tab Tab Down
  sleep 1
}

cd "$repo/examples"
trap 'kill "$pid" 2>/dev/null || true' EXIT
start_and_choose
import -frame -window "$main" "$repo/docs/main-window$suffix.png"

# Help > version display.
xdotool key --clearmodifiers alt+h
sleep 0.5
xdotool key --clearmodifiers a
about=$(xdotool search --sync --onlyvisible --name 'バージョン表示' | head -n 1)
xdotool windowactivate --sync "$about" 2>/dev/null || true
sleep 1
import -frame -window "$about" "$repo/docs/about-window$suffix.png"

# OK closes the About window; File > Exit ends the program.
xdotool key --clearmodifiers space
sleep 0.5
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key --clearmodifiers x
wait "$pid"

# A list with a header line, converted with a click on 変　換.
work=$(mktemp -d)
{ printf 'X,Y,Z\r\n'; cat points.csv; } >"$work/points.csv"
cd "$work"
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
start_and_choose
xdotool key --clearmodifiers Tab Tab space  # Fil1 -> Txt1 -> Cmd1
box=$(xdotool search --sync --onlyvisible --name '^PrjKarvonel$' | head -n 1)
sleep 1
import -frame -window "$box" "$repo/docs/warning-message$suffix.png"
xdotool key --clearmodifiers Return
sleep 0.5
kill "$pid"
echo "wrote docs/main-window$suffix.png, docs/about-window$suffix.png and docs/warning-message$suffix.png"
