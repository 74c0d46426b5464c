#!/usr/bin/env bash
# The packaging stage: builds the Debian package, the Windows zip and installer with
# scripts/package.sh, then checks them the way a user gets them: the .deb
# passes lintian, installs with apt-get, its programs, desktop entry, manual
# pages and guide work from where it put them, and it removes without leaving
# a file behind; the zip's karvonel-convert.exe converts the sample under Wine
# to the same bytes as the installed Linux program; the installer installs,
# converts and uninstalls silently under Wine (scripts/test-installer.sh).
#
# Installs and removes the package karvonel, so it needs root; one run at a
# time per machine (a lock in /run/lock). KARVONEL_PACKAGE_BUILD and
# KARVONEL_PACKAGE_MINGW_BUILD go on to scripts/package.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$SECONDS
stamp=20240102030405
deb=build-packages/karvonel_1.20_amd64.deb
zip=build-packages/karvonel-1.20-win64.zip

fail() { echo "test-package: $*" >&2; exit 1; }
stage() { echo "== package: $* [at $((SECONDS - started)) s]"; }
[[ $(id -u) -eq 0 ]] || fail "run as root: the check installs and removes the package"

rm -f build-packages/karvonel_*.deb build-packages/karvonel-*.zip build-packages/karvonel-*-setup.exe
bash scripts/package.sh
[[ -f $deb ]] || fail "$deb not built"
[[ -f $zip ]] || fail "$zip not built"

work=$(mktemp -d)
cleanup() {
  rm -rf "$work"
  if [[ -n ${wineserver:-} ]]; then "$wineserver" -k 2>/dev/null || true; fi
}
trap cleanup EXIT

stage "the Debian package's control fields and contents"
[[ $(dpkg-deb -f "$deb" Package) == karvonel ]] || fail "package name"
[[ $(dpkg-deb -f "$deb" Version) == 1.20 ]] || fail "version: $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libstdc++6 libqt6widgets6; do
  [[ ", $depends" == *", $library "* ]] || fail "Depends lacks $library (dpkg-shlibdeps not run?)"
done
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sort >"$work/files"
sort >"$work/files.expected" <<'LIST'
./usr/bin/karvonel
./usr/bin/karvonel-convert
./usr/share/applications/karvonel.desktop
./usr/share/doc/karvonel/about-window.png
./usr/share/doc/karvonel/changelog.gz
./usr/share/doc/karvonel/copyright
./usr/share/doc/karvonel/ja/README.md
./usr/share/doc/karvonel/main-window.png
./usr/share/icons/hicolor/128x128/apps/karvonel.png
./usr/share/icons/hicolor/16x16/apps/karvonel.png
./usr/share/icons/hicolor/32x32/apps/karvonel.png
./usr/share/icons/hicolor/64x64/apps/karvonel.png
./usr/share/man/ja/man1/karvonel-convert.1.gz
./usr/share/man/ja/man1/karvonel.1.gz
./usr/share/man/man1/karvonel-convert.1.gz
./usr/share/man/man1/karvonel.1.gz
LIST
diff -u --label expected --label "$deb" "$work/files.expected" "$work/files" ||
  fail "the package holds other files than expected"

stage "lintian"
# Errors fail the stage; warnings are shown.
status=0
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 || status=$?
grep -v 'running with root privileges' "$work/lintian" || true
((status == 0)) || fail "lintian reports errors"
echo "lintian: no errors, $(grep -c '^W: ' "$work/lintian" || true) warnings"

stage "install, use and remove"
exec 9>/run/lock/karvonel-test-package.lock
flock 9
export DEBIAN_FRONTEND=noninteractive
apt_get() { apt-get -q -y -o DPkg::Lock::Timeout=600 "$@"; }
if dpkg-query -W -f='${Status}' karvonel 2>/dev/null | grep -q 'ok installed'; then
  apt_get remove karvonel >/dev/null
fi
apt_get install --no-install-recommends "$root/$deb" >/dev/null
dpkg-query -L karvonel >"$work/installed"

[[ $(command -v karvonel-convert) == /usr/bin/karvonel-convert ]] || fail "karvonel-convert not in PATH"
[[ $(command -v karvonel) == /usr/bin/karvonel ]] || fail "karvonel not in PATH"
version=$(karvonel-convert --version)
[[ $version == "Karvonel Ver 1.20 00" ]] || fail "karvonel-convert --version printed: $version"

mkdir "$work/linux"
cp examples/points.csv "$work/linux/"
message=$(cd "$work/linux" && KARVONEL_FIXED_TIME=$stamp karvonel-convert points.csv 2>&1) ||
  fail "converting the sample failed: $message"
[[ $message == "points.csv: 変換しました: points.igs" ]] || fail "unexpected report: $message"
terminate=$(tail -n 1 "$work/linux/points.igs" | tr -d '\r')
[[ $terminate == "S      1G      4D     10P      5                                        T      1" ]] ||
  fail "the sample's IGES file ends with: $terminate"

desktop-file-validate /usr/share/applications/karvonel.desktop || fail "desktop-file-validate"

page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -P cat karvonel-convert 2>&1) || fail "man karvonel-convert: $page"
[[ $page == *"EXIT STATUS"* && $page == *"karvonel-convert [-o OUTPUT] INPUT..."* ]] ||
  fail "man karvonel-convert shows: $page"
page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -L ja -P cat karvonel-convert 2>&1) || fail "man -L ja karvonel-convert: $page"
[[ $page == *"終了コード"* && $page == *"karvonel-convert [-o 出力ファイル] 入力ファイル..."* ]] ||
  fail "man -L ja karvonel-convert shows: $page"
echo "manual pages render (English and Japanese)"

cmp docs/ja/README.md /usr/share/doc/karvonel/ja/README.md || fail "installed guide differs"
bash scripts/check-guide.sh /usr/bin

apt_get remove karvonel >/dev/null
status=$(dpkg-query -W -f='${Status}' karvonel 2>/dev/null || true)
[[ -z $status || $status == *not-installed ]] || fail "after apt-get remove the package is: $status"
# What of the paths in LIST is still there: a file, a link, or a folder that
# no installed package owns. Another package's folder may stay, empty or not
# (hicolor-icon-theme's icon folders, say).
left_behind() {
  local path
  while read -r path; do
    [[ $path != /. ]] && [[ -e $path || -L $path ]] || continue
    [[ -d $path && ! -L $path ]] && dpkg-query -S "$path" >/dev/null 2>&1 && continue
    echo "$path"
  done <"$1"
}
left=$(left_behind "$work/installed")
[[ -z $left ]] || fail "apt-get remove left files behind: ${left//$'\n'/, }"
echo "removed: none of its $(wc -l <"$work/installed") paths left behind"

stage "the removal check finds what is left"
# A file of ours and an empty folder of ours are found; another package's
# folder is not.
mkdir /usr/share/doc/karvonel
: >/usr/bin/karvonel-convert
printf '%s\n' /usr/bin/karvonel-convert /usr/share/doc/karvonel /usr/share/man/man1 >"$work/list"
left=$(left_behind "$work/list")
rm /usr/bin/karvonel-convert
rmdir /usr/share/doc/karvonel
[[ $left == $'/usr/bin/karvonel-convert\n/usr/share/doc/karvonel' ]] ||
  fail "the removal check found: ${left:-nothing}"
echo "found: the file and the folder left on purpose"
flock -u 9

stage "the Windows zip"
unzip -q "$zip" -d "$work/zip"
top=$work/zip/karvonel-1.20-win64
(cd "$work/zip" && find . -type f | sort) >"$work/zip-files"
diff -u --label expected --label "$zip" - "$work/zip-files" <<'LIST' || fail "the zip holds other files than expected"
./karvonel-1.20-win64/README-ja.txt
./karvonel-1.20-win64/bin/karvonel-convert.exe
./karvonel-1.20-win64/bin/karvonel.exe
./karvonel-1.20-win64/examples/points.csv
LIST
text=$top/README-ja.txt
[[ $(grep -c $'\r$' "$text") -eq $(wc -l <"$text") ]] || fail "README-ja.txt has lines without CR LF"
tr -d '\r' <"$text" | cmp - docs/ja/README.md || fail "README-ja.txt is not the guide"
cmp "$top/examples/points.csv" examples/points.csv || fail "the zip's sample differs"
for exe in "$top/bin/karvonel-convert.exe" "$top/bin/karvonel.exe"; do
name=$(basename "$exe")
# Static: no MinGW run-time DLL (libstdc++, libgcc, libwinpthread) beside it.
if x86_64-w64-mingw32-objdump -p "$exe" | grep -i 'DLL Name: lib'; then
  fail "$name needs a MinGW DLL"
fi
# The icon's every image and the version record are inside the program file.
perl -e '
  local $/; open my $i, "<:raw", $ARGV[0] or die; my $ico = <$i>;
  open my $e, "<:raw", $ARGV[1] or die; my $exe = <$e>;
  my $count = unpack "x4 v", $ico;
  for my $n (0 .. $count - 1) {
    my ($size, $offset) = unpack "VV", substr($ico, 6 + 16 * $n + 8, 8);
    index($exe, substr($ico, $offset, $size)) >= 0 or die "icon image $n missing\n";
  }
  my $name = join "", map { "$_\0" } split //, "PrjKarvonel";
  index($exe, $name) >= 0 or die "version record missing\n";
' ui/icons/karvonel.ico "$exe" || fail "$name lacks its icon or version record"
done
exe=$top/bin/karvonel-convert.exe

stage "the zip's karvonel-convert.exe under Wine, same bytes as Linux"
export WINEPREFIX=$root/${KARVONEL_PACKAGE_MINGW_BUILD:-build-mingw-pkg}/wineprefix
export WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
"$wineserver" -p 2>/dev/null || true
(cd "$top/examples" && KARVONEL_FIXED_TIME=$stamp "$root/cmake/toolchains/wine-run.sh" "$WINEPREFIX" \
  ../bin/karvonel-convert.exe points.csv) || fail "karvonel-convert.exe failed under Wine"
for file in points.igs para.sec; do
  cmp "$top/examples/$file" "$work/linux/$file" || fail "$file from Windows and Linux differ"
  echo "identical: $file ($(stat -c %s "$work/linux/$file") bytes)"
done

stage "the Windows installer: silent install, use and uninstall under Wine"
setup=build-packages/karvonel-1.20-setup.exe
[[ -f $setup ]] || fail "$setup not built"
bash scripts/test-installer.sh "$setup" "$work/linux/points.igs" || fail "the installer check failed"

stage "sizes"
ls -l build-packages/karvonel_*.deb build-packages/karvonel-*.zip "$setup" | awk '{print $5, $NF}'
echo "test-package: passed in $((SECONDS - started)) s"
