#!/usr/bin/env bash
# Builds the libFuzzer programs (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a while, one after the other.
# New inputs go to build-fuzz/corpus/<target>; an input that breaks a property
# is saved in build-fuzz/artifacts/<target>/ and fails the run.
#
#   bash scripts/test-fuzz.sh            # 30 s per target
#   FUZZ_SECONDS=600 bash scripts/test-fuzz.sh point_line
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
targets=("$@")
((${#targets[@]})) || targets=(number_text point_line conversion)

cmake --preset fuzz >/dev/null
# shellcheck disable=SC2046
cmake --build build-fuzz -j"$(nproc)" --target $(printf 'fuzz_%s_fuzzer ' "${targets[@]}")

export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

for target in "${targets[@]}"; do
  case $target in
    number_text) max_len=256 ;;
    point_line) max_len=4096 ;;
    conversion) max_len=40000 ;;  # room for lines past the 32766-byte limit
    *) echo "unknown fuzz target: $target" >&2; exit 2 ;;
  esac
  work=build-fuzz/corpus/$target
  artifacts=build-fuzz/artifacts/$target
  log=build-fuzz/fuzz-$target.log
  rm -rf "$artifacts"
  mkdir -p "$work" "$artifacts"
  echo "== fuzz $target for ${seconds}s"
  status=0
  build-fuzz/tests/fuzz/fuzz_${target}_fuzzer -max_total_time="$seconds" -max_len="$max_len" \
    -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$work" "tests/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::(number_of_executed_units|peak_rss_mb|new_units_added)' "$log" || true
  if ((status != 0)); then
    tail -n 40 "$log" >&2
    echo "fuzz $target failed (status $status); the input is in $artifacts, the log in $log" >&2
    exit 1
  fi
done
