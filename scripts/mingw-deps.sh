#!/usr/bin/env bash
# Builds the libraries Debian does not package for mingw from Debian's own source packages:
# libdeflate (static) and GoogleTest, into build/mingw-deps (include/, lib/, lib/pkgconfig/).
# Does nothing when they are there; the sources come from Debian's archive only.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
deps=$root/build/mingw-deps
work=$root/build/mingw-src
cc=x86_64-w64-mingw32-gcc-posix
mkdir -p "$deps/include" "$deps/lib/pkgconfig" "$work"

if [ ! -f "$deps/lib/libdeflate.a" ]; then
  # Debian's source of the very version the Linux build links.
  if ! apt-get source --print-uris libdeflate >/dev/null 2>&1; then
    cat >/etc/apt/sources.list.d/vexo-deb-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt-get update -qq
  fi
  (cd "$work" && rm -rf libdeflate-* && apt-get source -qq libdeflate >/dev/null 2>&1)
  src=$(find "$work" -maxdepth 1 -type d -name 'libdeflate-*' | head -n 1)
  make -s -C "$src" CC=$cc AR=x86_64-w64-mingw32-ar libdeflatestatic.lib >/dev/null
  cp "$src/libdeflate.h" "$deps/include/"
  cp "$src/libdeflatestatic.lib" "$deps/lib/libdeflate.a"
  version=$(sed -n 's/^#define LIBDEFLATE_VERSION_STRING[^"]*"\(.*\)"/\1/p' "$src/libdeflate.h")
  cat >"$deps/lib/pkgconfig/libdeflate.pc" <<PC
prefix=$deps
Name: libdeflate
Description: Fast implementation of DEFLATE, zlib, and gzip (static, mingw)
Version: $version
Libs: -L\${prefix}/lib -ldeflate
Cflags: -I\${prefix}/include -DLIBDEFLATE_STATIC
PC
fi

if [ ! -f "$deps/lib/libgtest.a" ]; then
  rm -rf "$work/googletest"
  cmake -S /usr/src/googletest -B "$work/googletest" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$deps" -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$work/googletest" -j "$(nproc)" >/dev/null
  cmake --install "$work/googletest" >/dev/null
fi
