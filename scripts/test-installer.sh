#!/usr/bin/env bash
# test-installer.sh INSTALLER EXPECTED_IGS
# Checks the Windows installer karvonel-<version>-setup.exe (scripts/package.sh)
# under Wine the way a user meets it, in a fresh Wine prefix of its own:
#  - "INSTALLER /S" installs without a window, into
#    %LOCALAPPDATA%\Programs\Karvonel, exactly the files the installer is to
#    put there, with the Start-menu shortcut "Karvonel" and the entry of
#    Apps & features (HKCU\...\Uninstall\Karvonel), and nothing else;
#  - the installed karvonel-convert.exe converts examples/points.csv at the
#    stamp KARVONEL_FIXED_TIME=20240102030405 to the bytes of EXPECTED_IGS,
#    the Linux build's points.igs for the same input and stamp;
#  - the uninstaller named in the registry, run with /S, removes every file,
#    folder, the shortcut and the registry entry.
# Prints the installer's size and how long the install and the uninstall took.
#
# Needs wine64 (scripts/install-deps.sh). Touches neither the user's own Wine
# prefix nor this machine's desktop menus.
set -euo pipefail
if (($# != 2)); then
  echo "usage: test-installer.sh INSTALLER EXPECTED_IGS" >&2
  exit 2
fi
fail() { echo "test-installer: $*" >&2; exit 1; }
installer=$(realpath -e -- "$1" 2>/dev/null) || fail "no installer $1"
expected_igs=$(realpath -e -- "$2" 2>/dev/null) || fail "no expected IGES file $2"
cd "$(dirname "$0")/.."
root=$PWD
version=1.20
stamp=20240102030405
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Karvonel'

[[ -x /usr/lib/wine/wine64 ]] || command -v wine64 >/dev/null ||
  fail "wine64 missing (run scripts/install-deps.sh)"
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

work=$(mktemp -d)
export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
# No Mono or Gecko (as in cmake/toolchains/wine-run.sh), and no copies of the
# Start-menu shortcut in this machine's own menus (winemenubuilder).
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
# Should anything of Wine's still reach for the desktop's folders, it finds
# these.
export XDG_DATA_HOME=$work/xdg-data XDG_CONFIG_HOME=$work/xdg-config
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
wine_run() { "$root/cmake/toolchains/wine-run.sh" "$WINEPREFIX" "$@"; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }
since() {
  local ms=$(($(now_ms) - $1))
  printf '%d.%03d s' $((ms / 1000)) $((ms % 1000))
}

# C:\users\kim\AppData\Local -> <prefix>/drive_c/users/kim/AppData/Local
unix_path() {
  local path=$1
  [[ $path == [Cc]:\\* ]] || fail "not a path on drive C: '$path'"
  path=${path:3}
  printf '%s/drive_c/%s' "$WINEPREFIX" "${path//\\//}"
}
# A Windows environment variable as the programs there see it.
win_env() {
  local value
  value=$(wine_run cmd /c "echo %$1%" | tr -d '\r')
  [[ -n $value && $value != "%$1%" ]] || fail "Wine has no %$1%"
  printf '%s' "$value"
}
# Every file and folder on drive C: outside the temporary folder, relative.
snapshot() {
  (cd "$WINEPREFIX/drive_c" && find . -path "./$temp_rel" -prune -o -print | LC_ALL=C sort)
}
# The value NAME of the uninstall entry, as "TYPE VALUE" ("" if it has none).
reg_value() {
  printf '%s\n' "$entry" | sed -n "s/^    $1    \(REG_[A-Z_]*\)    \(.*\)\$/\1 \2/p"
}
# The subsystem field of a 64-bit Windows program file: 2 a window program,
# 3 a console program; fails for anything else than an x86-64 PE file.
pe_subsystem() {
  local file=$1 offset
  [[ $(head -c 2 "$file") == MZ ]] || fail "$file: not a Windows program file"
  offset=$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')
  [[ $(od -An -tx1 -j"$offset" -N6 "$file" | tr -d ' ') == 504500006486 ]] ||
    fail "$file: not an x86-64 Windows program file"
  # The optional header follows the 24 bytes of signature and file header;
  # Subsystem is at offset 68 in it.
  od -An -tu2 -j$((offset + 24 + 68)) -N2 "$file" | tr -d ' '
}
# Text as the installer is to carry it: CR LF line ends.
crlf() { sed 's/$/\r/' "$1"; }

size=$(stat -c %s "$installer")
echo "== installer: $(basename "$installer") ($size bytes, $((size / 1024)) KiB)"

echo "== installer: fresh Wine prefix"
# Making a prefix failed once in CI (wineboot could not find the system
# folder it was creating, a fault of Wine's setup, not of the installer); a
# second, new prefix is made before giving up.
for attempt in 1 2; do
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$wineserver" -p
  if wine_run wineboot --init 2>"$work/wineboot.log"; then
    break
  fi
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w 2>/dev/null || true
  if ((attempt == 2)); then
    cat "$work/wineboot.log" >&2
    fail "wineboot failed twice"
  fi
  echo "wineboot failed; making the prefix again"
done
local_win=$(win_env LOCALAPPDATA)
appdata_win=$(win_env APPDATA)
profile_win=$(win_env USERPROFILE)
temp_win=$(win_env TEMP)
instdir_win="$local_win\\Programs\\Karvonel"
instdir=$(unix_path "$instdir_win")
programs=$(unix_path "$local_win\\Programs")
shortcut=$(unix_path "$appdata_win\\Microsoft\\Windows\\Start Menu\\Programs")/Karvonel.lnk
temp_rel=${temp_win:3}
temp_rel=${temp_rel//\\//}
drive=$WINEPREFIX/drive_c/
snapshot >"$work/before"
wine_run reg query "$key" >/dev/null 2>&1 && fail "a fresh prefix has $key"

echo "== installer: silent install ($instdir_win)"
started=$(now_ms)
wine_run "$installer" /S || fail "the installer ended with status $?"
install_time=$(since "$started")
echo "install: $install_time"

# What the install added to drive C:, and nothing more: no shared or
# all-users folder, no shortcut beside the user's own.
snapshot >"$work/after-install"
{
  [[ -d $programs ]] && ! grep -qxF "./${programs#"$drive"}" "$work/before" && echo "./${programs#"$drive"}"
  for name in "" /README-ja.txt /copyright.txt /examples /examples/points.csv \
    /karvonel-convert.exe /karvonel.exe /uninstall.exe; do
    echo "./${instdir#"$drive"}$name"
  done
  echo "./${shortcut#"$drive"}"
} | LC_ALL=C sort >"$work/added.expected"
LC_ALL=C comm -13 "$work/before" "$work/after-install" >"$work/added"
LC_ALL=C comm -23 "$work/before" "$work/after-install" >"$work/removed"
[[ -s $work/removed ]] && { cat "$work/removed" >&2; fail "the install removed the files above"; }
diff -u "$work/added.expected" "$work/added" >&2 || fail "the install added other files than expected (diff above: - expected, + found)"
echo "installed: $(wc -l <"$work/added") files and folders, as expected"

for file in karvonel.exe karvonel-convert.exe uninstall.exe; do
  [[ -s $instdir/$file ]] || fail "$file is empty"
done
[[ $(pe_subsystem "$instdir/karvonel.exe") == 2 ]] || fail "karvonel.exe is not a window program"
[[ $(pe_subsystem "$instdir/karvonel-convert.exe") == 3 ]] || fail "karvonel-convert.exe is not a console program"
[[ $(pe_subsystem "$instdir/uninstall.exe") == 2 ]] || fail "uninstall.exe is not a window program"
cmp "$instdir/README-ja.txt" <(crlf docs/ja/README.md) || fail "README-ja.txt is not docs/ja/README.md with CR LF"
cmp "$instdir/copyright.txt" <(crlf packaging/copyright) || fail "copyright.txt is not packaging/copyright with CR LF"
cmp "$instdir/examples/points.csv" examples/points.csv || fail "examples\\points.csv is not examples/points.csv"

# The shortcut: a shell link to karvonel.exe that starts it in the profile
# folder (there its work file para.sec goes, never in the program folder).
[[ $(od -An -tx1 -N20 "$shortcut" | tr -d ' \n') == 4c0000000114020000000000c000000000000046 ]] ||
  fail "Karvonel.lnk is not a shell link"
strings -a -n 8 "$shortcut" | grep -qxF "$instdir_win\\karvonel.exe" ||
  fail "Karvonel.lnk does not point to $instdir_win\\karvonel.exe"
strings -el -n 3 "$shortcut" | grep -qxF "$profile_win" ||
  fail "Karvonel.lnk does not start in $profile_win"
echo "shortcut: Karvonel.lnk -> $instdir_win\\karvonel.exe (in $profile_win)"

entry=$(wine_run reg query "$key" | tr -d '\r') || fail "no registry key $key"
check_value() {
  local found
  found=$(reg_value "$1")
  [[ $found == "$2" ]] || fail "$key: $1 is '$found', not '$2'"
  echo "registry: $1 = ${2#* }"
}
check_value DisplayName "REG_SZ Karvonel"
check_value DisplayVersion "REG_SZ $version"
check_value Publisher "REG_SZ Karvonel Works"
check_value UninstallString "REG_SZ \"$instdir_win\\uninstall.exe\""
check_value QuietUninstallString "REG_SZ \"$instdir_win\\uninstall.exe\" /S"
check_value InstallLocation "REG_SZ $instdir_win"
check_value DisplayIcon "REG_SZ $instdir_win\\karvonel.exe,0"
check_value NoModify "REG_DWORD 0x1"
check_value NoRepair "REG_DWORD 0x1"
estimated=$(reg_value EstimatedSize)
[[ $estimated =~ ^REG_DWORD\ 0x[0-9a-f]+$ ]] && ((${estimated#REG_DWORD } > 0)) ||
  fail "$key: EstimatedSize is '$estimated'"
echo "registry: EstimatedSize = $((${estimated#REG_DWORD })) KiB"
# A per-user installer writes nothing machine-wide.
wine_run reg export HKLM 'C:\hklm.reg' >/dev/null || fail "reg export HKLM failed"
if iconv -f UTF-16 -t UTF-8 "$drive/hklm.reg" | grep -i karvonel >&2; then
  fail "the install wrote the machine-wide registry values above"
fi
rm -f "$drive/hklm.reg"

echo "== installer: the installed karvonel-convert.exe"
answer=$(wine_run "$instdir_win\\karvonel-convert.exe" --version | tr -d '\r') ||
  fail "karvonel-convert.exe --version failed"
[[ $answer == "Karvonel Ver $version 00" ]] || fail "karvonel-convert.exe --version says '$answer'"
mkdir "$work/convert"
cp examples/points.csv "$work/convert/"
(cd "$work/convert" && KARVONEL_FIXED_TIME=$stamp wine_run "$instdir_win\\karvonel-convert.exe" points.csv) \
  >"$work/convert.log" 2>&1 || { cat "$work/convert.log" >&2; fail "karvonel-convert.exe points.csv failed"; }
cmp "$work/convert/points.igs" "$expected_igs" ||
  fail "the installed karvonel-convert.exe wrote other bytes than $expected_igs"
echo "identical: points.igs ($(stat -c %s "$expected_igs") bytes) as $expected_igs"

echo "== installer: silent uninstall"
uninstaller=$(reg_value UninstallString)
uninstaller=${uninstaller#REG_SZ \"}
uninstaller=${uninstaller%\"}
started=$(now_ms)
wine_run "$uninstaller" /S || fail "the uninstaller ended with status $?"
# The uninstaller goes on from a copy of itself in the temporary folder, so
# that it can remove its own file; its last step removes the folder.
deadline=$((SECONDS + 120))
while [[ -e $instdir ]]; do
  ((SECONDS < deadline)) || { find "$instdir" >&2; fail "after 120 s the uninstaller has left the files above"; }
  sleep 0.05
done
uninstall_time=$(since "$started")
echo "uninstall: $uninstall_time"

wine_run reg query "$key" >/dev/null 2>&1 && fail "the uninstall left $key"
wine_run reg export HKCU 'C:\hkcu.reg' >/dev/null || fail "reg export HKCU failed"
if iconv -f UTF-16 -t UTF-8 "$drive/hkcu.reg" | grep -i karvonel >&2; then
  fail "the uninstall left the registry values above"
fi
rm -f "$drive/hkcu.reg"
snapshot >"$work/after-uninstall"
# %LOCALAPPDATA%\Programs is Windows' folder for the programs of every
# per-user installer; it stays, and must be empty.
if [[ -d $programs ]] && ! grep -qxF "./${programs#"$drive"}" "$work/before"; then
  [[ -z $(ls -A "$programs") ]] || fail "$programs is not empty"
  grep -vxF "./${programs#"$drive"}" "$work/after-uninstall" >"$work/after-uninstall.kept" || true
  mv "$work/after-uninstall.kept" "$work/after-uninstall"
fi
diff -u "$work/before" "$work/after-uninstall" >&2 ||
  fail "drive C: differs from before the install (diff above: - before, + after the uninstall)"
echo "removed: every file, folder, the shortcut and the registry entry"

echo "installer: $size bytes; install $install_time, uninstall $uninstall_time"
