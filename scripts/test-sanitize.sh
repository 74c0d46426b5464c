#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (preset "asan", folder build-asan) and runs the whole test suite in that
# build. Any sanitizer report ends its program with a failure, and so the run.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)

echo "== build and test (AddressSanitizer and UndefinedBehaviorSanitizer)"
cmake --preset asan
cmake --build build-asan -j"$jobs"
# The environment of the "asan" test preset, also for anything run directly.
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0
ctest --preset asan -j"$jobs"
