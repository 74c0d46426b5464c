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
#
# KARVONEL_PACKAGE_BUILD and KARVONEL_PACKAGE_MINGW_BUILD name build folders
# to package instead, as they are configured (the test command passes the
# release and cross builds of its earlier stages, so nothing is compiled
# twice); the programs then lack Debian's hardening flags.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${KARVONEL_JOBS:-$(nproc)}
out=$PWD/build-packages

deb_build=${KARVONEL_PACKAGE_BUILD:-}
if [[ -n $deb_build ]]; then
  echo "== package: Debian package (from $deb_build/)"
else
  deb_build=build-pkg
  echo "== package: Debian package ($deb_build/)"
  # The compiler and linker flags Debian builds its own packages with, every
  # hardening option on: fortified functions, stack protector, read-only
  # relocations bound at start.
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    cmake -S . -B "$deb_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DKARVONEL_BUILD_TESTS=OFF -DKARVONEL_BUILD_UI=ON >/dev/null
fi
nice cmake --build "$deb_build" -j"$jobs"
(cd "$deb_build" && cpack -G DEB -B "$out" >/dev/null)

zip_build=${KARVONEL_PACKAGE_MINGW_BUILD:-}
if [[ -n $zip_build ]]; then
  echo "== package: Windows zip (from $zip_build/)"
else
  zip_build=build-mingw-pkg
  echo "== package: Windows zip ($zip_build/)"
  cmake -S . -B "$zip_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKARVONEL_BUILD_TESTS=OFF -DKARVONEL_BUILD_UI=OFF \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake >/dev/null
fi
nice cmake --build "$zip_build" -j"$jobs" --target karvonel-convert
(cd "$zip_build" && cpack -G ZIP -B "$out" >/dev/null)

rm -rf "$out/_CPack_Packages"
for package in "$out"/karvonel_*.deb "$out"/karvonel-*.zip; do
  echo "built: ${package#"$PWD/"} ($(stat -c %s "$package") bytes)"
done
