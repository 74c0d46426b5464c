#!/bin/sh
# at_dpi.sh DPI PREFIX PROGRAM [ARG...]: runs PROGRAM under Wine in PREFIX (a
# prefix of its own, made on first use) with the desktop at DPI.
set -eu
dpi=$1 prefix=$2
shift 2
run="$(dirname "$0")/../../cmake/toolchains/wine-run.sh"
export WINEPREFIX=$prefix
"$run" "$prefix" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
exec "$run" "$prefix" "$@"
