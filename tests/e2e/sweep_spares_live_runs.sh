#!/usr/bin/env bash
# A run never sweeps away the temporary file of another run that is still
# going, even where process ids say nothing (another PID namespace: a
# container, unshare --pid). Run A has the id 4242 (the fault shim's pid),
# which no process here is likely to have, and writes its output under a
# temporary name (no-tmpfile); its input is a FIFO that this script keeps
# open. Meanwhile run B converts into the same folder, sweeping it first.
# Then A's input ends: A must complete its output, B its own, and nothing may
# be left behind.
#
#   sweep_spares_live_runs.sh KARVONEL_CONVERT FAULT_SHIM
set -uo pipefail
convert=$(realpath "$1")
shim=$(realpath "$2")
[[ -z ${KARVONEL_SANITIZED:-} ]] || { echo "skipped: the fault shim and sanitizers do not mix"; exit 77; }
scene=$(mktemp -d /tmp/karvonel-sweep.XXXXXX)
a=
trap '[[ -n $a ]] && kill "$a" 2>/dev/null; rm -rf "$scene"' EXIT
cd "$scene" || exit 2
mkdir a b out
mkfifo a/points.csv
printf '1,2,3\n' >b/points.csv

(cd a && exec env LD_PRELOAD="$shim" KARVONEL_FAULT=no-tmpfile,pid \
  "$convert" -o "$scene/out/a.igs" points.csv) 2>a.log &
a=$!
exec 8>a/points.csv  # returns once A has opened its input
printf '1,1,1\n' >&8
for _ in $(seq 500); do
  compgen -G 'out/.karvonel-4242-*.tmp' >/dev/null && break
  sleep 0.02
done
live=$(compgen -G 'out/.karvonel-4242-*.tmp')
(cd b && env LD_PRELOAD="$shim" KARVONEL_FAULT=no-tmpfile \
  "$convert" -o "$scene/out/b.igs" points.csv) 2>b.log
b_status=$?
[[ -n $live && -e $live ]]
kept=$?
printf '4,4,4\n' >&8
exec 8>&-
wait "$a"
a_status=$?
a=

failed=0
fail() { echo "FAIL: $*"; failed=1; }
[[ -n $live ]] || fail "run A made no temporary file"
((kept == 0)) || fail "run B removed run A's temporary file $live"
((a_status == 0)) || fail "run A: exit status $a_status: $(<a.log)"
((b_status == 0)) || fail "run B: exit status $b_status: $(<b.log)"
# Start, 4 Global, 2 per point, 1 per point, Terminate: 82 bytes each.
[[ $(stat -c %s out/a.igs 2>/dev/null) == $((12 * 82)) ]] || fail "out/a.igs is not the 2-point file"
[[ $(stat -c %s out/b.igs 2>/dev/null) == $((9 * 82)) ]] || fail "out/b.igs is not the 1-point file"
left=$(compgen -G 'out/*.tmp')
[[ -z $left ]] || fail "left behind: $left"
exit $failed
