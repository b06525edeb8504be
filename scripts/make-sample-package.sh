#!/usr/bin/env bash
# Rebuilds data/package/tree/Programa/DALVO.EXE (a tiny Windows program with a version
# resource) from data/package/src. Needs the Debian packages binutils-mingw-w64-x86-64 and
# gcc-mingw-w64-x86-64; the result is committed, so the build never runs this.
set -euo pipefail
cd "$(dirname "$0")/../data/package"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
x86_64-w64-mingw32-windres src/dalvo.rc -O coff -o "$tmp/dalvo.o"
x86_64-w64-mingw32-gcc -Os -s -o tree/Programa/DALVO.EXE src/dalvo.c "$tmp/dalvo.o"
ls -l tree/Programa/DALVO.EXE
