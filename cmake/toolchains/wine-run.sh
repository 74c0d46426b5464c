#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM [ARG...]
# Runs a Windows program under Debian's wine64 for the cross build's tests.
# PREFIX is the Wine prefix to use unless WINEPREFIX is already set, so test
# runs never touch the user's own Wine setup. Wine's debug channels are off
# unless WINEDEBUG says otherwise.
set -euo pipefail
if (($# < 2)); then
  echo "usage: wine-run.sh PREFIX PROGRAM [ARG...]" >&2
  exit 2
fi
export WINEPREFIX=${WINEPREFIX:-$1}
shift
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: console programs need neither, and asking for them stalls.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Wine spells Windows file names in the Unix locale's character set; without a
# UTF-8 locale (a bare system has none set) a Japanese name cannot be created.
if [[ $(locale charmap 2>/dev/null) != UTF-8 ]]; then
  export LC_ALL=C.UTF-8
fi
if command -v wine64 >/dev/null; then
  exec wine64 "$@"
elif [[ -x /usr/lib/wine/wine64 ]]; then
  exec /usr/lib/wine/wine64 "$@"
fi
exec wine "$@"
