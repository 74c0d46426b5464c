#!/usr/bin/env bash
# Builds the libFuzzer program of the conversion (clang, with AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs it for a while. New inputs go to
# build-fuzz/corpus; an input that breaks a property is saved in
# build-fuzz/artifacts/ and fails the run.
#
#   bash scripts/test-fuzz.sh                    # 60 s
#   FUZZ_SECONDS=600 bash scripts/test-fuzz.sh
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_conversion_fuzzer

export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Where the target writes its files: in memory, since each run writes, syncs
# and renames them.
KARVONEL_FUZZ_DIR=$(mktemp -d /dev/shm/karvonel-fuzz.XXXXXX 2>/dev/null || mktemp -d)
export KARVONEL_FUZZ_DIR
trap 'rm -rf "$KARVONEL_FUZZ_DIR"' EXIT

work=build-fuzz/corpus
artifacts=build-fuzz/artifacts
log=build-fuzz/fuzz-conversion.log
rm -rf "$artifacts"
mkdir -p "$work" "$artifacts"
echo "== fuzz the conversion for ${seconds}s"
status=0
# -max_len leaves room for lines past the 32766-byte limit.
build-fuzz/tests/fuzz/fuzz_conversion_fuzzer -max_total_time="$seconds" -max_len=40000 \
  -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
  "$work" tests/fuzz/corpus/conversion >"$log" 2>&1 || status=$?
grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::(number_of_executed_units|peak_rss_mb|new_units_added)' "$log" || true
if ((status != 0)); then
  tail -n 40 "$log" >&2
  echo "fuzzing failed (status $status); the input is in $artifacts, the log in $log" >&2
  exit 1
fi
