#!/usr/bin/env bash
# The README's first command: installs what is missing, builds, and opens the
# window on the folder examples/, where a sample point list waits to be
# converted. Without a display it converts the sample with the command-line
# tool instead and says where the IGES file went.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKARVONEL_BUILD_UI=ON >/dev/null
cmake --build build --target karvonel karvonel-convert

cd examples
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  echo "Karvonel: the window opens on $(pwd); choose points.csv and press 変　換."
  exec ../build/ui/karvonel
fi
echo "No display: converting the sample with the command-line tool instead."
../build/cli/karvonel-convert points.csv
echo "IGES file: $(pwd)/points.igs"
