#!/usr/bin/env bash
# Builds the two packages a user downloads, into build-packages/:
#  - karvonel_<version>_amd64.deb: the window program, the command-line tool,
#    the desktop entry, icons, manual pages and the Japanese guide, built in
#    build-pkg/ with Debian's hardening flags;
#  - karvonel-<version>-win64.zip: karvonel-convert.exe, the guide as CR LF
#    text and the sample point list, cross-built with mingw-w64 in
#    build-mingw-pkg/.
# The contents come from the CMake install rules (cmake/Packaging.cmake).
# Needs what scripts/install-deps.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${KARVONEL_JOBS:-$(nproc)}
out=$PWD/build-packages

echo "== package: Debian package (build-pkg/)"
# The compiler and linker flags Debian builds its own packages with:
# fortified functions, stack protector, read-only relocations.
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKARVONEL_BUILD_TESTS=OFF -DKARVONEL_BUILD_UI=ON >/dev/null
nice cmake --build build-pkg -j"$jobs"
(cd build-pkg && cpack -G DEB -B "$out" >/dev/null)

echo "== package: Windows zip (build-mingw-pkg/)"
cmake -S . -B build-mingw-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKARVONEL_BUILD_TESTS=OFF -DKARVONEL_BUILD_UI=OFF \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake >/dev/null
nice cmake --build build-mingw-pkg -j"$jobs"
(cd build-mingw-pkg && cpack -G ZIP -B "$out" >/dev/null)

rm -rf "$out/_CPack_Packages"
for package in "$out"/karvonel_*.deb "$out"/karvonel-*.zip; do
  echo "built: ${package#"$PWD/"} ($(stat -c %s "$package") bytes)"
done
