#!/usr/bin/env bash
# Rebuilds the PE fixtures in tests/data/pe from their .rc sources. Needs the Debian packages
# binutils-mingw-w64-x86-64 and gcc-mingw-w64-x86-64; the built files are committed so the
# tests do not need the cross toolchain.
set -euo pipefail
cd "$(dirname "$0")/../tests/data/pe"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
res() { x86_64-w64-mingw32-windres "$@"; }
# PE32+ program and libraries.
res dalvo.rc -O coff -o "$tmp/dalvo.o"
x86_64-w64-mingw32-gcc -Os -s -o dalvo.exe main.c "$tmp/dalvo.o"
res module.rc -O coff -o "$tmp/module.o"
x86_64-w64-mingw32-ld --dll -e 0 -s -o module.dll "$tmp/module.o"
res noversion.rc -O coff -o "$tmp/noversion.o"
x86_64-w64-mingw32-ld --dll -e 0 -s -o noversion.dll "$tmp/noversion.o"
# A self-extractor stub whose version strings the build tool fills in.
res sfxstub.rc -O coff -o "$tmp/sfxstub.o"
x86_64-w64-mingw32-gcc -Os -s -o sfxstub.exe main.c "$tmp/sfxstub.o"
ls -l dalvo.exe module.dll noversion.dll sfxstub.exe
# Libraries whose minor file version needs two and three digits (program version checks).
for v in 10-10 10-123; do
  res "version-$v.rc" -O coff -o "$tmp/version-$v.o"
  x86_64-w64-mingw32-ld --dll -e 0 -s -o "version-$v.dll" "$tmp/version-$v.o"
done
