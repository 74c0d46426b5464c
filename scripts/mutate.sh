#!/usr/bin/env bash
# A small mutation tester: how many realistic faults does the test suite catch?
#
# Each row of scripts/mutations.tsv plants one fault: NAME, FILE, the ORIGINAL
# text (found exactly once in FILE, within one line) and its REPLACEMENT,
# separated by tabs. The faults go one at a time into a scratch copy of one
# commit, which is rebuilt (release, window included) and tested with ctest.
# A fault that makes a test fail is killed; one the suite passes survived.
#
#   bash scripts/mutate.sh [NAME...]      every fault, or only those named
#
# REV (default HEAD) picks the commit; WORK (default /tmp/karvonel-mutate) the
# scratch folder, which a later run at the same commit reuses; JOBS (default 2)
# the parallel compile and test jobs; COMPILE_ONLY=1 only checks that each
# fault applies and compiles; EVERY_KILLER=1 runs the whole suite for each
# fault and names every test that fails, which shows the tests no fault needs. The report goes to standard output, progress to
# standard error. The project's own files are only read.
set -euo pipefail

root=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
table=$(cd "$(dirname "$0")" && pwd)/mutations.tsv
rev=$(git -C "$root" rev-parse --verify "${REV:-HEAD}^{commit}")
work=${WORK:-/tmp/karvonel-mutate}
jobs=${JOBS:-2}
src=$work/src
build=$work/build
logs=$work/logs

# The table: "list [NAME...]" prints NAME<TAB>FILE rows, "apply NAME" plants
# the fault in the copy, "report RESULTS SECONDS" prints the final table.
helper() {
  python3 - "$table" "$src" "$rev" "$@" <<'EOF'
import re
import sys
table, src, rev, command, *args = sys.argv[1:]
rows = {}
for line in open(table, encoding='utf-8'):
    line = line.rstrip('\n')
    if line.strip() and not line.startswith('#'):
        name, path, old, new = line.split('\t')
        if name in rows:
            sys.exit(f'mutate.sh: {name} twice in {table}')
        rows[name] = (path, old, new)
if command == 'list':
    for name in args or rows:
        if name not in rows:
            sys.exit(f'mutate.sh: no fault named {name}')
        print(name, rows[name][0], sep='\t')
elif command == 'apply':
    path, old, new = rows[args[0]]
    with open(f'{src}/{path}', encoding='utf-8', newline='') as f:
        text = f.read()
    if text.count(old) != 1:
        sys.exit(f'original text found {text.count(old)} times in {path}: {old}')
    with open(f'{src}/{path}', 'w', encoding='utf-8', newline='') as f:
        f.write(text.replace(old, new))
elif command == 'report':
    results = [line.rstrip('\n').split('\t') for line in open(args[0], encoding='utf-8')]
    count = lambda kind: sum(r[2] == kind for r in results)
    print(f'Mutation run on {rev}, {len(results)} faults, {int(args[1]) // 60} min')
    print()
    width = max(len(r[0]) for r in results)
    fwidth = max(len(r[1]) for r in results)
    print(f'{"fault":{width}}  {"file":{fwidth}}  {"result":14}  {"s":>4}  killed by / reason')
    for name, path, result, seconds, detail in results:
        detail = re.sub(r'  # GetParam.*|/?\d+-byte object <.*', '', detail)  # gtest's dumps
        print(f'{name:{width}}  {path:{fwidth}}  {result:14}  {seconds:>4}  {detail}')
    survivors = [r for r in results if r[2] == 'survived']
    if survivors:
        print('\nSurvivors:')
        for name, path, *_ in survivors:
            print(f'  {name} ({path}): {rows[name][1]!r} -> {rows[name][2]!r}')
    applicable = count('killed') + count('survived')
    print(f'\nkilled {count("killed")}, survived {count("survived")}, '
          f'build failed {count("build-failed")}, not applicable {count("not-applicable")}'
          f'{", compiled " + str(count("compiled")) if count("compiled") else ""}')
    print(f'score (killed/applicable): {count("killed")}/{applicable}')
EOF
}

mapfile -t faults < <(helper list "$@")
mkdir -p "$work" "$logs"

# The scratch copy: a clone of the commit, reused while it is the same commit.
if [ "$(git -C "$src" rev-parse HEAD 2>/dev/null)" != "$rev" ]; then
  rm -rf "$src" "$build"
  git clone -q --no-hardlinks --no-checkout "$root" "$src"
  git -C "$src" checkout -q --detach "$rev"
fi
restore() { git -C "$src" checkout -q -- "${1:-.}"; }
restore  # a fault an interrupted run left behind
trap restore EXIT

echo "configuring and building $rev in $build" >&2
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKARVONEL_BUILD_UI=ON \
    >"$logs/configure.log" 2>&1 || { cat "$logs/configure.log" >&2; exit 1; }
fi
build_all() { nice -n 10 ninja -C "$build" -j"$jobs" "$@" </dev/null; }
run_tests() {
  find "$build" -name para.sec -delete  # no run inherits another's section file
  local stop=--stop-on-failure
  [ "${EVERY_KILLER:-0}" = 1 ] && stop=
  (cd "$build" && nice -n 10 ctest -j"$jobs" --timeout 120 $stop --output-on-failure </dev/null)
}
build_all >"$logs/build.log" 2>&1 || { tail -40 "$logs/build.log" >&2; exit 1; }
if [ "${COMPILE_ONLY:-0}" != 1 ]; then
  run_tests >"$logs/baseline.log" 2>&1 ||
    { tail -40 "$logs/baseline.log" >&2; echo "the suite fails without a fault" >&2; exit 1; }
  echo "baseline: $(grep -m1 'tests passed' "$logs/baseline.log")" >&2
fi

results=$work/results.tsv
: >"$results"
for row in "${faults[@]}"; do
  IFS=$'\t' read -r name file <<<"$row"
  log=$logs/$name.log
  start=$SECONDS
  detail=
  if ! helper apply "$name" >"$log" 2>&1; then
    result=not-applicable detail=$(tail -1 "$log")
  elif [ "${COMPILE_ONLY:-0}" = 1 ]; then
    if build_all karvonel_core karvonel_cli karvonel-convert karvonel_ui >>"$log" 2>&1; then
      result=compiled
    else
      result=build-failed detail=$(grep -m1 -E 'error|FAILED' "$log" || true)
    fi
  elif ! build_all >>"$log" 2>&1; then
    result=build-failed detail=$(grep -m1 -E 'error|FAILED' "$log" || true)
  elif run_tests >>"$log" 2>&1; then
    result=survived
  else
    result=killed
    detail=$(sed -n 's/^[0-9]*://p' "$build/Testing/Temporary/LastTestsFailed.log" 2>/dev/null |
      paste -sd' ' || true)
  fi
  restore "$file"
  printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$file" "$result" "$((SECONDS - start))" "$detail" \
    >>"$results"
  printf '%-28s %-15s %s\n' "$name" "$result" "$detail" >&2
done
helper report "$results" "$SECONDS"
