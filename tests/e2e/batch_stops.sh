#!/usr/bin/env bash
# Ctrl-C stops a batch, not only the file under way: karvonel-convert runs over
# two long point lists, one after the other, from a shell loop or from xargs.
# Once the first conversion is under way, SIGINT: for the loop to its whole
# process group, as a terminal's Ctrl-C does; for xargs to the program alone.
# The caller must stop: the second conversion never starts, the first one's
# earlier output is byte for byte as it was, nothing is left behind.
#
#   batch_stops.sh KARVONEL_CONVERT loop|xargs
set -uo pipefail
convert=$(realpath "$1")
caller=$2
scene=$(mktemp -d /tmp/karvonel-batch.XXXXXX)
trap 'rm -rf "$scene"' EXIT
cd "$scene" || exit 2
seq 2000000 | sed 's/$/.5,-2.25,1E2/' >a.csv
cp a.csv b.csv
printf 'an earlier output, which an interrupted run must keep\r\n' >a.igs
cp a.igs a.igs.before

# Each job in a process group of its own, SIGINT at its default action, as
# at an interactive shell.
set -m
case $caller in
  loop) bash -c 'for f in a b; do echo "$f" >>started; "$0" "$f.csv"; done' "$convert" 2>log & ;;
  xargs) printf 'a\nb\n' |
    xargs -I{} sh -c 'echo {} >>started; echo $$ >pid; exec "$0" {}.csv' "$convert" 2>log & ;;
  *) echo "usage: batch_stops.sh KARVONEL_CONVERT loop|xargs"; exit 2 ;;
esac
job=$!
for _ in $(seq 500); do
  [[ -s para.sec ]] && break
  sleep 0.02
done
if [[ $caller == loop ]]; then
  kill -INT -- -"$job"
else
  kill -INT "$(<pid)"
fi
wait "$job"
status=$?
# A shell that gets the signal before it waits for the program ends at once,
# while the program is still cleaning up: the checks wait for it to end too.
for _ in $(seq 500); do
  kill -0 -- -"$job" 2>/dev/null || break
  sleep 0.02
done
set +m

failed=0
fail() { echo "FAIL: $*"; failed=1; }
# bash ends by SIGINT itself (130); xargs says a command was ended by a signal.
want_status=130
[[ $caller == xargs ]] && want_status=125
((status == want_status)) || fail "$caller ended with status $status, expected $want_status"
[[ $(<started) == a ]] || fail "conversions started: $(tr '\n' ' ' <started)"
[[ $(<log) == *"a.csv: シグナル 2 を受けて変換を中止しました。出力ファイルは変更されていません"* ]] ||
  fail "report: $(<log)"
cmp -s a.igs a.igs.before || fail "the earlier output changed"
[[ ! -e b.igs ]] || fail "b.csv was converted"
left=$(ls -A | grep -vxE 'a\.csv|b\.csv|a\.igs|a\.igs\.before|para\.sec|started|log|pid')
[[ -z $left ]] || fail "left behind: $left"
(($(stat -c %s para.sec) % 82 == 0)) || fail "para.sec ends inside a record"
exit $failed
