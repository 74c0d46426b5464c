#!/bin/sh
# Takes screenshots of karvonel.exe's main window (the sample point list
# chosen) and About window under Wine, at 96 and 144 DPI:
# docs/windows-main-window-96dpi.png, docs/windows-about-window-96dpi.png and
# the same at 144dpi.
#
#   ui/tools/screenshots-windows.sh [build-mingw]
#
# Needs xvfb, openbox, xdotool, imagemagick and wine64; each DPI gets a Wine
# prefix of its own in the build folder.
set -eu
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:-$repo/build-mingw}")
program=$build/ui/win32/karvonel.exe
run=$repo/cmake/toolchains/wine-run.sh

if [ -z "${KARVONEL_DESKTOP:-}" ]; then
  exec "$repo/tests/windows/with_desktop.sh" "$0" "$build"
fi

shoot() {
  dpi=$1
  prefix=$build/wineprefix-${dpi}dpi
  export WINEPREFIX=$prefix
  "$run" "$prefix" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  cd "$repo/examples"
  "$run" "$prefix" "$program" &
  pid=$!
  main=$(xdotool search --sync --onlyvisible --name '^Karvonel$' | head -n 1)
  xdotool windowactivate --sync "$main" 2>/dev/null || true
  sleep 1
  xdotool key --clearmodifiers Tab Tab Down  # Drv1 -> Dir1 -> Fil1, the first file
  sleep 1
  import -frame -window "$main" "$repo/docs/windows-main-window-${dpi}dpi.png"
  xdotool key --clearmodifiers alt+h
  sleep 0.5
  xdotool key --clearmodifiers a
  about=$(xdotool search --sync --onlyvisible --name 'バージョン表示' | head -n 1)
  sleep 1
  import -frame -window "$about" "$repo/docs/windows-about-window-${dpi}dpi.png"
  xdotool key --clearmodifiers space
  sleep 0.5
  xdotool key --clearmodifiers alt+f
  sleep 0.5
  xdotool key --clearmodifiers x
  wait "$pid"
}

shoot 96
shoot 144
echo "wrote docs/windows-*-96dpi.png and docs/windows-*-144dpi.png"
