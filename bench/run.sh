#!/usr/bin/env bash
# Measures the converter against the I/O floor and against Open CASCADE's IGES
# writer, side by side in one run, and prints medians and ratios.
#
#   bash bench/run.sh [POINTS] [RUNS]     (defaults: 1000000 points, 5 runs)
#
# The runs are interleaved (floor, converter, Open CASCADE, floor, ...) so that
# whatever else the machine does falls on all of them alike.
set -euo pipefail
cd "$(dirname "$0")/.."
points=${1:-1000000}
runs=${2:-5}

build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKARVONEL_BUILD_BENCH=ON \
  -DKARVONEL_BUILD_TESTS=OFF -DKARVONEL_BUILD_UI=OFF >/dev/null
cmake --build "$build" --target karvonel-convert karvonel_make_points occt_write_points \
  karvonel_stages >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/karvonel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
convert=$PWD/$build/cli/karvonel-convert
"$build/bench/karvonel_make_points" "$points" "$work/points.csv"
"$build/bench/karvonel_make_points" 1000 "$work/small.csv"
cd "$work"  # para.sec goes to the current folder
"$convert" -o reference.igs points.csv 2>/dev/null

# Wall time of a command that writes TARGET, in seconds. Each writes a new file (the outputs of
# earlier runs are removed first) and starts from a clean page cache state:
# what earlier runs left to write is written first, untimed.
seconds() { # TARGET COMMAND...
  local start end target=$1
  shift
  rm -f "$target"
  sync
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo "scale=4; ($end - $start) / 1000000000" | bc
}
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ratio() { echo "scale=2; $1 / $2" | bc; }

floor_cat() { cat points.csv >/dev/null && cat reference.igs >floor.igs; }
floor_cat_sync() { floor_cat && sync floor.igs; }
convert_points() { "$convert" -o out.igs points.csv; }
occt_points() { "$OLDPWD/$build/bench/occt_write_points" points.csv occt.igs; }

cat_times=() sync_times=() convert_times=() occt_times=()
for ((i = 1; i <= runs; i++)); do
  cat_times+=("$(seconds floor.igs floor_cat)")
  sync_times+=("$(seconds floor.igs floor_cat_sync)")
  convert_times+=("$(seconds out.igs convert_points)")
  occt_times+=("$(seconds occt.igs occt_points)")
  echo "run $i: cat ${cat_times[-1]} s, cat+sync ${sync_times[-1]} s," \
    "karvonel-convert ${convert_times[-1]} s, Open CASCADE ${occt_times[-1]} s" >&2
done
# The stamps in Global records 3 and 4 differ from run to run; the rest must not.
cmp -s <(tail -c +411 out.igs) <(tail -c +411 reference.igs) || { echo "outputs differ between runs" >&2; exit 1; }

peak_kib() { /usr/bin/time -f %M "$convert" -o peak.igs "$1" 2>&1 >/dev/null | tail -1; }
small_peaks=() large_peaks=()
for ((i = 1; i <= 3; i++)); do
  small_peaks+=("$(peak_kib small.csv)")
  large_peaks+=("$(peak_kib points.csv)")
done

cat_s=$(median "${cat_times[@]}")
sync_s=$(median "${sync_times[@]}")
convert_s=$(median "${convert_times[@]}")
occt_s=$(median "${occt_times[@]}")
small_kib=$(median "${small_peaks[@]}")
large_kib=$(median "${large_peaks[@]}")
input_mb=$(echo "scale=1; $(stat -c %s points.csv) / 1000000" | bc)
output_mb=$(echo "scale=1; $(stat -c %s out.igs) / 1000000" | bc)

echo
echo "points: $points (input $input_mb MB, output $output_mb MB), median of $runs runs"
echo "  cat (read input, write output-sized file)          $cat_s s"
echo "  cat + sync (the same, flushed to disk)              $sync_s s"
echo "  karvonel-convert (output flushed before renaming)   $convert_s s"
echo "  Open CASCADE IGESControl_Writer                     $occt_s s"
echo "ratios:"
echo "  karvonel-convert / (cat + sync)   $(ratio "$convert_s" "$sync_s")   (target at most 1.25)"
echo "  karvonel-convert / cat            $(ratio "$convert_s" "$cat_s")"
echo "  Open CASCADE / karvonel-convert   $(ratio "$occt_s" "$convert_s")   (target at least 50)"
echo "peak resident memory: $small_kib KiB at 1000 points, $large_kib KiB at $points points," \
  "difference $(((large_kib - small_kib))) KiB (target within 2048 KiB)"

# Where the converter's time goes: its point loop in parts, each the median of
# the same number of runs; the rest of a conversion is what lies outside them.
echo "where the time goes (medians of $runs runs of each part):"
stages=$("$OLDPWD/$build/bench/karvonel_stages" points.csv "$runs")
echo "$stages"
loop_s=$(echo "$stages" | awk '/all of it/ {print $(NF-1)}')
echo "  the rest of a conversion (checks, files opened, the time between" \
  "the parts, renaming)" \
  "$(echo "scale=3; r = $convert_s - $loop_s; if (r < 0) r = 0; r" | bc) s"
