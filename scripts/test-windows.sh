#!/usr/bin/env bash
# The Windows stage: cross-builds the project with mingw-w64 into build-mingw/,
# runs its test suite under Wine, then converts the sample point lists with
# karvonel-convert.exe under Wine and with the Linux build (build-linux-ref/),
# both at the same fixed stamp, and requires identical bytes.
#
# Needs g++-mingw-w64-x86-64-posix, wine64 and googletest (scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
cross=build-mingw
native=build-linux-ref
stamp=20240102030405

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres; do
  command -v "$tool" >/dev/null || { echo "test-windows: $tool missing (run scripts/install-deps.sh)" >&2; exit 1; }
done
[[ -x /usr/lib/wine/wine64 ]] || command -v wine64 >/dev/null ||
  { echo "test-windows: wine64 missing (run scripts/install-deps.sh)" >&2; exit 1; }

# Wine keeps its state inside the build folder and stays quiet.
export WINEPREFIX=$root/$cross/wineprefix
export WINEDEBUG=-all
wine_run() { "$root/cmake/toolchains/wine-run.sh" "$WINEPREFIX" "$@"; }

echo "== Windows: cross build (mingw-w64, warnings as errors)"
cmake -S . -B "$cross" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKARVONEL_WARNINGS_AS_ERRORS=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake
cmake --build "$cross" -j"$jobs"

echo "== Windows: first start of Wine (slow the first time)"
# One Wine server for the whole stage, so that each of the many test programs
# starts in a fraction of a second; it is stopped when the stage ends.
mkdir -p "$WINEPREFIX"
# The wineserver command comes with Debian's wine package; wine64 alone has it
# under /usr/lib/wine.
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
"$wineserver" -p 2>/dev/null || true  # fails only when one is already running
trap '"$wineserver" -k 2>/dev/null || true' EXIT
version=$(wine_run "$cross/cli/karvonel-convert.exe" --version | tr -d '\r')
echo "$version"
[[ $version == "Karvonel Ver 1.20 00" ]] || { echo "test-windows: unexpected --version" >&2; exit 1; }

echo "== Windows: test suite under Wine"
# Under load Wine now and then fails to start a test program at all (it ends at
# once, having printed nothing); such a test gets two more tries. A test that
# fails on its own merits fails all three.
ctest --test-dir "$cross" --output-on-failure -j"$jobs" --timeout 300 --repeat until-pass:3

echo "== Windows: same bytes as the Linux build"
cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKARVONEL_WARNINGS_AS_ERRORS=ON \
  -DKARVONEL_BUILD_TESTS=OFF -DKARVONEL_BUILD_UI=OFF >/dev/null
cmake --build "$native" -j"$jobs" --target karvonel-convert

compare=$root/$cross/compare
rm -rf "$compare"
mkdir -p "$compare/input"
cp examples/*.csv "$compare/input/"
# Beside the samples: every kind of line end, exponents, hexadecimal and octal
# fields, blank lines, a header line and a last line without its end.
{
  printf 'X,Y,Z\r\n'
  for i in $(seq 1 400); do
    printf '%d.%03d,-%d.5E-3,%dD2\r\n' "$i" "$((i * 7 % 1000))" "$i" "$((i % 13))"
    printf '&H%X,&O%o,%d\n' "$i" "$i" "$((-i))"
    printf '  \t\r'
    printf '%s,%s\r' "$((i * 1000003))" "0.$i"
  done
  printf '1,2,3'
} >"$compare/input/mixed.csv"

failed=0
for input in "$compare"/input/*.csv; do
  name=$(basename "$input" .csv)
  for side in windows linux; do
    mkdir -p "$compare/$side/$name"
    cp "$input" "$compare/$side/$name/"
  done
  (cd "$compare/windows/$name" && KARVONEL_FIXED_TIME=$stamp wine_run "$root/$cross/cli/karvonel-convert.exe" "$name.csv")
  (cd "$compare/linux/$name" && KARVONEL_FIXED_TIME=$stamp "$root/$native/cli/karvonel-convert" "$name.csv")
  for file in "$name.igs" para.sec; do
    if cmp "$compare/windows/$name/$file" "$compare/linux/$name/$file"; then
      echo "identical: $name/$file ($(stat -c %s "$compare/linux/$name/$file") bytes)"
    else
      failed=1
    fi
  done
done
if ((failed)); then
  echo "test-windows: the Windows and Linux outputs differ (files in $compare)" >&2
  exit 1
fi
