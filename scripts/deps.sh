#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need; does nothing when all are there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  zlib1g-dev libdeflate-dev libjpeg-dev libattr1-dev attr
  qt6-base-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  liblnk-utils
  # Signing an installer in the tests: a certificate made with openssl, osslsigncode to sign.
  openssl osslsigncode
  clang-14 libclang-rt-14-dev
  # The Windows build: mingw-w64 (posix threads), zlib for mingw, Wine to run the programs,
  # dpkg-dev to fetch Debian's sources of the libraries built for mingw, and a virtual display.
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev wine64 wine dpkg-dev xvfb xauth
  # The Windows window's test: keys and clicks from outside, and its capture.
  xdotool x11-apps imagemagick
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
