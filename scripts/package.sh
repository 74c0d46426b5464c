#!/usr/bin/env bash
# package.sh [deb] [windows]
# Builds the packages a user downloads, into build-packages/ (all of them
# without an argument; "deb" or "windows" builds only those):
#  - karvonel_<version>_amd64.deb: the window program, the command-line tool,
#    the desktop entry, icons, manual pages and the Japanese guide, built in
#    build-pkg/ with Debian's hardening flags;
#  - karvonel-<version>-win64.zip: the Windows programs (karvonel-convert.exe,
#    karvonel.exe), the guide as CR LF text and the sample point list,
#    cross-built with mingw-w64 in build-mingw-pkg/;
#  - karvonel-<version>-setup.exe: the per-user Windows installer of the
#    window program karvonel.exe and of karvonel-convert.exe from the same
#    cross build, with the guide, the licence terms and the sample, made with
#    NSIS from packaging/windows/karvonel.nsi (scripts/test-installer.sh
#    checks it under Wine).
# The contents of the .deb and the zip come from the CMake install rules
# (cmake/Packaging.cmake). Needs what scripts/install-deps.sh installs.
#
# KARVONEL_PACKAGE_BUILD and KARVONEL_PACKAGE_MINGW_BUILD name build folders
# to package instead, as they are configured (the test command passes the
# release and cross builds of its earlier stages, so nothing is compiled
# twice); the programs then lack Debian's hardening flags.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${KARVONEL_JOBS:-$(nproc)}
out=$PWD/build-packages

build_deb=1
build_windows=1
if (($#)); then
  build_deb=0
  build_windows=0
  for kind in "$@"; do
    case $kind in
      deb) build_deb=1 ;;
      windows) build_windows=1 ;;
      *) echo "usage: package.sh [deb] [windows]" >&2; exit 2 ;;
    esac
  done
fi
if ((build_windows)); then
  for tool in makensis x86_64-w64-mingw32-strip; do
    command -v "$tool" >/dev/null || { echo "package: $tool missing (run scripts/install-deps.sh)" >&2; exit 1; }
  done
fi
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

if ((build_deb)); then
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
fi

if ((build_windows)); then
  zip_build=${KARVONEL_PACKAGE_MINGW_BUILD:-}
  if [[ -n $zip_build ]]; then
    echo "== package: Windows zip (from $zip_build/)"
  else
    zip_build=build-mingw-pkg
    echo "== package: Windows zip ($zip_build/)"
    # A Windows build's window program is the Win32 one, without Qt.
    cmake -S . -B "$zip_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DKARVONEL_BUILD_TESTS=OFF \
      -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake >/dev/null
  fi
  nice cmake --build "$zip_build" -j"$jobs" --target karvonel-convert karvonel
  window_exe=$zip_build/ui/win32/karvonel.exe
  (cd "$zip_build" && cpack -G ZIP -B "$out" >/dev/null)

  echo "== package: Windows installer (NSIS)"
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$zip_build/CMakeCache.txt")
  [[ -n $version ]] || { echo "package: no project version in $zip_build/CMakeCache.txt" >&2; exit 1; }
  [[ -f $window_exe ]] || { echo "package: no window program $window_exe for the installer" >&2; exit 1; }
  # The program files without their symbols, as in the zip; the licence terms
  # with CR LF line ends, like the guide (made by cmake/Packaging.cmake), for
  # Notepad and the installer's licence page.
  x86_64-w64-mingw32-strip -o "$stage/karvonel.exe" "$window_exe"
  x86_64-w64-mingw32-strip -o "$stage/karvonel-convert.exe" "$zip_build/cli/karvonel-convert.exe"
  sed 's/$/\r/' packaging/copyright >"$stage/copyright.txt"
  makensis -V2 -WX -INPUTCHARSET UTF8 \
    "-DVERSION=$version" \
    "-DOUTFILE=$out/karvonel-$version-setup.exe" \
    "-DKARVONEL_EXE=$stage/karvonel.exe" \
    "-DCONVERT_EXE=$stage/karvonel-convert.exe" \
    "-DGUIDE=$(realpath "$zip_build/README-ja.txt")" \
    "-DCOPYRIGHT=$stage/copyright.txt" \
    "-DSAMPLE=$PWD/examples/points.csv" \
    "-DICON=$PWD/ui/icons/karvonel.ico" \
    packaging/windows/karvonel.nsi
fi

rm -rf "$out/_CPack_Packages"
for package in "$out"/karvonel_*.deb "$out"/karvonel-*.zip "$out"/karvonel-*-setup.exe; do
  [[ -e $package ]] || continue
  echo "built: ${package#"$PWD/"} ($(stat -c %s "$package") bytes)"
done
