#!/bin/sh
# with_desktop.sh COMMAND...: runs COMMAND on a new virtual X server with a
# window manager (openbox): without one, Wine waits about two seconds each
# time a top-level window closes. Wine speaks Japanese (ja_JP.UTF-8) there.
set -eu
if [ -z "${KARVONEL_DESKTOP:-}" ]; then
  KARVONEL_DESKTOP=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$0" "$@"
fi
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true' EXIT
LANG=ja_JP.UTF-8 "$@"
