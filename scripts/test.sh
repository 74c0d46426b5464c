#!/usr/bin/env bash
# Builds the project and runs the whole test suite, stage by stage. Any failing
# stage fails the run; the time of each is printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
times=()
# stage NAME COMMAND...: runs one stage and notes its time.
stage() {
  local name=$1 at=$SECONDS
  shift
  "$@"
  times+=("$(printf '%6d s  %s' $((SECONDS - at)) "$name")")
}

release() {
  echo "== build and test (release, warnings as errors)"
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKARVONEL_WARNINGS_AS_ERRORS=ON
  cmake --build build -j"$(nproc)"
  ctest --test-dir build --output-on-failure -j"$(nproc)"
}

stage "install what is missing" bash scripts/install-deps.sh
stage "release build and suite" release
# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer,
# then the fuzz target for a short while.
stage "sanitizer build and suite" bash scripts/test-sanitize.sh
stage "fuzzing" bash scripts/test-fuzz.sh
# The core, the command-line tool and their tests cross-built for Windows with
# MinGW-w64 and run under Wine; the .exe's output compared with Linux's.
stage "Windows cross build under Wine" bash scripts/test-windows.sh
# The Debian package and the Windows zip made by scripts/package.sh, checked
# as a user gets them: lintian, install, use, remove; the .exe under Wine.
# They are packed from the release and cross builds above, not compiled again.
stage "packages" env KARVONEL_PACKAGE_BUILD=build KARVONEL_PACKAGE_MINGW_BUILD=build-mingw \
  bash scripts/test-package.sh
# Last, the README's two commands on a new minimal Debian root, from the
# committed main. Inside that root this command runs again, without this stage.
if [[ -z ${KARVONEL_FRESH_INSIDE:-} ]]; then
  stage "fresh machine: the README's two commands" bash scripts/test-fresh.sh
fi

echo "== times"
printf '%s\n' "${times[@]}"
printf '%6d s  the whole run\n' $((SECONDS - started))
