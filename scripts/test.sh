#!/usr/bin/env bash
# Builds the project and runs the whole test suite, stage by stage. Any failing
# stage fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)

echo "== build and test (release, warnings as errors)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKARVONEL_WARNINGS_AS_ERRORS=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer,
# then the fuzz target for a short while.
bash scripts/test-sanitize.sh
bash scripts/test-fuzz.sh

# The core, the command-line tool and their tests cross-built for Windows with
# MinGW-w64 and run under Wine; the .exe's output compared with Linux's.
bash scripts/test-windows.sh

# The Debian package and the Windows zip made by scripts/package.sh, checked
# as a user gets them: lintian, install, use, remove; the .exe under Wine.
# They are packed from the release and cross builds above, not compiled again.
KARVONEL_PACKAGE_BUILD=build KARVONEL_PACKAGE_MINGW_BUILD=build-mingw bash scripts/test-package.sh
