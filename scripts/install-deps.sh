#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the window need.
# Runs apt-get only for what is missing, so a prepared machine starts at once.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libocct-data-exchange-dev libtbb-dev libfreetype-dev libfreeimage-dev
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  xvfb xauth fonts-noto-cjk
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix wine64 wine
  lintian desktop-file-utils man-db unzip dpkg-dev
  mmdebstrap git
  locales libc-l10n
  nsis openbox xdotool imagemagick
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "install-deps: run as root to install: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The window's tests run under a Japanese locale, where the C library's own
# texts are Japanese (they must not reach the user's messages).
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "install-deps: run as root to make the locale ja_JP.UTF-8" >&2
    exit 1
  fi
  localedef -i ja_JP -c -f UTF-8 ja_JP.UTF-8
fi
